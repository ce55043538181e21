#include <gtest/gtest.h>

#include <algorithm>

#include "headless_display.h"
#include "test_windows.h"
#include "window_table.h"

using testing_windows::Log;
using testing_windows::MessagesOf;
using testing_windows::RecordingClass;
using testing_windows::WindowTest;

namespace {

bool Contains(const std::vector<UINT>& messages, UINT message) {
  return std::find(messages.begin(), messages.end(), message) != messages.end();
}

}  // namespace

TEST_F(WindowTest, AdjustedOuterSizeGivesTheAskedClientArea) {
  struct Case {
    DWORD style;
    int clientWidth;
    int clientHeight;
  };
  const Case cases[] = {
      {WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU, 800, 600},
      {WS_OVERLAPPEDWINDOW, 640, 480},
      {WS_POPUP | WS_BORDER, 100, 50},
      {WS_POPUP, 320, 200},
  };
  for (const Case& each : cases) {
    RECT outer{0, 0, each.clientWidth, each.clientHeight};
    ASSERT_TRUE(AdjustWindowRect(&outer, each.style, FALSE));
    if ((each.style & WS_CAPTION) == WS_CAPTION) {
      EXPECT_GT(outer.bottom - outer.top, each.clientHeight) << "a caption takes room";
    }
    const HWND window = CreateTopLevel(each.style, outer.right - outer.left, outer.bottom - outer.top);
    ASSERT_NE(window, nullptr);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, each.clientWidth) << std::hex << each.style;
    EXPECT_EQ(client.bottom, each.clientHeight) << std::hex << each.style;
    DestroyWindow(window);
  }
}

TEST_F(WindowTest, ScreenMetricsComeFromTheDisplay) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 200);
}

TEST_F(WindowTest, CreationSendsItsMessagesInOrder) {
  const HWND window = CreateTopLevel(WS_POPUP | WS_VISIBLE, 10, 10);
  ASSERT_NE(window, nullptr);
  const std::vector<UINT> messages = MessagesOf(window);
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[0], static_cast<UINT>(WM_NCCREATE));
  EXPECT_EQ(messages[1], static_cast<UINT>(WM_CREATE));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE, WS_VISIBLE);
}

TEST_F(WindowTest, CloseDestroysAndDestroyingSendsDestroy) {
  const HWND window = CreateTopLevel(WS_POPUP | WS_VISIBLE, 10, 10);
  Log().clear();
  SendMessageA(window, WM_CLOSE, 0, 0);
  const std::vector<UINT> messages = MessagesOf(window);
  EXPECT_TRUE(Contains(messages, WM_DESTROY));
  EXPECT_TRUE(Contains(messages, WM_NCDESTROY));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowTest, CloseCommandsBecomeClose) {
  struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool closes;
  };
  constexpr LPARAM kAlt = LPARAM{1} << 29;
  const Case cases[] = {
      {WM_SYSCOMMAND, SC_CLOSE, 0, true},     {WM_SYSKEYDOWN, VK_F4, kAlt, true},  // Alt+F4
      {WM_SYSKEYDOWN, VK_F4, 0, false},                                            // F10-style system key without Alt
      {WM_SYSCOMMAND, SC_MINIMIZE, 0, false}, {WM_KEYDOWN, VK_ESCAPE, 0, false},
  };
  for (const Case& each : cases) {
    const HWND window = CreateTopLevel(WS_CAPTION | WS_SYSMENU, 50, 50);
    DefWindowProcA(window, each.message, each.wParam, each.lParam);
    EXPECT_EQ(IsWindow(window) == FALSE, each.closes) << std::hex << each.message << " " << each.wParam;
    DestroyWindow(window);
  }
}

TEST_F(WindowTest, OwnHandlesNeverLookLikeAnX11Window) {
  const HWND window = CreateTopLevel(WS_POPUP, 10, 10);
  EXPECT_GT(reinterpret_cast<uintptr_t>(window), uintptr_t{0xFFFFFFFF});
  // Without a display there are no foreign windows: a decimal id names none.
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(uintptr_t{1234})));
  EXPECT_FALSE(IsWindow(nullptr));
  RECT rect{};
  EXPECT_FALSE(GetClientRect(reinterpret_cast<HWND>(uintptr_t{1234}), &rect));
}

