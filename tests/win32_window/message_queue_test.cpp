#include <gtest/gtest.h>

#include "headless_display.h"
#include "test_windows.h"

using testing_windows::Log;
using testing_windows::MessagesOf;
using testing_windows::WindowTest;

using MessageQueueTest = WindowTest;

TEST_F(MessageQueueTest, PostedMessagesComeInOrderThenQuitThenPaint) {
  const HWND window = CreateTopLevel(WS_POPUP | WS_VISIBLE, 10, 10);
  ASSERT_NE(window, nullptr);
  PostQuitMessage(7);
  PostMessageA(window, WM_USER + 1, 11, 12);
  PostMessageA(window, WM_USER + 2, 21, 22);

  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, WM_USER + 1u) << "looking must not take the message";

  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, WM_USER + 1u);
  EXPECT_EQ(message.wParam, 11u);
  EXPECT_EQ(message.lParam, 12);
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, WM_USER + 2u);

  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE) << "the quit message ends a loop";
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(static_cast<int>(message.wParam), 7);

  // A newly shown window needs painting: WM_PAINT comes until the window is painted.
  for (int repeat = 0; repeat < 2; ++repeat) {
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
  }
  DispatchMessageA(&message);  // the default handling paints it
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, QuitCodeKeepsItsSign) {
  PostQuitMessage(-1);
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
  EXPECT_EQ(static_cast<int>(message.wParam), -1);
}

TEST_F(MessageQueueTest, FiltersByWindowAndRange) {
  const HWND first = CreateTopLevel(WS_POPUP, 10, 10);
  const HWND second = CreateTopLevel(WS_POPUP, 10, 10);
  PostMessageA(first, WM_USER, 0, 0);
  PostMessageA(second, WM_APP, 0, 0);
  PostMessageA(nullptr, WM_APP + 1, 0, 0);

  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, second, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.hwnd, second);
  ASSERT_TRUE(PeekMessageA(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_APP + 1u) << "-1 takes messages posted to the thread";
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_APP, WM_APP + 5, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(message.hwnd, first);
}

TEST_F(MessageQueueTest, SendCallsTheProcedureAndDispatchDelivers) {
  const HWND window = CreateTopLevel(WS_POPUP, 10, 10);
  Log().clear();
  SendMessageA(window, WM_USER + 3, 1, 2);
  ASSERT_EQ(Log().size(), 1u) << "sending is a direct call";
  EXPECT_EQ(Log()[0].message, WM_USER + 3u);

  PostMessageA(window, WM_USER + 4, 5, 6);
  EXPECT_EQ(Log().size(), 1u) << "posting waits for dispatch";
  MSG message;
  ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
  DispatchMessageA(&message);
  ASSERT_EQ(Log().size(), 2u);
  EXPECT_EQ(Log()[1].wParam, 5u);
}

TEST_F(MessageQueueTest, PostingToAMissingWindowFails) {
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(uintptr_t{0x1234}), WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  const HWND window = CreateTopLevel(WS_POPUP, 10, 10);
  DestroyWindow(window);
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
}

TEST_F(MessageQueueTest, DestroyingAWindowDropsItsQueuedMessages) {
  const HWND window = CreateTopLevel(WS_POPUP, 10, 10);
  PostMessageA(window, WM_USER, 0, 0);
  DestroyWindow(window);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, DisplayInputArrivesAsPostedMessages) {
  const HWND window = CreateTopLevel(WS_POPUP | WS_VISIBLE, 10, 10);
  ValidateRect(window, nullptr);
  ASSERT_TRUE(standin::headless::SetCursorPosition(3, 4));
  ASSERT_TRUE(standin::headless::QueueInput(window, WM_KEYDOWN, 'A', 1));
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(message.pt.x, 3);
  EXPECT_EQ(message.pt.y, 4);

  // Translation adds the character the key stands for.
  TranslateMessage(&message);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(message.wParam, static_cast<WPARAM>('a'));
}
