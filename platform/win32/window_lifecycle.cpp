// Implements: RegisterClassA, UnregisterClassA, CreateWindowExA and DestroyWindow, with the
// creation messages (WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE) and the destruction ones
// (WM_DESTROY, then the own children, then WM_NCDESTROY).
// A top-level window, or a child of a foreign X11 window, is shown by the display backend;
// children of own windows are kept as records only.
// Leaves out: menus, creation of windows of system classes (buttons and the like), MDI.
#include <algorithm>
#include <climits>

#include "display_backend.h"
#include "error.h"
#include "message_queue.h"
#include "text_encoding.h"
#include "window.h"
#include "window_frame.h"
#include "window_table.h"

namespace {

constexpr DWORD kErrorTopLevelWithChildStyle = 1406;  // ERROR_TLW_WITH_WSCHILD
constexpr DWORD kErrorCannotFindWindowClass = 1407;   // ERROR_CANNOT_FIND_WND_CLASS
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kDefaultPosition = 40;

// Windows clips positions and sizes to what its 16-bit-era coordinates can hold; a smaller
// bound keeps every later sum free of overflow.
constexpr int kLargestCoordinate = 1 << 24;

int Clamp(int value, int low) { return std::clamp(value, low, kLargestCoordinate); }

void Place(standin::Window& window, int x, int y, int width, int height) {
  if (x == CW_USEDEFAULT) {
    x = kDefaultPosition;
    y = kDefaultPosition;
  }
  if (width == CW_USEDEFAULT) {
    width = kDefaultWidth;
    height = kDefaultHeight;
  }
  x = std::clamp(x, -kLargestCoordinate, kLargestCoordinate);
  y = std::clamp(y, -kLargestCoordinate, kLargestCoordinate);
  width = Clamp(width, 0);
  height = Clamp(height, 0);
  window.windowRect = RECT{x, y, x + width, y + height};
  const standin::FrameInsets insets = standin::NonClientInsets(window.style, false);
  window.clientRect = RECT{x + insets.left, y + insets.top, std::max(x + insets.left, x + width - insets.right),
                           std::max(y + insets.top, y + height - insets.bottom)};
}

standin::WindowShape ShapeOf(const standin::Window& window) {
  standin::WindowShape shape;
  shape.titleUtf8 = standin::Cp932ToUtf8(window.title);
  shape.x = window.clientRect.left;
  shape.y = window.clientRect.top;
  shape.width = window.clientRect.right - window.clientRect.left;
  shape.height = window.clientRect.bottom - window.clientRect.top;
  shape.borderless = (window.style & WS_CAPTION) != WS_CAPTION;
  shape.topmost = (window.exStyle & WS_EX_TOPMOST) != 0;
  shape.closeBox = (window.style & WS_SYSMENU) != 0;
  shape.foreignParent = standin::ForeignId(window.parent);
  return shape;
}

bool NeedsDisplayWindow(const standin::Window& window) {
  return window.parent == nullptr || standin::FindOwnWindow(window.parent) == nullptr;
}

void Forget(HWND handle) {
  standin::Window* window = standin::FindOwnWindow(handle);
  if (window == nullptr) return;
  if (window->shownByDisplay) standin::Display().CloseWindow(handle);
  standin::DropMessagesFor(handle);
  standin::RemoveWindow(handle);
}

}  // namespace

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr ||
      IS_INTRESOURCE(windowClass->lpszClassName) || windowClass->lpszClassName[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (standin::FindClass(windowClass->lpszClassName) != nullptr) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  static ATOM nextAtom = 0xC000;  // registered class atoms start here on Windows too
  standin::AddClass(*windowClass);
  return nextAtom++;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
  if (!standin::RemoveClass(className)) {
    SetLastError(kErrorCannotFindWindowClass);
    return FALSE;
  }
  return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU, HINSTANCE instance, LPVOID param) {
  const standin::WindowClass* windowClass = standin::FindClass(className);
  if (windowClass == nullptr) {
    SetLastError(kErrorCannotFindWindowClass);
    return nullptr;
  }
  if ((style & WS_CHILD) != 0 && parent == nullptr) {
    SetLastError(kErrorTopLevelWithChildStyle);
    return nullptr;
  }
  if (parent != nullptr && !IsWindow(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }

  standin::Window& window = standin::AddWindow();
  const HWND handle = window.handle;
  window.windowClass = windowClass;
  window.procedure = windowClass->description.lpfnWndProc;
  window.instance = instance;
  window.parent = parent;
  window.style = style;
  window.exStyle = exStyle;
  window.title = windowName != nullptr ? windowName : "";
  Place(window, x, y, width, height);

  if (NeedsDisplayWindow(window)) {
    if (!standin::Display().OpenWindow(handle, ShapeOf(window))) {
      standin::RemoveWindow(handle);
      SetLastError(ERROR_NOT_SUPPORTED);
      return nullptr;
    }
    window.shownByDisplay = true;
  }

  CREATESTRUCTA creation{};
  creation.lpCreateParams = param;
  creation.hInstance = instance;
  creation.hwndParent = parent;
  creation.x = window.windowRect.left;
  creation.y = window.windowRect.top;
  creation.cx = window.windowRect.right - window.windowRect.left;
  creation.cy = window.windowRect.bottom - window.windowRect.top;
  creation.style = static_cast<LONG>(style);
  creation.lpszName = window.title.c_str();
  creation.lpszClass = windowClass->name.c_str();
  creation.dwExStyle = exStyle;
  const auto creationParameter = reinterpret_cast<LPARAM>(&creation);

  if (SendMessageA(handle, WM_NCCREATE, 0, creationParameter) == 0 ||
      SendMessageA(handle, WM_CREATE, 0, creationParameter) == -1) {
    DestroyWindow(handle);
    Forget(handle);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  standin::Window* created = standin::FindOwnWindow(handle);
  if (created == nullptr) return nullptr;  // the window destroyed itself while being created

  const RECT client = created->clientRect;
  SendMessageA(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
  SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  if ((style & WS_VISIBLE) != 0) {
    created = standin::FindOwnWindow(handle);
    if (created != nullptr && !created->visible) {
      created->style &= ~static_cast<DWORD>(WS_VISIBLE);
      ShowWindow(handle, SW_SHOW);
    }
  }
  return standin::FindOwnWindow(handle) != nullptr ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND handle) {
  standin::Window* window = standin::FindOwnWindow(handle);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->destroying) return TRUE;
  window->destroying = true;
  if (window->visible) ShowWindow(handle, SW_HIDE);

  SendMessageA(handle, WM_DESTROY, 0, 0);
  for (HWND other : standin::AllWindows()) {
    standin::Window* child = standin::FindOwnWindow(other);
    if (child != nullptr && child->parent == handle) DestroyWindow(other);
  }
  SendMessageA(handle, WM_NCDESTROY, 0, 0);
  Forget(handle);
  return TRUE;
}
