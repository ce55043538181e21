// Implements: the frame reckoning (AdjustWindowRect, GetSystemMetrics), window rectangles
// (GetClientRect, GetWindowRect, ClientToScreen, SetWindowPos), visibility (ShowWindow,
// IsWindowVisible), identity (IsWindow, GetParent, GetWindowLongA, GetWindowLongPtrA) and
// SetWindowTextA.
// The frame is that of the classic Windows look at 96 dots per inch: a 1-pixel border, a
// 3-pixel dialog frame, a 4-pixel sizing frame, a 23-pixel caption; the display's own window
// manager draws the real frame around the client area, which keeps its asked-for size.
// Leaves out: z-order beyond topmost, minimised and maximised states, multiple monitors; the
// screen position of a foreign parent (its children's rectangles are in its coordinates).
#include <algorithm>

#include "display_backend.h"
#include "error.h"
#include "gdi.h"
#include "text_encoding.h"
#include "window.h"
#include "window_frame.h"
#include "window_table.h"

namespace {

constexpr int kBorder = 1;
constexpr int kDialogFrame = 3;
constexpr int kSizingFrame = 4;
constexpr int kCaption = 23;
constexpr int kMenuBar = 20;
constexpr int kIconSide = 32;
constexpr int kScrollBar = 17;

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

standin::Window* OwnWindowOrFail(HWND handle) {
  standin::Window* window = standin::FindOwnWindow(handle);
  if (window == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

}  // namespace

namespace standin {

FrameInsets NonClientInsets(DWORD style, bool menu) {
  int frame = 0;
  if ((style & WS_THICKFRAME) != 0) {
    frame = kSizingFrame;
  } else if ((style & WS_DLGFRAME) != 0) {
    frame = kDialogFrame;
  } else if ((style & WS_BORDER) != 0) {
    frame = kBorder;
  }
  FrameInsets insets{frame, frame, frame, frame};
  if ((style & WS_CAPTION) == WS_CAPTION) insets.top += kCaption;
  if (menu) insets.top += kMenuBar;
  return insets;
}

}  // namespace standin

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  if (rect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const standin::FrameInsets insets = standin::NonClientInsets(style, menu != FALSE);
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
  return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
  int width = 0;
  int height = 0;
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
      standin::Display().ScreenSize(width, height);
      return width;
    case SM_CYSCREEN:
      standin::Display().ScreenSize(width, height);
      return height;
    case SM_CYFULLSCREEN:
      standin::Display().ScreenSize(width, height);
      return height - kCaption;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return kScrollBar;
    case SM_CYCAPTION:
      return kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return kSizingFrame;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return kIconSide;
    case SM_CYMENU:
      return kMenuBar;
    case SM_MOUSEPRESENT:
    case SM_CMONITORS:
      return 1;
    default:
      return 0;
  }
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  if (rect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (const standin::Window* window = standin::FindOwnWindow(handle)) {
    *rect = RECT{0, 0, Width(window->clientRect), Height(window->clientRect)};
    return TRUE;
  }
  int width = 0;
  int height = 0;
  const uint64_t foreign = standin::ForeignId(handle);
  if (foreign != 0 && standin::Display().ForeignClientSize(foreign, width, height)) {
    *rect = RECT{0, 0, width, height};
    return TRUE;
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
  const standin::Window* window = OwnWindowOrFail(handle);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = window->windowRect;
  for (const standin::Window* parent = standin::FindOwnWindow(window->parent); parent != nullptr;
       parent = standin::FindOwnWindow(parent->parent)) {
    rect->left += parent->clientRect.left;
    rect->right += parent->clientRect.left;
    rect->top += parent->clientRect.top;
    rect->bottom += parent->clientRect.top;
  }
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND handle, LPPOINT point) {
  const standin::Window* window = OwnWindowOrFail(handle);
  if (window == nullptr || point == nullptr) return FALSE;
  for (const standin::Window* step = window; step != nullptr; step = standin::FindOwnWindow(step->parent)) {
    point->x += step->clientRect.left;
    point->y += step->clientRect.top;
  }
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND handle, int command) {
  standin::Window* window = OwnWindowOrFail(handle);
  if (window == nullptr) return FALSE;
  const bool wasVisible = window->visible;
  const bool show = command != SW_HIDE;
  if (show == wasVisible) return wasVisible ? TRUE : FALSE;

  window->visible = show;
  if (show) {
    window->style |= WS_VISIBLE;
  } else {
    window->style &= ~static_cast<DWORD>(WS_VISIBLE);
  }
  if (window->shownByDisplay) standin::Display().SetVisible(handle, show);
  SendMessageA(handle, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (show) InvalidateRect(handle, nullptr, TRUE);
  return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND handle) {
  const standin::Window* window = standin::FindOwnWindow(handle);
  return window != nullptr && window->visible ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  standin::Window* window = OwnWindowOrFail(handle);
  if (window == nullptr) return FALSE;
  if (insertAfter == HWND_TOPMOST && (flags & SWP_NOZORDER) == 0) window->exStyle |= WS_EX_TOPMOST;
  if (insertAfter == HWND_NOTOPMOST && (flags & SWP_NOZORDER) == 0) {
    window->exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
  }

  RECT outer = window->windowRect;
  if ((flags & SWP_NOMOVE) == 0) {
    outer = RECT{x, y, x + Width(outer), y + Height(outer)};
  }
  if ((flags & SWP_NOSIZE) == 0) {
    outer.right = outer.left + std::max(width, 0);
    outer.bottom = outer.top + std::max(height, 0);
  }
  const bool moved = outer.left != window->windowRect.left || outer.top != window->windowRect.top;
  const bool resized = Width(outer) != Width(window->windowRect) || Height(outer) != Height(window->windowRect);
  const standin::FrameInsets insets = standin::NonClientInsets(window->style, false);
  window->windowRect = outer;
  window->clientRect = RECT{outer.left + insets.left, outer.top + insets.top,
                            std::max(outer.left + insets.left, outer.right - insets.right),
                            std::max(outer.top + insets.top, outer.bottom - insets.bottom)};
  const RECT client = window->clientRect;
  if ((moved || resized) && window->shownByDisplay) {
    standin::Display().Place(handle, client.left, client.top, Width(client), Height(client));
  }
  if (resized) {
    SendMessageA(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(Width(client), Height(client)));
    InvalidateRect(handle, nullptr, TRUE);
  }
  if (moved) SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  if ((flags & SWP_SHOWWINDOW) != 0) ShowWindow(handle, SW_SHOW);
  if ((flags & SWP_HIDEWINDOW) != 0) ShowWindow(handle, SW_HIDE);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND handle) {
  if (standin::FindOwnWindow(handle) != nullptr) return TRUE;
  const uint64_t foreign = standin::ForeignId(handle);
  return foreign != 0 && standin::Display().ForeignWindowExists(foreign) ? TRUE : FALSE;
}

HWND WINAPI GetParent(HWND handle) {
  const standin::Window* window = OwnWindowOrFail(handle);
  return window != nullptr ? window->parent : nullptr;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND handle, int index) {
  const standin::Window* window = OwnWindowOrFail(handle);
  if (window == nullptr) return 0;
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(window->procedure);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(window->parent);
    case GWLP_ID:
      return 0;
    case GWL_STYLE:
      return static_cast<LONG>(window->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(window->exStyle);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

// As on 64-bit Windows, pointer-sized entries come back cut to their low 32 bits here.
LONG WINAPI GetWindowLongA(HWND handle, int index) { return static_cast<LONG>(GetWindowLongPtrA(handle, index)); }

BOOL WINAPI SetWindowTextA(HWND handle, LPCSTR text) {
  standin::Window* window = OwnWindowOrFail(handle);
  if (window == nullptr) return FALSE;
  window->title = text != nullptr ? text : "";
  if (window->shownByDisplay) standin::Display().SetTitle(handle, standin::Cp932ToUtf8(window->title));
  return TRUE;
}
