// Helpers shared by the window stand-in tests: a window class whose procedure records every
// message it gets, and a fixture that leaves no window or message behind.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "winapi.h"

namespace testing_windows {

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Received>& Log();
const char* RecordingClass();  // registers it on first use
std::vector<UINT> MessagesOf(HWND window);

class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override;
  HWND CreateTopLevel(DWORD style, int width, int height, DWORD exStyle = 0);
};

}  // namespace testing_windows
