// Implements: DefWindowProcA for the messages a window of this program meets: WM_CLOSE
// destroys the window, WM_PAINT validates it, WM_ERASEBKGND fills it with the class brush,
// the close command and Alt+F4 become WM_CLOSE, a right-button release asks for a context
// menu, and a child hands WM_CONTEXTMENU and WM_HELP on to an own parent.
// Leaves out: non-client areas, menus and keyboard menu navigation, dragging and sizing,
// WM_SETCURSOR (the pointer shape is always the arrow).
#include "gdi.h"
#include "window.h"
#include "window_table.h"

namespace {

constexpr LRESULT kHitClient = 1;  // HTCLIENT
constexpr LPARAM kAltDownBit = LPARAM{1} << 29;

bool EraseBackground(HWND window, HDC deviceContext) {
  const standin::Window* record = standin::FindOwnWindow(window);
  if (record == nullptr || record->windowClass == nullptr) return false;
  const HBRUSH brush = record->windowClass->description.hbrBackground;
  if (brush == nullptr) return false;
  RECT client{};
  GetClientRect(window, &client);
  return FillRect(deviceContext, &client, brush) != 0;
}

LRESULT AskForContextMenu(HWND window, LPARAM clientPosition) {
  POINT point{GET_X_LPARAM(clientPosition), GET_Y_LPARAM(clientPosition)};
  ClientToScreen(window, &point);
  SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(point.x, point.y));
  return 0;
}

// A child's unhandled context-menu and help requests go up to an own parent.
LRESULT HandToParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const standin::Window* record = standin::FindOwnWindow(window);
  if (record == nullptr || (record->style & WS_CHILD) == 0) return 0;
  if (standin::FindOwnWindow(record->parent) == nullptr) return 0;
  return SendMessageA(record->parent, message, wParam, lParam);
}

}  // namespace

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      if (BeginPaint(window, &paint) != nullptr) EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return EraseBackground(window, reinterpret_cast<HDC>(wParam)) ? 1 : 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & kAltDownBit) != 0) {
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_RBUTTONUP:
      return AskForContextMenu(window, lParam);
    case WM_CONTEXTMENU:
    case WM_HELP:
      return HandToParent(window, message, wParam, lParam);
    case WM_SETTEXT:
      return SetWindowTextA(window, reinterpret_cast<LPCSTR>(lParam));
    case WM_NCHITTEST:
      return kHitClient;
    default:
      return 0;
  }
}
