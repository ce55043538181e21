// The real program on a virtual display: exit codes of the command line, the full-screen run
// and what ends it, the single-instance guard, the windowed test mode and the preview.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "gdi.h"
#include "program_process.h"
#include "resource.h"
#include "x11_session.h"

namespace {

using e2e::Pause;
using e2e::StartProgram;
using e2e::Stop;
using e2e::WaitForExit;
using e2e::Xdotool;

constexpr double kStartSeconds = 10;
// Input counts from the first frame on (the pointer's reference point is taken just before
// it). Tests wait for a picture to show, or this long when the run draws only black.
constexpr double kFirstFrameSeconds = 4;
constexpr double kEndSeconds = 5;
// Time for the program to take input after its first frame shows.
constexpr double kSettleSeconds = 0.5;

// Runs and settings of the program under test stay out of the user's own.
const bool isolated = [] {
  char runtime[] = "/tmp/orbelune-e2e-XXXXXX";
  if (mkdtemp(runtime) != nullptr) {
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    setenv("XDG_CONFIG_HOME", runtime, 1);
    setenv("ORBELUNE_REGISTRY", (std::string(runtime) + "/registry.reg").c_str(), 1);
  }
  unsetenv("ORBELUNE_DISPLAY");  // the program must find the real display
  return true;
}();

std::vector<std::string> Arguments(std::initializer_list<const char*> list) {
  return std::vector<std::string>(list.begin(), list.end());
}

// One connection for the whole run: an X server resets when its last client leaves, and a
// test connecting during that reset would find no display.
e2e::X11Session& Session() {
  static e2e::X11Session session;
  return session;
}

class SaverEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x11_.Connected()) << "needs a display: run under xvfb-run";
    Xdotool("mousemove 500 400");
  }
  void TearDown() override {
    for (pid_t program : started_) Stop(program);
  }

  pid_t Start(const std::vector<std::string>& arguments) {
    const pid_t program = StartProgram(arguments);
    started_.push_back(program);
    return program;
  }

  // Starts a full-screen run and waits until it takes input: the pointer's reference point is
  // taken once the renderer has started, just before the first frame.
  pid_t StartFullScreen() {
    const pid_t program = Start(Arguments({"/s"}));
    fullScreenWindow_ = x11_.WaitForWindow("Orbelune", program, kStartSeconds);
    EXPECT_TRUE(fullScreenWindow_.has_value()) << "no full-screen window appeared";
    if (fullScreenWindow_) x11_.WaitForPicture(*fullScreenWindow_, kFirstFrameSeconds);
    Pause(kSettleSeconds);
    return program;
  }

  e2e::X11Session& x11_ = Session();
  std::vector<pid_t> started_;
  std::optional<::Window> fullScreenWindow_;
};

TEST_F(SaverEndToEnd, SwitchesThatEndAtOnceGiveTheirExitCodes) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
  };
  const Case cases[] = {
      {{"/a"}, -1},
      {{"/A"}, -1},
      {{"/x"}, 0},
      {{"/1"}, 0},
      {{"/?"}, 0},
      {{"\t/s"}, 0},  // a tab is not a blank
      {{"/p", "0"}, 0},
      {{"/p"}, 0},
      {{"/p:1234"}, 0},      // ':' ends the number at once: no window
      {{"/p\t1234"}, 0},     // a tab is not skipped before the number
      {{"/p", "99999"}, 0},  // no such window
      {{"/\xE9s"}, 0},       // a byte of 0x80 or more is no switch letter
      {{}, 1},               // the configuration dialog's end code
      {{"-", "/", "-"}, 1},
      {{"/c:1234"}, 1},
  };
  for (const Case& each : cases) {
    std::string shown;
    for (const std::string& argument : each.arguments) shown += "[" + argument + "]";
    // The configuration dialog waits for the user on a display; without one it closes at
    // once as if cancelled, which leaves the switch's own end code to check here (the dialog
    // itself has its end-to-end test in tests/settings).
    const bool configuration = each.exitCode == 1;
    if (configuration) setenv("ORBELUNE_DISPLAY", "headless", 1);
    const pid_t program = Start(each.arguments);
    if (configuration) unsetenv("ORBELUNE_DISPLAY");
    const auto exitCode = WaitForExit(program, kEndSeconds);
    ASSERT_TRUE(exitCode.has_value()) << shown << " did not end";
    EXPECT_EQ(*exitCode, each.exitCode) << shown;
  }
}

