// Implements: the display services of display_bridge.h for the Direct3D 9 stand-in.
// A presented frame becomes the window's picture (what GDI would paint over, and what a
// desktop capture shows) and goes to the display backend.
#include "display_bridge.h"

#include <algorithm>

#include "display_backend.h"
#include "window.h"
#include "window_table.h"

namespace standin {
namespace {

constexpr int kLargestFrameSide = 16384;

// Draws a picture into the desktop at the given client rectangle, scaled to it.
void Compose(std::vector<uint32_t>& desktop, int desktopWidth, int desktopHeight, const WindowPicture& picture,
             const RECT& area) {
  const int64_t width = int64_t{area.right} - area.left;
  const int64_t height = int64_t{area.bottom} - area.top;
  if (width <= 0 || height <= 0 || picture.width <= 0 || picture.height <= 0) return;
  for (int64_t row = std::max<int64_t>(0, -area.top); row < height && area.top + row < desktopHeight; ++row) {
    const int64_t fromY = (2 * row + 1) * picture.height / (2 * height);
    for (int64_t column = std::max<int64_t>(0, -area.left); column < width && area.left + column < desktopWidth;
         ++column) {
      const int64_t fromX = (2 * column + 1) * picture.width / (2 * width);
      desktop[(area.top + row) * desktopWidth + area.left + column] = picture.pixels[fromY * picture.width + fromX];
    }
  }
}

// The client rectangle in screen coordinates, or false when the window is not on our screen
// (hidden, or inside a window of another program).
bool ScreenArea(const Window& window, RECT& area) {
  if (!window.visible) return false;
  area = window.clientRect;
  for (HWND parent = window.parent; parent != nullptr;) {
    const Window* up = FindOwnWindow(parent);
    if (up == nullptr || !up->visible) return false;
    area.left += up->clientRect.left;
    area.right += up->clientRect.left;
    area.top += up->clientRect.top;
    area.bottom += up->clientRect.top;
    parent = up->parent;
  }
  return true;
}

}  // namespace

bool PresentToWindow(HWND handle, const uint32_t* pixels, int width, int height, size_t pitchBytes) {
  Window* window = FindOwnWindow(handle);
  if (window == nullptr || pixels == nullptr || width <= 0 || height <= 0 || width > kLargestFrameSide ||
      height > kLargestFrameSide || pitchBytes < static_cast<size_t>(width) * 4) {
    return false;
  }
  WindowPicture& picture = window->picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  // One pass over the frame: copied and its alpha byte cleared together.
  const auto* source = reinterpret_cast<const unsigned char*>(pixels);
  for (int row = 0; row < height; ++row) {
    const auto* from = reinterpret_cast<const uint32_t*>(source + row * pitchBytes);
    uint32_t* to = picture.pixels.data() + static_cast<size_t>(row) * width;
    for (int column = 0; column < width; ++column) to[column] = from[column] & 0x00FFFFFF;
  }
  NoteActivity();
  if (!window->shownByDisplay) return true;
  return Display().ShowPicture(handle, picture.pixels.data(), width, height, static_cast<size_t>(width) * 4);
}

int DisplayRefreshRate(HWND window) { return Display().RefreshRate(window); }

bool CaptureDesktop(std::vector<uint32_t>& pixels, int& width, int& height) {
  if (Display().CaptureScreen(pixels, width, height)) return true;
  Display().ScreenSize(width, height);
  if (width <= 0 || height <= 0) return false;
  pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  // Windows in creation order, the topmost ones over the others.
  for (bool topmostPass : {false, true}) {
    for (HWND handle : AllWindows()) {
      const Window* window = FindOwnWindow(handle);
      RECT area{};
      if (window == nullptr || ((window->exStyle & WS_EX_TOPMOST) != 0) != topmostPass) continue;
      if (ScreenArea(*window, area)) Compose(pixels, width, height, window->picture, area);
    }
  }
  return true;
}

std::unique_ptr<GlContext> CreateGlContext(HWND handle) {
  const Window* window = FindOwnWindow(handle);
  if (window == nullptr || !window->shownByDisplay) return nullptr;
  return Display().CreateGlContext(handle);
}

}  // namespace standin
