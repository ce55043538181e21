// Implements: questions about foreign X11 windows (does the window exist, how big is it),
// reading the root window back, and child windows inside a foreign window: created covering
// the asked rectangle with a GL visual where GLX offers one (their OpenGL contexts come from
// x11_gl_context), painted with XPutImage, resized when asked, and reported when the
// parent is resized or destroyed, when they are exposed, and when a button is pressed in them.
// A child of the root window (a hack run's -root without a daemon) is kept from the window
// manager.
// The connection is our own, apart from SDL's; every request that may fail is checked under an
// error trap, so a window that vanished in between is an answer, not a crash.
// Leaves out: keyboard input in a preview child, visuals other than true colour.
#include "x11_preview.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>

#include "window.h"
#include "x11_error_trap.h"
#include "x11_gl_context.h"

namespace standin {
namespace {

// X window ids have their top three bits clear.
constexpr uint64_t kLargestWindowId = 0x1FFFFFFF;
constexpr long kChildEvents =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
constexpr int kLargestSide = 16384;

int Shift(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

// Converts one 0x00RRGGBB pixel to the visual's layout.
unsigned long ToVisual(uint32_t pixel, const XImage& image) {
  const auto channel = [](uint32_t value, unsigned long mask) {
    const int shift = Shift(mask);
    const unsigned long top = mask >> shift;
    return ((value * top + 127) / 255) << shift;
  };
  unsigned long result = channel((pixel >> 16) & 0xFF, image.red_mask) |
                         channel((pixel >> 8) & 0xFF, image.green_mask) | channel(pixel & 0xFF, image.blue_mask);
  if (image.depth == 32) result |= 0xFF000000UL;  // opaque where the visual has alpha
  return result;
}

uint32_t FromVisual(unsigned long value, const XImage& image) {
  const auto channel = [](unsigned long raw, unsigned long mask) -> uint32_t {
    const int shift = Shift(mask);
    const unsigned long top = mask >> shift;
    if (top == 0) return 0;
    return static_cast<uint32_t>((((raw & mask) >> shift) * 255 + top / 2) / top);
  };
  return (channel(value, image.red_mask) << 16) | (channel(value, image.green_mask) << 8) |
         channel(value, image.blue_mask);
}

LPARAM Position(int x, int y) { return MAKELPARAM(x, y); }

WPARAM ButtonState(unsigned int state) {
  WPARAM keys = 0;
  if (state & Button1Mask) keys |= MK_LBUTTON;
  if (state & Button2Mask) keys |= MK_MBUTTON;
  if (state & Button3Mask) keys |= MK_RBUTTON;
  if (state & ShiftMask) keys |= MK_SHIFT;
  if (state & ControlMask) keys |= MK_CONTROL;
  return keys;
}

}  // namespace

X11Preview::~X11Preview() {
  if (display_ == nullptr) return;
  for (const auto& entry : children_) DestroyChildWindow(entry.second);
  XFlush(display_);
}

bool X11Preview::Connect() {
  if (display_ != nullptr) return true;
  if (connectFailed_) return false;
  connection_.reset(XOpenDisplay(nullptr), [](::Display* display) {
    if (display != nullptr) XCloseDisplay(display);
  });
  display_ = connection_.get();
  connectFailed_ = display_ == nullptr;
  return display_ != nullptr;
}

bool X11Preview::WindowExists(uint64_t id) {
  int width = 0;
  int height = 0;
  return ClientSize(id, width, height);
}

bool X11Preview::ClientSize(uint64_t id, int& width, int& height) {
  if (id == 0 || id > kLargestWindowId || !Connect()) return false;
  ErrorTrap trap(display_);
  XWindowAttributes attributes{};
  const Status status = XGetWindowAttributes(display_, static_cast<::Window>(id), &attributes);
  if (trap.Failed() || status == 0) return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

bool X11Preview::CaptureRoot(std::vector<uint32_t>& pixels, int& width, int& height) {
  if (!Connect()) return false;
  const ::Window root = DefaultRootWindow(display_);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, root, &attributes) == 0) return false;
  if (attributes.width <= 0 || attributes.height <= 0 || attributes.width > kLargestSide ||
      attributes.height > kLargestSide) {
    return false;
  }
  ErrorTrap trap(display_);
  XImage* image = XGetImage(display_, root, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (trap.Failed() || image == nullptr) {
    if (image != nullptr) XDestroyImage(image);
    return false;
  }
  width = attributes.width;
  height = attributes.height;
  pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels[static_cast<size_t>(y) * width + x] = FromVisual(XGetPixel(image, x, y), *image);
    }
  }
  XDestroyImage(image);
  return true;
}

