// What the Direct3D 9 stand-in asks of the window stand-in.
// Implements: the three questions of window_services.h over the window stand-in.
// Leaves out: everything else of windows.
#include "window_services.h"

#include "../win32/win32_api.h"

namespace d3d9 {

bool WindowExists(HWND window) { return window != nullptr && IsWindow(window); }

bool ClientAreaSize(HWND window, UINT& width, UINT& height) {
  RECT client{};
  if (!GetClientRect(window, &client)) return false;
  const LONG w = client.right - client.left;
  const LONG h = client.bottom - client.top;
  width = w > 0 ? static_cast<UINT>(w) : 0;
  height = h > 0 ? static_cast<UINT>(h) : 0;
  return true;
}

bool ScreenSize(UINT& width, UINT& height) {
  const int w = GetSystemMetrics(SM_CXSCREEN);
  const int h = GetSystemMetrics(SM_CYSCREEN);
  if (w <= 0 || h <= 0) return false;
  width = static_cast<UINT>(w);
  height = static_cast<UINT>(h);
  return true;
}

}  // namespace d3d9
