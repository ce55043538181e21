#include "display_bridge.h"

#include <gtest/gtest.h>

#include "test_windows.h"

using testing_windows::WindowTest;

using DisplayBridgeTest = WindowTest;

namespace {

uint32_t At(const std::vector<uint32_t>& pixels, int width, int x, int y) {
  return pixels[static_cast<size_t>(y) * width + x];
}

}  // namespace

TEST_F(DisplayBridgeTest, DesktopShowsEachWindowsLastFrameScaledToItsClientArea) {
  // A 2 by 2 frame with a padded pitch, presented into a 4 by 4 client area at 10, 20.
  const HWND window = CreateWindowExA(0, testing_windows::RecordingClass(), "", WS_POPUP | WS_VISIBLE, 10, 20, 4, 4,
                                      nullptr, nullptr, nullptr, nullptr);
  const uint32_t frame[] = {0xFF112233, 0x00445566, 0xDEADBEEF, 0x00778899, 0x00AABBCC, 0xDEADBEEF};
  ASSERT_TRUE(standin::PresentToWindow(window, frame, 2, 2, 3 * sizeof(uint32_t)));

  std::vector<uint32_t> desktop;
  int width = 0;
  int height = 0;
  ASSERT_TRUE(standin::CaptureDesktop(desktop, width, height));
  ASSERT_EQ(width, 320);
  ASSERT_EQ(height, 200);
  EXPECT_EQ(At(desktop, width, 9, 20), 0u) << "the desktop around the window is black";
  EXPECT_EQ(At(desktop, width, 10, 20), 0x112233u) << "the unused top byte is dropped";
  EXPECT_EQ(At(desktop, width, 11, 21), 0x112233u);
  EXPECT_EQ(At(desktop, width, 12, 20), 0x445566u);
  EXPECT_EQ(At(desktop, width, 10, 22), 0x778899u);
  EXPECT_EQ(At(desktop, width, 13, 23), 0xAABBCCu);
  EXPECT_EQ(At(desktop, width, 14, 23), 0u);

  // A hidden window is not on the desktop.
  ShowWindow(window, SW_HIDE);
  ASSERT_TRUE(standin::CaptureDesktop(desktop, width, height));
  EXPECT_EQ(At(desktop, width, 10, 20), 0u);
}

TEST_F(DisplayBridgeTest, RefusesFramesItCannotShow) {
  const HWND window = CreateTopLevel(WS_POPUP | WS_VISIBLE, 4, 4);
  const uint32_t frame[4] = {};
  struct Case {
    HWND window;
    const uint32_t* pixels;
    int width;
    int height;
    size_t pitch;
  };
  const Case cases[] = {
      {nullptr, frame, 2, 2, 8},
      {window, nullptr, 2, 2, 8},
      {window, frame, 0, 2, 8},
      {window, frame, 2, -1, 8},
      {window, frame, 2, 2, 7},  // rows would overlap
      {window, frame, 1 << 20, 1, size_t{4} << 20},
  };
  for (const Case& each : cases) {
    EXPECT_FALSE(standin::PresentToWindow(each.window, each.pixels, each.width, each.height, each.pitch));
  }
  DestroyWindow(window);
  EXPECT_FALSE(standin::PresentToWindow(window, frame, 2, 2, 8)) << "the window is gone";
}

TEST_F(DisplayBridgeTest, RefreshRateIsKnown) { EXPECT_EQ(standin::DisplayRefreshRate(nullptr), 60); }
