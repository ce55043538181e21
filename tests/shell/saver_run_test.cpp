// Whole saver runs on the headless display, ended by input queued before they start. Each test
// runs in a process of its own, so the "SCRNSAVE" marker of one run never blocks another's.
#include "shell/saver_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "headless_display.h"
#include "shell/saver_state.h"
#include "window_table.h"

namespace {

class SaverRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    windowedOrPreview = 0;
    previewMode = 0;
    appInstance = GetModuleHandleA(nullptr);
  }
};

}  // namespace

TEST_F(SaverRunTest, FullScreenRunEndsOnAKeyWithZeroAndHoldsTheMarker) {
  ASSERT_TRUE(standin::headless::QueueInput(nullptr, WM_KEYDOWN, VK_SPACE, 0));
  EXPECT_EQ(RunSaver(nullptr), 0);
  EXPECT_TRUE(standin::AllWindows().empty()) << "the window was destroyed";
  EXPECT_TRUE(standin::headless::CursorVisible());
  EXPECT_TRUE(standin::headless::TextInputEnabled());

  // The run's marker lives as long as the process: a second full-screen or test run ends at
  // once, without a window.
  EXPECT_EQ(RunSaver(nullptr), 0);
  windowedOrPreview = 1;
  EXPECT_EQ(RunSaver(nullptr), 0);
  EXPECT_TRUE(standin::AllWindows().empty());
}

TEST_F(SaverRunTest, SecondRunFindsTheMarkerOfAnotherProcess) {
  // Another process takes "SCRNSAVE" in this test's runtime folder and holds it a while.
  const pid_t other = fork();
  if (other == 0) {
    CreateMutexA(nullptr, FALSE, "SCRNSAVE");
    Sleep(3000);
    _exit(0);
  }
  Sleep(500);
  EXPECT_EQ(RunSaver(nullptr), 0);
  EXPECT_TRUE(standin::AllWindows().empty());
  int status = 0;
  waitpid(other, &status, 0);
}

TEST_F(SaverRunTest, TestWindowIgnoresInputAndEndsByClosing) {
  windowedOrPreview = 1;
  for (UINT input : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_MOUSEMOVE}) {
    standin::headless::QueueInput(nullptr, input, 0, 0);
  }
  standin::headless::QueueInput(nullptr, WM_ACTIVATEAPP, FALSE, 0);
  standin::headless::QueueInput(nullptr, WM_CLOSE, 0, 0);
  EXPECT_EQ(RunSaver(nullptr), 0);
  EXPECT_TRUE(standin::AllWindows().empty());
}

TEST_F(SaverRunTest, PreviewRunsBesideAFullScreenMarkerAndEndsWhenItsParentGoes) {
  CreateMutexA(nullptr, FALSE, "SCRNSAVE");  // a full-screen run exists
  WNDCLASSA hostClass{};
  hostClass.lpfnWndProc = DefWindowProcA;
  hostClass.lpszClassName = "RunHost";
  RegisterClassA(&hostClass);
  const HWND host =
      CreateWindowExA(0, "RunHost", "", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr, nullptr, nullptr);
  windowedOrPreview = 1;
  // The parent closes, which destroys the preview inside it.
  standin::headless::QueueInput(host, WM_CLOSE, 0, 0);
  EXPECT_EQ(RunSaver(host), 0);
  EXPECT_EQ(previewMode, 1);
  EXPECT_TRUE(standin::AllWindows().empty());
}