TEST_F(SaverEndToEnd, FullScreenCoversTheScreenAndEndsOnInput) {
  struct Case {
    const char* action;  // xdotool command
    bool ends;
  };
  const Case cases[] = {
      {"key a", true},
      {"key shift", true},
      {"click 1", true},
      {"click 2", true},
      {"click 3", true},
      {"keyup a", false},                    // a release without a press
      {"click 4", false},                    // the wheel
      {"mousemove_relative -- 3 1", false},  // 4 pixels of Manhattan distance
  };
  bool checkedCover = false;
  for (const Case& each : cases) {
    Xdotool("mousemove 500 400");
    const pid_t program = StartFullScreen();
    if (!checkedCover) {
      ASSERT_TRUE(fullScreenWindow_.has_value());
      const e2e::WindowGeometry geometry = x11_.Geometry(*fullScreenWindow_);
      EXPECT_EQ(geometry.x, 0);
      EXPECT_EQ(geometry.y, 0);
      EXPECT_EQ(geometry.width, x11_.ScreenWidth());
      EXPECT_EQ(geometry.height, x11_.ScreenHeight());
      checkedCover = true;
    }
    ASSERT_TRUE(Xdotool(each.action)) << each.action;
    const auto exitCode = WaitForExit(program, each.ends ? kEndSeconds : 1.5);
    if (each.ends) {
      ASSERT_TRUE(exitCode.has_value()) << each.action << " did not end the run";
      EXPECT_EQ(*exitCode, 0) << each.action;
    } else {
      EXPECT_FALSE(exitCode.has_value()) << each.action << " ended the run";
      Stop(program);
    }
  }
}

TEST_F(SaverEndToEnd, SmallMovesAddUpFromWhereThePointerStarted) {
  const pid_t program = StartFullScreen();
  Xdotool("mousemove_relative -- 2 0");
  Pause(0.4);
  Xdotool("mousemove_relative -- 0 2");
  Pause(0.4);
  EXPECT_FALSE(WaitForExit(program, 0.5).has_value()) << "4 pixels away must not end the run";
  Xdotool("mousemove_relative -- 1 0");  // now 5 from the start, 1 from the last position
  const auto exitCode = WaitForExit(program, kEndSeconds);
  ASSERT_TRUE(exitCode.has_value());
  EXPECT_EQ(*exitCode, 0);
}

TEST_F(SaverEndToEnd, SwitchingToAnotherWindowEndsAFullScreenRun) {
  const ::Window other = x11_.CreateHost(100, 100, 0x00FF00);
  const pid_t program = StartFullScreen();
  ASSERT_TRUE(Xdotool("windowfocus " + std::to_string(other)));
  const auto exitCode = WaitForExit(program, kEndSeconds);
  ASSERT_TRUE(exitCode.has_value()) << "losing the focus did not end the run";
  EXPECT_EQ(*exitCode, 0);
  x11_.Destroy(other);
}

TEST_F(SaverEndToEnd, OnlyOneFullScreenOrTestRunAtATimeButAPreviewBeside) {
  const pid_t first = StartFullScreen();
  for (const char* second : {"/s", "/w"}) {
    const auto exitCode = WaitForExit(Start(Arguments({second})), kEndSeconds);
    ASSERT_TRUE(exitCode.has_value()) << second << " did not end at once";
    EXPECT_EQ(*exitCode, 0) << second;
  }
  const ::Window host = x11_.CreateHost(160, 120, 0xFFFFFF);
  const pid_t preview = Start(Arguments({"/p", std::to_string(host).c_str()}));
  EXPECT_FALSE(WaitForExit(preview, 1.5).has_value()) << "a preview runs beside a full-screen run";
  EXPECT_TRUE(e2e::StillRunning(first));
  x11_.Destroy(host);
  const auto previewExit = WaitForExit(preview, kEndSeconds);
  ASSERT_TRUE(previewExit.has_value()) << "the preview ends with its parent";
  EXPECT_EQ(*previewExit, 0);
}

