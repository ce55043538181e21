// Implements: ShowCursor (the display counter: the pointer shows while it is 0 or more),
// GetCursorPos (the real pointer, in screen coordinates), WINNLSEnableIME (text input and its
// input method on or off), and the stock arrow cursor of LoadCursorA.
// Leaves out: cursor shapes other than the arrow, cursor resources, clipping the pointer.
#include "display_backend.h"
#include "error.h"
#include "window.h"

namespace {

int cursorDisplayCount = 0;
bool textInputEnabled = true;

// Stock cursors are never freed; their handles only need to be distinct and non-null.
struct HICON__ arrowCursor;

}  // namespace

int WINAPI ShowCursor(BOOL show) {
  const bool wasVisible = cursorDisplayCount >= 0;
  cursorDisplayCount += show ? 1 : -1;
  const bool visible = cursorDisplayCount >= 0;
  if (visible != wasVisible) standin::Display().SetCursorVisible(visible);
  return cursorDisplayCount;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
  if (point == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *point = standin::Display().CursorPosition();
  return TRUE;
}

extern "C" BOOL WINAPI WINNLSEnableIME(HWND, BOOL enable) {
  const bool wasEnabled = textInputEnabled;
  textInputEnabled = enable != FALSE;
  standin::Display().SetTextInput(textInputEnabled);
  return wasEnabled ? TRUE : FALSE;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  constexpr uintptr_t kFirstStockCursor = 32512;  // IDC_ARROW
  constexpr uintptr_t kLastStockCursor = 32651;   // IDC_HELP
  const auto id = reinterpret_cast<uintptr_t>(name);
  if (instance == nullptr && id >= kFirstStockCursor && id <= kLastStockCursor) return &arrowCursor;
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}
