#include "shell/saver_window.h"

#include <gtest/gtest.h>

#include "headless_display.h"
#include "shell/saver_state.h"
#include "gdi_objects.h"
#include "window_table.h"

namespace {

// A saver window of the chosen mode, made as RunSaver makes it, and removed again.
class SaverWindowTest : public ::testing::Test {
 protected:
  void Make(LONG windowed, HWND parent = nullptr) {
    windowedOrPreview = windowed;
    previewMode = parent != nullptr ? 1 : 0;
    static const bool registered = RegisterSaverClass();
    ASSERT_TRUE(registered);
    window_ = CreateSaverWindow(ChooseSaverWindowShape(parent));
    ASSERT_NE(window_, nullptr);
    lastCursorPos = POINT{100, 100};
    standin::headless::SetCursorPosition(100, 100);
  }

  void TearDown() override {
    for (HWND each : standin::AllWindows()) DestroyWindow(each);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    while (ShowCursor(TRUE) < 0) {
    }
    while (ShowCursor(FALSE) >= 0) {
    }
    ShowCursor(TRUE);
    windowedOrPreview = 0;
    previewMode = 0;
    screenshotRequested = 0;
  }

  // Takes a close request posted to the saver window, if there is one.
  bool TakeCloseRequest() {
    MSG message;
    return PeekMessageA(&message, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
  }

  HWND window_ = nullptr;
};

struct InputCase {
  UINT message;
  WPARAM wParam;
  bool endsFullScreen;
};

const InputCase kInputs[] = {
    {WM_KEYDOWN, 'A', true},
    {WM_KEYDOWN, VK_SHIFT, true},
    {WM_SYSKEYDOWN, VK_MENU, true},
    {WM_LBUTTONDOWN, MK_LBUTTON, true},
    {WM_RBUTTONDOWN, MK_RBUTTON, true},
    {WM_MBUTTONDOWN, MK_MBUTTON, true},
    {WM_ACTIVATEAPP, FALSE, true},
    {WM_ACTIVATEAPP, TRUE, false},
    {WM_KEYUP, 'A', false},
    {WM_SYSKEYUP, VK_MENU, false},
    {WM_LBUTTONUP, 0, false},
    {WM_RBUTTONUP, 0, false},
    {WM_MBUTTONUP, 0, false},
    {WM_LBUTTONDBLCLK, MK_LBUTTON, false},
    {WM_RBUTTONDBLCLK, MK_RBUTTON, false},
    {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), false},
    {WM_CHAR, 'a', false},
};

}  // namespace

TEST_F(SaverWindowTest, FullScreenWindowCoversTheScreenAndHidesCursorAndInputMethod) {
  Make(0);
  RECT client{};
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 200);
  EXPECT_NE(GetWindowLongPtrA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE)), 0x96000000u);
  EXPECT_FALSE(standin::headless::CursorVisible());
  EXPECT_FALSE(standin::headless::TextInputEnabled());
}

TEST_F(SaverWindowTest, CursorIsHiddenEvenWhenItsCounterStartedHigh) {
  ShowCursor(TRUE);
  ShowCursor(TRUE);  // counter 2: one FALSE would not hide it
  Make(0);
  EXPECT_FALSE(standin::headless::CursorVisible());
  EXPECT_EQ(ShowCursor(TRUE), 0) << "the counter was brought just below zero";
}

TEST_F(SaverWindowTest, InputEndsAFullScreenRunOnlyByTheRules) {
  Make(0);
  for (const InputCase& input : kInputs) {
    SendMessageA(window_, input.message, input.wParam, 0);
    EXPECT_EQ(TakeCloseRequest(), input.endsFullScreen) << std::hex << input.message << " " << input.wParam;
    EXPECT_TRUE(IsWindow(window_));
  }
}

TEST_F(SaverWindowTest, InputChangesNothingInTheTestWindow) {
  Make(1);
  EXPECT_TRUE(standin::headless::CursorVisible());
  RECT client{};
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 600);
  for (const InputCase& input : kInputs) {
    SendMessageA(window_, input.message, input.wParam, 0);
    EXPECT_FALSE(TakeCloseRequest()) << std::hex << input.message;
  }
  standin::headless::SetCursorPosition(400, 400);
  SendMessageA(window_, WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(TakeCloseRequest());
  EXPECT_TRUE(standin::headless::CursorVisible());
}

TEST_F(SaverWindowTest, MouseRuleMeasuresManhattanDistanceFromTheReferencePoint) {
  Make(0);
  struct Case {
    POINT cursor;
    bool ends;
  };
  const Case cases[] = {
      {{100, 100}, false}, {{103, 101}, false},                     // 4 pixels
      {{96, 100}, false},  {{98, 98}, false},   {{102, 97}, true},  // 5 pixels
      {{105, 100}, true},  {{100, 95}, true},   {{-2000000000, 100}, true},
  };
  for (const Case& each : cases) {
    lastCursorPos = POINT{100, 100};
    standin::headless::SetCursorPosition(each.cursor.x, each.cursor.y);
    SendMessageA(window_, WM_MOUSEMOVE, 0, MAKELPARAM(0, 0));
    EXPECT_EQ(TakeCloseRequest(), each.ends) << each.cursor.x << "," << each.cursor.y;
    const POINT expected = each.ends ? each.cursor : POINT{100, 100};
    EXPECT_EQ(lastCursorPos.x, expected.x);
    EXPECT_EQ(lastCursorPos.y, expected.y);
  }
}

