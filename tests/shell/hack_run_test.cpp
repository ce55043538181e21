// Hack runs on the headless display: the daemon's rules (input ends nothing, no single-instance
// guard, SIGTERM ends the run with 0), the picture at the host window's size, and settings
// options that override the store for the run without writing to it.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

#include "headless_display.h"
#include "render/process_objects.h"
#include "settings/settings_overrides.h"
#include "settings/settings_readers.h"
#include "shell/command_line.h"
#include "shell/saver_run.h"
#include "shell/saver_state.h"
#include "window_table.h"

namespace {

HWND CreateHost(int width, int height) {
  WNDCLASSA hostClass{};
  hostClass.lpfnWndProc = DefWindowProcA;
  hostClass.lpszClassName = "HackHost";
  RegisterClassA(&hostClass);
  return CreateWindowExA(0, "HackHost", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr,
                         nullptr);
}

// The values the store holds, one "name"=value line each.
int StoredValues() {
  std::ifstream file(getenv("ORBELUNE_REGISTRY"));
  int values = 0;
  for (std::string line; std::getline(file, line);) values += line.rfind("\"", 0) == 0 ? 1 : 0;
  return values;
}

}  // namespace

TEST(HackRunTest, IgnoresInputRunsBesideAFullScreenRunAndEndsOnSigtermWithZero) {
  appInstance = GetModuleHandleA(nullptr);
  CreateMutexA(nullptr, FALSE, "SCRNSAVE");  // a full-screen run exists
  const HWND host = CreateHost(200, 150);
  ASSERT_NE(host, nullptr);
  // Everything that ends a full-screen run, delivered to the hack's window.
  standin::headless::SetCursorPosition(300, 190);
  for (UINT input : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_MOUSEMOVE}) {
    standin::headless::QueueInput(nullptr, input, 0, 0);
  }
  standin::headless::QueueInput(nullptr, WM_ACTIVATEAPP, FALSE, 0);
  g_settingsOverrides.Distance = 80;
  g_settingsOverrides.HaloColor = 0x123456;
  g_settingsOverrides.FileName = "Default";

  // The daemon's signal comes while frames are being drawn.
  std::atomic<bool> signalled{false};
  std::thread daemon([&signalled] {
    Sleep(1500);
    signalled = true;
    kill(getpid(), SIGTERM);
  });
  const int exitCode = RunHack(host);
  const bool endedBySignal = signalled;
  daemon.join();
  EXPECT_TRUE(endedBySignal) << "the run ended before the signal: input ended it";
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(standin::AllWindows().empty()) << "the signal closed the windows";
  EXPECT_EQ(windowedOrPreview, 1);
  EXPECT_EQ(previewMode, 0);

  EXPECT_EQ(g_graphicsDevice.presentParams.BackBufferWidth, 200u) << "frames at the host's size";
  EXPECT_EQ(g_graphicsDevice.presentParams.BackBufferHeight, 150u);
  EXPECT_EQ(g_startupSettings.Distance, 80u);
  EXPECT_EQ(g_startupSettings.HaloColor, 0x123456u);
  EXPECT_EQ(g_startupSettings.ObjectDistance, 10u) << "a setting not given keeps the store's value";
  EXPECT_STREQ(g_startupSettings.FileName, "Default");
  EXPECT_EQ(StoredValues(), 1) << "only DefImageNum, which every start flips, is written";
}

TEST(HackRunTest, CommandLinesThatCannotRunEndAtOnce) {
  struct Case {
    const char* text;
    const char* screensaverWindow;  // XSCREENSAVER_WINDOW, or null for none
    int exitCode;
  };
  const Case cases[] = {
      {"-root --distance 99", nullptr, 2},
      {"-window-id 5 --image", nullptr, 2},
      {"--distance 30", nullptr, 2},
      {"-window-id 99999", nullptr, 1},  // no such window
      {"-root", "0x2a", 1},
      {"-root", "not a window", 1},
  };
  for (const Case& each : cases) {
    if (each.screensaverWindow != nullptr) {
      setenv("XSCREENSAVER_WINDOW", each.screensaverWindow, 1);
    } else {
      unsetenv("XSCREENSAVER_WINDOW");
    }
    windowedOrPreview = 0;
    EXPECT_EQ(RunCommandLine(each.text), each.exitCode) << each.text;
    EXPECT_EQ(windowedOrPreview, 0) << each.text << ": no run was started";
  }
  EXPECT_TRUE(standin::AllWindows().empty());
  EXPECT_EQ(StoredValues(), 0);
}