TEST_F(SaverEndToEnd, WindowedTestModeIgnoresInputAndEndsByAltF4) {
  const char* const enders[] = {"key alt+F4"};
  for (const char* ender : enders) {
    const pid_t program = Start(Arguments({"/w"}));
    const auto window = x11_.WaitForWindow("Orbelune", program, kStartSeconds);
    ASSERT_TRUE(window.has_value());
    const e2e::WindowGeometry geometry = x11_.Geometry(*window);
    EXPECT_EQ(geometry.width, 800) << ender;
    EXPECT_EQ(geometry.height, 600) << ender;
    x11_.WaitForPicture(*window, kFirstFrameSeconds);
    Pause(kSettleSeconds);
    Xdotool("mousemove " + std::to_string(geometry.x + 400) + " " + std::to_string(geometry.y + 300));
    for (const char* action : {"key a", "click 1", "click 3", "mousemove_relative -- 50 50"}) {
      Xdotool(action);
    }
    EXPECT_FALSE(WaitForExit(program, 1).has_value()) << "input ended the test window";

    Xdotool(ender);
    const auto exitCode = WaitForExit(program, kEndSeconds);
    ASSERT_TRUE(exitCode.has_value()) << ender << " did not end the test window";
    EXPECT_EQ(*exitCode, 0) << ender;
  }
}

// Bitmap 128 stretched to width by height, taking the pixel under each target centre.
std::vector<uint32_t> ExpectedPreview(int width, int height) {
  const HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
  EXPECT_NE(bitmap, nullptr);
  const HDC memory = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  BITMAP size{};
  GetObjectA(bitmap, sizeof size, &size);
  EXPECT_EQ(size.bmWidth, 152);
  EXPECT_EQ(size.bmHeight, 112);
  std::vector<uint32_t> expected(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF colour = GetPixel(memory, (2 * x + 1) * 152 / (2 * width), (2 * y + 1) * 112 / (2 * height));
      expected[static_cast<size_t>(y) * width + x] =
          (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    }
  }
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(bitmap);
  return expected;
}

// How many pixels of the window differ from the expected preview picture.
size_t Mismatches(e2e::X11Session& x11, ::Window window, int& width, int& height) {
  const std::vector<uint32_t> shown = x11.Pixels(window, width, height);
  const std::vector<uint32_t> expected = ExpectedPreview(width, height);
  if (shown.size() != expected.size()) return expected.size() + 1;
  size_t different = 0;
  for (size_t index = 0; index < shown.size(); ++index) different += shown[index] != expected[index];
  return different;
}

TEST_F(SaverEndToEnd, PreviewPaintsTheBitmapStretchedOverItsParentAndFollowsItsSize) {
  const ::Window host = x11_.CreateHost(300, 200, 0xFF00FF);
  const pid_t program = Start(Arguments({"/p", std::to_string(host).c_str()}));

  // The picture arrives, then stays; compare when it has.
  int width = 0;
  int height = 0;
  size_t different = 0;
  for (int attempt = 0; attempt < 50; ++attempt) {
    Pause(0.1);
    different = Mismatches(x11_, host, width, height);
    if (different == 0) break;
  }
  EXPECT_EQ(width, 300);
  EXPECT_EQ(different, 0u) << "pixels that are not bitmap 128 stretched over the window";
  const std::vector<::Window> children = x11_.Children(host);
  ASSERT_EQ(children.size(), 1u) << "the saver window is one child of the parent";
  EXPECT_EQ(x11_.Geometry(children[0]).width, 300);
  EXPECT_EQ(x11_.Geometry(children[0]).height, 200);

  x11_.Resize(host, 457, 311);
  for (int attempt = 0; attempt < 50; ++attempt) {
    Pause(0.1);
    different = Mismatches(x11_, host, width, height);
    if (different == 0) break;
  }
  EXPECT_EQ(width, 457);
  EXPECT_EQ(height, 311);
  EXPECT_EQ(different, 0u) << "after resizing, the picture is stretched again";

  // Input in a preview changes nothing; a right click's context-menu request goes to the
  // parent, which here is another program's window.
  const e2e::WindowGeometry placed = x11_.Geometry(host);
  Xdotool("mousemove " + std::to_string(placed.x + 20) + " " + std::to_string(placed.y + 20));
  Xdotool("click 3");
  Xdotool("click 1");
  EXPECT_FALSE(WaitForExit(program, 1).has_value());
  x11_.Destroy(host);
  const auto exitCode = WaitForExit(program, kEndSeconds);
  ASSERT_TRUE(exitCode.has_value()) << "the preview ends with its parent";
  EXPECT_EQ(*exitCode, 0);
}

}  // namespace
