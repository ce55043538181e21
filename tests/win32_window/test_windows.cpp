#include "test_windows.h"

#include "window_table.h"

#include <cstdlib>

namespace testing_windows {
namespace {

// Every test here runs on the headless display with a small screen, display or not; the
// backend is chosen at first use, which comes after this.
const bool headlessChosen = [] {
  setenv("ORBELUNE_DISPLAY", "headless", 1);
  setenv("ORBELUNE_SCREEN_SIZE", "320x200", 1);
  return true;
}();

LRESULT CALLBACK Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Received{window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

std::vector<Received>& Log() {
  static std::vector<Received> log;
  return log;
}

const char* RecordingClass() {
  static const char* name = [] {
    WNDCLASSA description{};
    description.lpfnWndProc = Recording;
    description.lpszClassName = "RecordingClass";
    description.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    EXPECT_NE(RegisterClassA(&description), 0);
    return "RecordingClass";
  }();
  return name;
}

std::vector<UINT> MessagesOf(HWND window) {
  std::vector<UINT> messages;
  for (const Received& received : Log()) {
    if (received.window == window) messages.push_back(received.message);
  }
  return messages;
}

void WindowTest::TearDown() {
  for (HWND window : standin::AllWindows()) DestroyWindow(window);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  Log().clear();
}

HWND WindowTest::CreateTopLevel(DWORD style, int width, int height, DWORD exStyle) {
  return CreateWindowExA(exStyle, RecordingClass(), "Test", style, 0, 0, width, height, nullptr, nullptr, nullptr,
                         nullptr);
}

}  // namespace testing_windows