// The child gets a GL visual where GLX offers one, so that the hardware device can draw in it;
// the pictures of the reference device are shown in that visual as in any other.
unsigned long X11Preview::CreateChildWindow(unsigned long parent, int x, int y, int width, int height, Child& made) {
  const auto sideOf = [](int side) { return static_cast<unsigned>(std::max(side, 1)); };
  const unsigned long black = BlackPixel(display_, DefaultScreen(display_));
  XVisualInfo glVisual{};
  if (!ChooseGlVisual(display_, glVisual)) {
    return XCreateSimpleWindow(display_, parent, x, y, sideOf(width), sideOf(height), 0, black, black);
  }
  // A visual other than the parent's needs a colormap of its own and a border pixel.
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(display_, parent, glVisual.visual, AllocNone);
  attributes.background_pixel = 0;
  attributes.border_pixel = 0;
  made.colormap = attributes.colormap;
  made.glVisual = glVisual.visualid;
  return XCreateWindow(display_, parent, x, y, sideOf(width), sideOf(height), 0, glVisual.depth, InputOutput,
                       glVisual.visual, CWColormap | CWBackPixel | CWBorderPixel, &attributes);
}

bool X11Preview::OpenChild(HWND window, uint64_t parent, int x, int y, int width, int height) {
  if (parent == 0 || parent > kLargestWindowId || !Connect()) return false;
  ErrorTrap trap(display_);
  const auto parentId = static_cast<::Window>(parent);
  Child made{0, parentId, width, height, false};
  const ::Window child = CreateChildWindow(parentId, x, y, width, height, made);
  made.id = child;
  if (trap.Failed() || child == 0) {
    DestroyChildWindow(made);
    return false;
  }
  XSelectInput(display_, child, kChildEvents);
  // Our own interest in the parent's size and life; other programs' interests are untouched.
  XWindowAttributes parentAttributes{};
  XGetWindowAttributes(display_, parentId, &parentAttributes);
  XSelectInput(display_, parentId, parentAttributes.your_event_mask | StructureNotifyMask);
  // A child of the root window is a top-level window: it covers the screen as it is, with no
  // frame or placement of a window manager's.
  if (parentAttributes.root == parentId) {
    XSetWindowAttributes unmanaged{};
    unmanaged.override_redirect = True;
    XChangeWindowAttributes(display_, child, CWOverrideRedirect, &unmanaged);
  }
  if (trap.Failed()) {
    DestroyChildWindow(made);
    return false;
  }
  children_[window] = made;
  return true;
}

void X11Preview::DestroyChildWindow(const Child& child) {
  *child.exists = false;
  ErrorTrap trap(display_);
  if (!child.gone && child.id != 0) XDestroyWindow(display_, child.id);
  if (child.colormap != 0) XFreeColormap(display_, child.colormap);
}

void X11Preview::CloseChild(HWND window) {
  const auto found = children_.find(window);
  if (found == children_.end()) return;
  DestroyChildWindow(found->second);
  children_.erase(found);
}

std::unique_ptr<GlContext> X11Preview::CreateGlContext(HWND window) {
  const auto found = children_.find(window);
  if (found == children_.end() || found->second.gone || found->second.glVisual == 0) return nullptr;
  return CreateX11GlContext(connection_, found->second.glVisual, found->second.id, found->second.exists);
}

void X11Preview::SetVisible(HWND window, bool visible) {
  const auto found = children_.find(window);
  if (found == children_.end() || found->second.gone) return;
  ErrorTrap trap(display_);
  if (visible) {
    XMapWindow(display_, found->second.id);
  } else {
    XUnmapWindow(display_, found->second.id);
  }
}