TEST_F(WindowTest, CreationFailsCleanly) {
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateWindowExA(0, RecordingClass(), "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr)
      << "a child needs a parent";
  EXPECT_EQ(CreateWindowExA(0, RecordingClass(), "", WS_CHILD, 0, 0, 1, 1, reinterpret_cast<HWND>(uintptr_t{99999}),
                            nullptr, nullptr, nullptr),
            nullptr)
      << "the parent must exist";
  EXPECT_TRUE(standin::AllWindows().empty());

  WNDCLASSA again{};
  again.lpfnWndProc = DefWindowProcA;
  again.lpszClassName = "recordingclass";  // class names ignore case
  EXPECT_EQ(RegisterClassA(&again), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

TEST_F(WindowTest, ChildOfOwnWindowKnowsItsParentAndPosition) {
  const HWND parent = CreateWindowExA(0, RecordingClass(), "", WS_POPUP | WS_VISIBLE, 30, 40, 100, 80, nullptr, nullptr,
                                      nullptr, nullptr);
  auto* instance = reinterpret_cast<HINSTANCE>(uintptr_t{0x5000});
  const HWND child =
      CreateWindowExA(0, RecordingClass(), "", WS_CHILD | WS_VISIBLE, 5, 6, 20, 10, parent, nullptr, instance, nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(GetParent(child), parent);
  EXPECT_EQ(GetWindowLongPtrA(child, GWLP_HINSTANCE), reinterpret_cast<LONG_PTR>(instance));
  POINT point{1, 2};
  ASSERT_TRUE(ClientToScreen(child, &point));
  EXPECT_EQ(point.x, 36);
  EXPECT_EQ(point.y, 48);

  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(child)) << "children go with their parent";
}

TEST_F(WindowTest, SetWindowPosResizesAndRepaints) {
  const HWND window = CreateTopLevel(WS_POPUP | WS_VISIBLE, 10, 10);
  ValidateRect(window, nullptr);
  Log().clear();
  ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 30, 20, SWP_NOMOVE | SWP_NOZORDER));
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 30);
  EXPECT_EQ(client.bottom, 20);
  EXPECT_TRUE(Contains(MessagesOf(window), WM_SIZE));
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
}

TEST_F(WindowTest, CursorCounterHidesThePointerBelowZero) {
  ASSERT_TRUE(standin::headless::CursorVisible());
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_FALSE(standin::headless::CursorVisible());
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_FALSE(standin::headless::CursorVisible());
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_TRUE(standin::headless::CursorVisible());

  ASSERT_TRUE(standin::headless::SetCursorPosition(-5, 17));
  POINT point{};
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, -5);
  EXPECT_EQ(point.y, 17);

  WINNLSEnableIME(nullptr, FALSE);
  EXPECT_FALSE(standin::headless::TextInputEnabled());
  WINNLSEnableIME(nullptr, TRUE);
  EXPECT_TRUE(standin::headless::TextInputEnabled());
}

TEST_F(WindowTest, RightButtonReleaseAsksTheParentForAContextMenu) {
  const HWND parent = CreateTopLevel(WS_POPUP | WS_VISIBLE, 100, 100);
  const HWND child = CreateWindowExA(0, RecordingClass(), "", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, parent, nullptr,
                                     nullptr, nullptr);
  Log().clear();
  SendMessageA(child, WM_RBUTTONUP, 0, MAKELPARAM(2, 3));
  const auto found = std::find_if(Log().begin(), Log().end(), [&](const auto& received) {
    return received.window == parent && received.message == WM_CONTEXTMENU;
  });
  ASSERT_NE(found, Log().end());
  EXPECT_EQ(found->wParam, reinterpret_cast<WPARAM>(child));
  EXPECT_EQ(GET_X_LPARAM(found->lParam), 12);
  EXPECT_EQ(GET_Y_LPARAM(found->lParam), 13);
}
