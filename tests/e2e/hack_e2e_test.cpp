// The program as an XScreenSaver hack on a virtual display: drawing into a window of another
// program and following its size, -root with the daemon's XSCREENSAVER_WINDOW, SIGTERM, input
// that ends nothing, and options that override the store without writing to it.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program_process.h"
#include "x11_session.h"

namespace {

using e2e::Pause;
using e2e::WaitForExit;

constexpr double kEndSeconds = 5;
// A hack shows its first frame within a second; a slow shared machine gets some slack.
constexpr double kFirstFrameSeconds = 3;

e2e::X11Session& Session() {
  static e2e::X11Session session;
  return session;
}

std::string Store() { return getenv("ORBELUNE_REGISTRY"); }

// The store's "name"=value lines, all but DefImageNum, which every start flips.
std::vector<std::string> StoredValuesButDefImageNum() {
  std::ifstream file(Store());
  std::vector<std::string> values;
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("\"", 0) == 0 && line.rfind("\"DefImageNum\"", 0) != 0) values.push_back(line);
  }
  return values;
}

// A store with a green background, which the options below change for one run.
void WriteStore() {
  std::ofstream(Store(), std::ios::trunc) << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n"
                                             "\"BackColor\"=dword:0000ff00\n\"DefImageNum\"=dword:00000000\n";
}

// The widths of what is not background along the middle row and the middle column: the disc
// and its halo, round when the frame is drawn at the window's size and not stretched to it.
struct DiscExtent {
  int across = 0;
  int down = 0;
};

DiscExtent MeasureDisc(const std::vector<uint32_t>& pixels, int width, int height, uint32_t background) {
  DiscExtent extent;
  for (int x = 0; x < width; ++x) extent.across += pixels[static_cast<size_t>(height / 2) * width + x] != background;
  for (int y = 0; y < height; ++y) extent.down += pixels[static_cast<size_t>(y) * width + width / 2] != background;
  return extent;
}

// Hosts are black, as a daemon's windows are, so that a picture in them is the hack's.
class HackEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x11_.Connected()) << "needs a display: run under xvfb-run";
    WriteStore();
  }
  void TearDown() override {
    for (pid_t program : started_) e2e::Stop(program);
    unsetenv("XSCREENSAVER_WINDOW");
  }
  pid_t Start(const std::vector<std::string>& arguments) {
    started_.push_back(e2e::StartProgram(arguments));
    return started_.back();
  }

  e2e::X11Session& x11_ = Session();
  std::vector<pid_t> started_;
};

TEST_F(HackEndToEnd, WindowIdDrawsIntoTheWindowFollowsItsSizeAndEndsOnSigterm) {
  const ::Window host = x11_.CreateHost(320, 240, 0x000000);
  const std::string options[] = {"--back-color", "#FF0000", "--distance", "70"};
  std::vector<std::string> arguments = {"-window-id", std::to_string(host)};
  arguments.insert(arguments.end(), std::begin(options), std::end(options));
  const pid_t program = Start(arguments);
  ASSERT_TRUE(x11_.WaitForPicture(host, kFirstFrameSeconds)) << "no picture in the window";

  for (const auto& [width, height] : {std::pair{320, 240}, std::pair{480, 200}}) {
    if (width != 320) x11_.Resize(host, width, height);
    DiscExtent disc;
    int shownWidth = 0;
    int shownHeight = 0;
    std::vector<uint32_t> pixels;
    // The new size reaches the program, then its next frame; measure once the disc is round.
    for (int attempt = 0; attempt < 30; ++attempt) {
      Pause(0.1);
      pixels = x11_.Pixels(host, shownWidth, shownHeight);
      disc = MeasureDisc(pixels, shownWidth, shownHeight, 0xFF0000);
      if (std::abs(disc.across - disc.down) <= 2) break;
    }
    ASSERT_EQ(shownWidth, width);
    ASSERT_EQ(shownHeight, height);
    const std::vector<::Window> children = x11_.Children(host);
    ASSERT_EQ(children.size(), 1u) << "the hack draws into one child covering the window";
    EXPECT_EQ(x11_.Geometry(children[0]).width, width);
    EXPECT_EQ(x11_.Geometry(children[0]).height, height);
    EXPECT_EQ(pixels[0], 0xFF0000u) << "the option's background, not the stored green";
    EXPECT_GT(disc.down, height / 4) << "a disc in the middle";
    EXPECT_NEAR(disc.across, disc.down, 2) << width << "x" << height << ": the disc is not round";
  }

  // Keys, clicks and pointer movement over the window end nothing: the daemon decides.
  const e2e::WindowGeometry placed = x11_.Geometry(host);
  e2e::Xdotool("mousemove " + std::to_string(placed.x + 30) + " " + std::to_string(placed.y + 30));
  for (const char* action : {"click 1", "click 3", "key a", "mousemove_relative -- 40 40"}) e2e::Xdotool(action);
  EXPECT_FALSE(WaitForExit(program, 1).has_value()) << "input ended the hack";

  kill(program, SIGTERM);
  const auto exitCode = WaitForExit(program, kEndSeconds);
  ASSERT_TRUE(exitCode.has_value()) << "SIGTERM did not end the hack";
  EXPECT_EQ(*exitCode, 0);
  EXPECT_TRUE(x11_.Children(host).empty()) << "the hack's window is gone, the host stays";
  x11_.Destroy(host);
}

