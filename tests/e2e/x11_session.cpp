#include "x11_session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace e2e {
namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

uint32_t Channel(unsigned long value, unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return mask == 0 ? 0 : static_cast<uint32_t>(((value >> shift) & mask) * 255 / mask);
}

}  // namespace

X11Session::X11Session() {
  display_ = XOpenDisplay(nullptr);
  XSetErrorHandler(IgnoreErrors);  // windows come and go under the tests' feet
}

X11Session::~X11Session() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

int X11Session::ScreenWidth() const { return DisplayWidth(display_, DefaultScreen(display_)); }
int X11Session::ScreenHeight() const { return DisplayHeight(display_, DefaultScreen(display_)); }

std::vector<::Window> X11Session::Children(::Window window) {
  ::Window root = 0;
  ::Window parent = 0;
  ::Window* children = nullptr;
  unsigned int count = 0;
  std::vector<::Window> result;
  if (XQueryTree(display_, window, &root, &parent, &children, &count) != 0) {
    result.assign(children, children + count);
    if (children != nullptr) XFree(children);
  }
  return result;
}

long X11Session::ProcessOf(::Window window) {
  const Atom property = XInternAtom(display_, "_NET_WM_PID", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  long process = -1;
  if (XGetWindowProperty(display_, window, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &remaining,
                         &data) == Success &&
      data != nullptr && format == 32 && count == 1) {
    process = *reinterpret_cast<long*>(data);
  }
  if (data != nullptr) XFree(data);
  return process;
}

std::optional<::Window> X11Session::WaitForWindow(const std::string& title, long processId, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  do {
    for (::Window window : Children(DefaultRootWindow(display_))) {
      char* name = nullptr;
      if (XFetchName(display_, window, &name) == 0 || name == nullptr) continue;
      const bool matches = title == name;
      XFree(name);
      if (matches && ProcessOf(window) == processId && Geometry(window).viewable) return window;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

WindowGeometry X11Session::Geometry(::Window window) {
  WindowGeometry geometry;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, window, &attributes) == 0) return geometry;
  ::Window child = 0;
  XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &geometry.x, &geometry.y, &child);
  geometry.width = attributes.width;
  geometry.height = attributes.height;
  geometry.viewable = attributes.map_state == IsViewable;
  return geometry;
}

::Window X11Session::CreateHost(int width, int height, unsigned long colour) {
  const ::Window window =
      XCreateSimpleWindow(display_, DefaultRootWindow(display_), 50, 50, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, colour, colour);
  XStoreName(display_, window, "Preview host");
  XMapWindow(display_, window);
  XSync(display_, False);
  return window;
}

void X11Session::Resize(::Window window, int width, int height) {
  XResizeWindow(display_, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(display_, False);
}

void X11Session::Move(::Window window, int x, int y) {
  XMoveWindow(display_, window, x, y);
  XSync(display_, False);
}

void X11Session::Destroy(::Window window) {
  XDestroyWindow(display_, window);
  XSync(display_, False);
}

std::vector<uint32_t> X11Session::Pixels(::Window window, int& width, int& height) {
  std::vector<uint32_t> pixels;
  const WindowGeometry geometry = Geometry(window);
  width = geometry.width;
  height = geometry.height;
  if (width <= 0 || height <= 0) return pixels;
  XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) return pixels;
  pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long value = XGetPixel(image, x, y);
      pixels[static_cast<size_t>(y) * width + x] = (Channel(value, image->red_mask) << 16) |
                                                   (Channel(value, image->green_mask) << 8) |
                                                   Channel(value, image->blue_mask);
    }
  }
  XDestroyImage(image);
  return pixels;
}

bool X11Session::WaitForPicture(::Window window, double seconds) {
  constexpr int kSide = 64;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  do {
    const WindowGeometry geometry = Geometry(window);
    if (geometry.width >= kSide && geometry.height >= kSide) {
      XImage* image = XGetImage(display_, window, (geometry.width - kSide) / 2, (geometry.height - kSide) / 2, kSide,
                                kSide, AllPlanes, ZPixmap);
      bool drawn = false;
      if (image != nullptr) {
        for (int y = 0; y < kSide && !drawn; ++y) {
          for (int x = 0; x < kSide && !drawn; ++x) drawn = XGetPixel(image, x, y) != 0;
        }
        XDestroyImage(image);
      }
      if (drawn) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

}  // namespace e2e
