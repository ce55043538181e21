// Implements: painting a window. BeginPaint (erasing with WM_ERASEBKGND when asked, and
// validating the window), EndPaint, GetDC, ReleaseDC, ValidateRect, InvalidateRect and
// UpdateWindow. A window's device context draws on the window's picture; the picture goes to
// the display when painting ends (EndPaint or ReleaseDC).
// Leaves out: update regions (a rectangle validates or invalidates the whole window; the
// paint rectangle is always the whole client area), the screen's device context (GetDC of no
// window gives a context that draws nowhere), private class and parent device contexts.
#include "display_backend.h"
#include "error.h"
#include "gdi.h"
#include "gdi_objects.h"
#include "window.h"
#include "window_table.h"

namespace {

void ShowPicture(HWND handle) {
  standin::Window* window = standin::FindOwnWindow(handle);
  if (window == nullptr || !window->shownByDisplay || window->picture.pixels.empty()) return;
  const standin::WindowPicture& picture = window->picture;
  standin::Display().ShowPicture(handle, picture.pixels.data(), picture.width, picture.height,
                                 static_cast<size_t>(picture.width) * 4);
  standin::NoteActivity();
}

HDC WindowContext(HWND handle) {
  standin::DeviceContext context;
  context.window = handle;
  const HDC made = standin::AddDeviceContext(context);
  standin::CanvasOf(made);  // sizes the window's picture to its client area
  return made;
}

}  // namespace

HDC WINAPI BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
  standin::Window* window = standin::FindOwnWindow(handle);
  if (window == nullptr || paint == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const bool erase = window->eraseOnPaint;
  window->needsPaint = false;
  window->eraseOnPaint = false;

  *paint = PAINTSTRUCT{};
  paint->hdc = WindowContext(handle);
  GetClientRect(handle, &paint->rcPaint);
  if (erase) paint->fErase = SendMessageA(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) == 0;
  return paint->hdc;
}

BOOL WINAPI EndPaint(HWND handle, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return FALSE;
  ReleaseDC(handle, paint->hdc);
  return TRUE;
}

HDC WINAPI GetDC(HWND handle) {
  if (handle != nullptr && standin::FindOwnWindow(handle) == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return WindowContext(handle);
}

int WINAPI ReleaseDC(HWND handle, HDC deviceContext) {
  const standin::DeviceContext* context = standin::FindDeviceContext(deviceContext);
  if (context == nullptr || context->memory || context->window != handle) return 0;
  standin::RemoveDeviceContext(deviceContext);
  ShowPicture(handle);
  return 1;
}

BOOL WINAPI ValidateRect(HWND handle, const RECT*) {
  if (handle == nullptr) {
    for (HWND each : standin::AllWindows()) ValidateRect(each, nullptr);
    return TRUE;
  }
  standin::Window* window = standin::FindOwnWindow(handle);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  window->needsPaint = false;
  window->eraseOnPaint = false;
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND handle, const RECT*, BOOL erase) {
  if (handle == nullptr) {
    for (HWND each : standin::AllWindows()) InvalidateRect(each, nullptr, erase);
    return TRUE;
  }
  standin::Window* window = standin::FindOwnWindow(handle);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  window->needsPaint = true;
  window->eraseOnPaint = window->eraseOnPaint || erase != FALSE;
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND handle) {
  const standin::Window* window = standin::FindOwnWindow(handle);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->needsPaint && window->visible) SendMessageA(handle, WM_PAINT, 0, 0);
  return TRUE;
}