TEST_F(HackEndToEnd, RootDrawsIntoTheDaemonsWindowAndEndsWithIt) {
  const std::vector<std::string> before = StoredValuesButDefImageNum();
  ASSERT_EQ(before.size(), 1u);
  // Two monitors: the daemon starts one hack for each, in a window of its own.
  const ::Window left = x11_.CreateHost(200, 160, 0x000000);
  const ::Window right = x11_.CreateHost(240, 150, 0x000000);
  x11_.Move(right, 400, 300);  // side by side, as monitors are
  std::vector<pid_t> hacks;
  for (::Window window : {left, right}) {
    setenv("XSCREENSAVER_WINDOW", ("0x" + (std::stringstream() << std::hex << window).str()).c_str(), 1);
    hacks.push_back(Start({"-root", "--halo-color", "#FFFFFF", "--image", "Default"}));
  }
  for (::Window window : {left, right}) {
    EXPECT_TRUE(x11_.WaitForPicture(window, kFirstFrameSeconds)) << "no picture in window " << window;
    const std::vector<::Window> children = x11_.Children(window);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(x11_.Geometry(children[0]).width, x11_.Geometry(window).width);
    EXPECT_EQ(x11_.Geometry(children[0]).height, x11_.Geometry(window).height);
  }

  // The daemon may also take its window away before its signal comes.
  x11_.Destroy(left);
  kill(hacks[1], SIGTERM);
  for (pid_t hack : hacks) {
    const auto exitCode = WaitForExit(hack, kEndSeconds);
    ASSERT_TRUE(exitCode.has_value()) << "a hack outlived its window or its signal";
    EXPECT_EQ(*exitCode, 0);
  }
  x11_.Destroy(right);
  EXPECT_EQ(StoredValuesButDefImageNum(), before) << "the options were written to the store";
}

// A picture that cannot be read is told in a message box, which a daemon's window may hide;
// the daemon's SIGTERM must still end the hack, at once and with 0.
TEST_F(HackEndToEnd, SigtermEndsAHackWaitingAtItsMessageBox) {
  const ::Window host = x11_.CreateHost(160, 120, 0x000000);
  const pid_t program = Start({"-window-id", std::to_string(host), "--image", "/no/such/picture.png"});
  // The box's title is UTF-8 (_NET_WM_NAME), which xdotool reads.
  bool boxShown = false;
  for (int look = 0; look < 60 && !boxShown; ++look) {
    boxShown = e2e::Xdotool("search --name '^エラー$'");
    if (!boxShown) e2e::Pause(0.05);
  }
  ASSERT_TRUE(boxShown) << "no message box";
  kill(program, SIGTERM);
  const auto exitCode = WaitForExit(program, 1);
  ASSERT_TRUE(exitCode.has_value()) << "SIGTERM did not end the hack waiting at its message box";
  EXPECT_EQ(*exitCode, 0);
  x11_.Destroy(host);
}

TEST_F(HackEndToEnd, BadOptionsAreRefusedBeforeAnythingShows) {
  const ::Window host = x11_.CreateHost(100, 80, 0x00FF00);
  const std::string id = std::to_string(host);
  const std::vector<std::string> refused[] = {
      {"-window-id", id, "--distance", "81"},
      {"-window-id", id, "--back-color", "green"},
      {"-window-id", id, "--sparkle"},
      {"-window-id", "0x"},
      {"--image", "a.jpg"},
  };
  for (const auto& arguments : refused) {
    const auto exitCode = WaitForExit(Start(arguments), kEndSeconds);
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_EQ(*exitCode, 2) << arguments.back();
  }
  EXPECT_TRUE(x11_.Children(host).empty());
  x11_.Destroy(host);
}

}  // namespace