TEST_F(SaverWindowTest, SmallMovesAddUpBecauseTheReferenceStaysPut) {
  Make(0);
  const POINT steps[] = {{102, 100}, {104, 100}, {104, 101}};
  for (const POINT& step : steps) {
    standin::headless::SetCursorPosition(step.x, step.y);
    SendMessageA(window_, WM_MOUSEMOVE, 0, 0);
  }
  EXPECT_TRUE(TakeCloseRequest()) << "5 pixels from where the run started";
}

TEST_F(SaverWindowTest, SystemCommandsThatWouldLeaveAreSwallowedInFullScreen) {
  Make(0);
  for (WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE}) {
    EXPECT_EQ(SendMessageA(window_, WM_SYSCOMMAND, command, 0), 0);
    EXPECT_TRUE(IsWindow(window_));
  }
  SendMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(window_)) << "other commands keep their default handling";
}

TEST_F(SaverWindowTest, ClosingRestoresCursorAndInputMethodAndQuitsWithZero) {
  Make(0);
  ASSERT_FALSE(standin::headless::CursorVisible());
  SendMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_TRUE(standin::headless::CursorVisible());
  EXPECT_TRUE(standin::headless::TextInputEnabled());
  MSG message;
  ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
  EXPECT_EQ(message.wParam, 0u);
}

TEST_F(SaverWindowTest, HelpRequestsGoToTheParentInPreviewAndTestModes) {
  // An own window stands for the control panel's.
  WNDCLASSA hostClass{};
  hostClass.lpfnWndProc = DefWindowProcA;
  hostClass.lpszClassName = "PreviewHost";
  RegisterClassA(&hostClass);
  const HWND host =
      CreateWindowExA(0, "PreviewHost", "", WS_POPUP | WS_VISIBLE, 0, 0, 152, 112, nullptr, nullptr, nullptr, nullptr);
  Make(1, host);
  RECT client{};
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 152) << "the preview covers its parent's client area";
  EXPECT_EQ(client.bottom, 112);

  for (UINT request : {WM_CONTEXTMENU, WM_HELP}) {
    EXPECT_EQ(SendMessageA(window_, request, reinterpret_cast<WPARAM>(window_), MAKELPARAM(7, 9)), 1);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, host, request, request, PM_REMOVE));
    EXPECT_EQ(message.wParam, reinterpret_cast<WPARAM>(host)) << "the parent's own handle";
    EXPECT_EQ(message.lParam, MAKELPARAM(7, 9));
  }
  EXPECT_FALSE(TakeCloseRequest());
}

TEST_F(SaverWindowTest, F12InTheTestWindowAsksForAScreenshot) {
  Make(1);
  SendMessageA(window_, WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(screenshotRequested, 0);
  SendMessageA(window_, WM_KEYDOWN, VK_F12, 0);
  EXPECT_EQ(screenshotRequested, 1);
}

TEST_F(SaverWindowTest, PreviewPaintsBitmap128StretchedOverTheWindow) {
  WNDCLASSA hostClass{};
  hostClass.lpfnWndProc = DefWindowProcA;
  hostClass.lpszClassName = "PaintHost";
  RegisterClassA(&hostClass);
  const HWND host =
      CreateWindowExA(0, "PaintHost", "", WS_POPUP | WS_VISIBLE, 0, 0, 76, 224, nullptr, nullptr, nullptr, nullptr);
  appInstance = GetModuleHandleA(nullptr);
  Make(1, host);
  SendMessageA(window_, WM_PAINT, 0, 0);

  const standin::Window* shown = standin::FindOwnWindow(window_);
  ASSERT_NE(shown, nullptr);
  ASSERT_EQ(shown->picture.width, 76);
  ASSERT_EQ(shown->picture.height, 224);
  // Half as wide and twice as tall: every second column, every row twice.
  const HBITMAP bitmap = LoadBitmapA(appInstance, MAKEINTRESOURCEA(128));
  ASSERT_NE(bitmap, nullptr);
  const HDC memory = CreateCompatibleDC(nullptr);
  SelectObject(memory, bitmap);
  size_t different = 0;
  for (int y = 0; y < 224; ++y) {
    for (int x = 0; x < 76; ++x) {
      const uint32_t expected = standin::PixelOf(GetPixel(memory, 2 * x + 1, y / 2));
      different += shown->picture.pixels[static_cast<size_t>(y) * 76 + x] != expected;
    }
  }
  EXPECT_EQ(different, 0u);
  DeleteDC(memory);
  DeleteObject(bitmap);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, window_, WM_PAINT, WM_PAINT, PM_NOREMOVE)) << "painted means valid";
}
