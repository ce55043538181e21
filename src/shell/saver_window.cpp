#include "shell/saver_window.h"

#include <cstdlib>

#include "render/renderer.h"
#include "shell/saver_state.h"

namespace {

constexpr const char* kClassName = "WindowsScreenSaverClass";
constexpr int kIconResource = 121;
constexpr int kTestClientWidth = 800;
constexpr int kTestClientHeight = 600;

constexpr DWORD kPreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kWindowedStyle = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

bool FullScreen() { return windowedOrPreview == 0; }

void HideCursorAndInputMethod() {
  while (ShowCursor(FALSE) >= 0) {
  }
  WINNLSEnableIME(nullptr, FALSE);
}

void RestoreCursorAndInputMethod() {
  while (ShowCursor(TRUE) < 0) {
  }
  WINNLSEnableIME(nullptr, TRUE);
}

void CloseSaver(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

// The mouse rule: the run ends once the pointer is more than MouseMoveThreshold pixels
// (Manhattan distance) from where it was when the loop started. The message's own
// coordinates are not used: they are relative to the window and may be synthetic.
void ApplyMouseRule(HWND window) {
  POINT now{};
  GetCursorPos(&now);
  const DWORD distance =
      static_cast<DWORD>(std::abs(now.x - lastCursorPos.x)) + static_cast<DWORD>(std::abs(now.y - lastCursorPos.y));
  if (distance > MouseMoveThreshold) {
    CloseSaver(window);
    lastCursorPos = now;
  }
}

bool SwallowedSystemCommand(WPARAM command) {
  return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE;
}

// A preview or test window hands help and context-menu requests to its parent.
LRESULT ForwardHelpToParent(HWND window, UINT message, LPARAM lParam) {
  const HWND parent = GetParent(window);
  if (parent != nullptr && IsWindow(parent)) {
    PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
  }
  return 1;
}

}  // namespace

bool RegisterSaverClass() {
  WNDCLASSA saverClass{};
  saverClass.style = CS_OWNDC;
  saverClass.lpfnWndProc = SaverWindowProc;
  saverClass.hInstance = appInstance;
  saverClass.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(kIconResource));
  saverClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  saverClass.lpszClassName = kClassName;
  return RegisterClassA(&saverClass) != 0;
}

SaverWindowShape ChooseSaverWindowShape(HWND parent) {
  SaverWindowShape shape;
  if (hackMode != 0 || previewMode != 0) {
    RECT client{};
    GetClientRect(parent, &client);
    shape.parent = parent;
    shape.style = kPreviewStyle;
    shape.width = client.right;
    shape.height = client.bottom;
    shape.title = hackMode != 0 ? "Orbelune" : "Preview";
  } else if (windowedOrPreview != 0) {
    RECT outer{0, 0, kTestClientWidth, kTestClientHeight};
    AdjustWindowRect(&outer, kWindowedStyle, FALSE);
    shape.style = kWindowedStyle;
    shape.width = outer.right - outer.left;
    shape.height = outer.bottom - outer.top;
    shape.title = "Orbelune";
  } else {
    shape.style = kFullScreenStyle;
    shape.exStyle = WS_EX_TOPMOST;
    shape.width = GetSystemMetrics(SM_CXSCREEN);
    shape.height = GetSystemMetrics(SM_CYSCREEN);
    shape.title = "Orbelune";
  }
  return shape;
}

HWND CreateSaverWindow(const SaverWindowShape& shape) {
  return CreateWindowExA(shape.exStyle, kClassName, shape.title, shape.style, 0, 0, shape.width, shape.height,
                         shape.parent, nullptr, appInstance, nullptr);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (FullScreen()) HideCursorAndInputMethod();
      break;
    case WM_DESTROY:
      if (FullScreen()) RestoreCursorAndInputMethod();
      ShowWindow(window, SW_HIDE);
      PostQuitMessage(0);
      break;
    case WM_PAINT:
      if (previewMode != 0) PaintPreviewPicture(window);
      break;
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (windowedOrPreview != 0) return ForwardHelpToParent(window, message, lParam);
      break;
    case WM_SYSCOMMAND:
      if (FullScreen() && SwallowedSystemCommand(wParam)) return 0;
      break;
    case WM_KEYDOWN:
      // F12 in the test window saves the next frame as a screenshot.
      if (windowedOrPreview != 0 && previewMode == 0 && hackMode == 0 && wParam == VK_F12) {
        screenshotRequested = 1;
      }
      break;
    case WM_SIZE:
      // The daemon's window, or a settings program's preview pane, may change size under a
      // hack run: the frames follow it instead of being stretched.
      if (hackMode != 0) FollowWindowSize();
      break;
    default:
      break;
  }
  return SaverInputProc(window, message, wParam, lParam);
}

LRESULT SaverInputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (FullScreen()) {
    switch (message) {
      case WM_CLOSE:
        RestoreCursorAndInputMethod();
        break;
      case WM_ACTIVATEAPP:
        if (wParam == 0) CloseSaver(window);
        break;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        CloseSaver(window);
        break;
      case WM_MOUSEMOVE:
        ApplyMouseRule(window);
        break;
      default:
        break;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