void X11Preview::Place(HWND window, int x, int y, int width, int height) {
  const auto found = children_.find(window);
  if (found == children_.end() || found->second.gone) return;
  ErrorTrap trap(display_);
  XMoveResizeWindow(display_, found->second.id, x, y, static_cast<unsigned>(std::max(width, 1)),
                    static_cast<unsigned>(std::max(height, 1)));
  found->second.width = width;
  found->second.height = height;
}

bool X11Preview::ShowPicture(HWND window, const uint32_t* pixels, int width, int height, size_t pitchBytes) {
  const auto found = children_.find(window);
  if (found == children_.end() || found->second.gone) return false;
  const Child& child = found->second;
  if (child.width <= 0 || child.height <= 0 || width <= 0 || height <= 0) return true;

  ErrorTrap trap(display_);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, child.id, &attributes) == 0 || trap.Failed()) return false;
  XImage* image = XCreateImage(display_, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap, 0,
                               nullptr, static_cast<unsigned>(child.width), static_cast<unsigned>(child.height), 32, 0);
  if (image == nullptr) return false;
  std::vector<char> data(static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(child.height));
  image->data = data.data();
  // The picture is stretched over the child, taking the pixel under each target centre.
  const auto* bytes = reinterpret_cast<const unsigned char*>(pixels);
  for (int y = 0; y < child.height; ++y) {
    const int64_t fromY = (2 * int64_t{y} + 1) * height / (2 * int64_t{child.height});
    const auto* row = reinterpret_cast<const uint32_t*>(bytes + fromY * pitchBytes);
    for (int x = 0; x < child.width; ++x) {
      const int64_t fromX = (2 * int64_t{x} + 1) * width / (2 * int64_t{child.width});
      XPutPixel(image, x, y, ToVisual(row[fromX], *image));
    }
  }
  GC context = XCreateGC(display_, child.id, 0, nullptr);
  XPutImage(display_, child.id, context, image, 0, 0, 0, 0, static_cast<unsigned>(child.width),
            static_cast<unsigned>(child.height));
  XFreeGC(display_, context);
  image->data = nullptr;  // the vector owns the pixels
  XDestroyImage(image);
  return !trap.Failed();
}

HWND X11Preview::WindowOf(unsigned long id) const {
  for (const auto& entry : children_) {
    if (entry.second.id == id || entry.second.parent == id) return entry.first;
  }
  return nullptr;
}

bool X11Preview::Collect(std::vector<DisplayEvent>& events, int waitMilliseconds) {
  if (display_ == nullptr || children_.empty()) return false;
  if (XPending(display_) == 0 && waitMilliseconds > 0) {
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    poll(&connection, 1, waitMilliseconds);
  }
  const size_t before = events.size();
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    const HWND window = WindowOf(event.xany.window);
    if (window == nullptr) continue;
    Child& child = children_[window];
    DisplayEvent made;
    made.window = window;
    switch (event.type) {
      case Expose:
        if (event.xexpose.count != 0) continue;
        made.kind = DisplayEvent::Kind::Exposed;
        break;
      case ConfigureNotify:
        if (event.xconfigure.window != child.parent) continue;
        if (event.xconfigure.width == child.width && event.xconfigure.height == child.height) continue;
        made.kind = DisplayEvent::Kind::Resized;
        made.width = event.xconfigure.width;
        made.height = event.xconfigure.height;
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window != child.id) continue;
        child.gone = true;  // destroyed with its parent
        *child.exists = false;
        made.kind = DisplayEvent::Kind::ParentGone;
        break;
      case ButtonPress:
      case ButtonRelease: {
        const bool down = event.type == ButtonPress;
        made.lParam = Position(event.xbutton.x, event.xbutton.y);
        made.wParam = ButtonState(event.xbutton.state);
        switch (event.xbutton.button) {
          case Button1:
            made.message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            break;
          case Button2:
            made.message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            break;
          case Button3:
            made.message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            break;
          default:
            continue;
        }
        break;
      }
      case MotionNotify:
        made.message = WM_MOUSEMOVE;
        made.wParam = ButtonState(event.xmotion.state);
        made.lParam = Position(event.xmotion.x, event.xmotion.y);
        break;
      default:
        continue;
    }
    events.push_back(made);
  }
  return events.size() > before;
}

}  // namespace standin
