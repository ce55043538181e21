// The hack command line: which command lines it takes from the switch letters, and what each
// option gives or why it is refused.
#include "shell/hack_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/command_words.h"

namespace {

HackCommand Read(const char* text, std::string* problem) {
  HackCommand command;
  *problem = ReadHackCommand(SplitCommandWords(text), &command);
  return command;
}

}  // namespace

TEST(HackOptionsTest, OnlyAHackOptionAsTheFirstWordTakesTheCommandLine) {
  struct Case {
    const char* text;
    bool hack;
  };
  const Case cases[] = {
      {"-root", true},
      {"--root", true},
      {"-window-id 5", true},
      {"--window-id=5", true},
      {"--distance 30 -root", true},
      {"-image x.jpg -root", true},
      {"--counter-clockwise -root", true},
      // The switch letters keep every other command line, -w and its look-alikes included.
      {"", false},
      {"/s -root", false},
      {"/w", false},
      {"-w", false},
      {"-windowed", false},
      {"-window", false},
      {"---root", false},
      {"/root", false},
      {"root", false},
      {"-rooted", false},
      {"/c", false},
      {"--foo -root", false},
  };
  for (const Case& each : cases) {
    EXPECT_EQ(IsHackCommandLine(SplitCommandWords(each.text)), each.hack) << each.text;
  }
}

TEST(HackOptionsTest, TargetsAndWindowIds) {
  struct Case {
    const char* text;
    HackTarget target;
    uint32_t window;
  };
  const Case cases[] = {
      {"-root", HackTarget::Root, 0},
      {"--root -root", HackTarget::Root, 0},
      {"-window-id 4242", HackTarget::Window, 4242},
      {"--window-id 0x1a00007", HackTarget::Window, 0x1a00007},
      {"-window-id=0XFF", HackTarget::Window, 255},
      {"-window-id 4294967295", HackTarget::Window, 4294967295u},
      {"--distance 30 -window-id 7", HackTarget::Window, 7},
  };
  for (const Case& each : cases) {
    std::string problem;
    const HackCommand command = Read(each.text, &problem);
    EXPECT_EQ(problem, "") << each.text;
    EXPECT_EQ(command.target, each.target) << each.text;
    EXPECT_EQ(command.window, each.window) << each.text;
  }
}

TEST(HackOptionsTest, EverySettingOverridesItsFieldAtBothEndsOfItsRange) {
  std::string problem;
  const HackCommand low = Read(
      "-root --object-distance 10 --object-x-speed 30 -object-y-speed 30 --object-rotation-speed=30 "
      "--distance 25 --rotation-speed 1 --object-clockwise --counter-clockwise "
      "--back-color #000000 --halo-color #0A0b0C --image \"/pictures/a b.png\"",
      &problem);
  ASSERT_EQ(problem, "");
  const SettingsOverrides& given = low.overrides;
  EXPECT_EQ(given.ObjectDistance, 10u);
  EXPECT_EQ(given.ObjectXSpeed, 30u);
  EXPECT_EQ(given.ObjectYSpeed, 30u);
  EXPECT_EQ(given.ObjectRotationSpeed, 30u);
  EXPECT_EQ(given.Distance, 25u);
  EXPECT_EQ(given.RotationSpeed, 1u);
  EXPECT_EQ(given.ObjectClockwise, 1u);
  EXPECT_EQ(given.Clockwise, 0u);
  EXPECT_EQ(given.BackColor, 0u);
  EXPECT_EQ(given.HaloColor, 0x0C0B0Au) << "#RRGGBB becomes the COLORREF 0x00BBGGRR";
  EXPECT_EQ(given.FileName, "/pictures/a b.png");

  const HackCommand high = Read(
      "-root --object-distance 50 --object-x-speed 300 --object-y-speed 300 --object-rotation-speed 300 "
      "--distance 80 --rotation-speed 1000 --object-counter-clockwise --clockwise --back-color #FFFFFF",
      &problem);
  ASSERT_EQ(problem, "");
  EXPECT_EQ(high.overrides.ObjectDistance, 50u);
  EXPECT_EQ(high.overrides.ObjectXSpeed, 300u);
  EXPECT_EQ(high.overrides.ObjectYSpeed, 300u);
  EXPECT_EQ(high.overrides.ObjectRotationSpeed, 300u);
  EXPECT_EQ(high.overrides.Distance, 80u);
  EXPECT_EQ(high.overrides.RotationSpeed, 1000u);
  EXPECT_EQ(high.overrides.ObjectClockwise, 0u);
  EXPECT_EQ(high.overrides.Clockwise, 1u);
  EXPECT_EQ(high.overrides.BackColor, 0xFFFFFFu);
  EXPECT_FALSE(high.overrides.HaloColor.has_value()) << "an option not given overrides nothing";
  EXPECT_FALSE(high.overrides.FileName.has_value());
}

TEST(HackOptionsTest, BadCommandLinesAreRefusedWithTheReason) {
  struct Case {
    const char* text;
    const char* problem;
  };
  const std::string longName(260, 'x');
  const std::string longImage = "-root --image " + longName;
  const Case cases[] = {
      {"--distance 30", "say where to draw: -root, or -window-id N"},
      {"-root -window-id 5", "-root and -window-id cannot both be given"},
      {"-window-id 5 --root", "-root and -window-id cannot both be given"},
      {"-root --bogus", "unknown option \"--bogus\""},
      {"-root extra", "unknown option \"extra\""},
      {"-root --distance", "--distance needs a value"},
      {"-root --distance 24", "--distance takes a whole number from 25 to 80, not \"24\""},
      {"-root --distance 81", "--distance takes a whole number from 25 to 80, not \"81\""},
      {"-root --object-distance 9", "--object-distance takes a whole number from 10 to 50, not \"9\""},
      {"-root --object-distance 51", "--object-distance takes a whole number from 10 to 50, not \"51\""},
      {"-root --object-x-speed 29", "--object-x-speed takes a whole number from 30 to 300, not \"29\""},
      {"-root --object-y-speed 301", "--object-y-speed takes a whole number from 30 to 300, not \"301\""},
      {"-root -object-rotation-speed 301", "-object-rotation-speed takes a whole number from 30 to 300, not \"301\""},
      {"-root --rotation-speed 0", "--rotation-speed takes a whole number from 1 to 1000, not \"0\""},
      {"-root --rotation-speed 1001", "--rotation-speed takes a whole number from 1 to 1000, not \"1001\""},
      {"-root --distance -30", "--distance takes a whole number from 25 to 80, not \"-30\""},
      {"-root --distance 30x", "--distance takes a whole number from 25 to 80, not \"30x\""},
      {"-root --distance 4294967326", "--distance takes a whole number from 25 to 80, not \"4294967326\""},
      {"-root --distance=", "--distance takes a whole number from 25 to 80, not \"\""},
      {"-root --back-color 336699", "--back-color takes a colour written #RRGGBB, not \"336699\""},
      {"-root --halo-color #33669", "--halo-color takes a colour written #RRGGBB, not \"#33669\""},
      {"-root --halo-color #33669G", "--halo-color takes a colour written #RRGGBB, not \"#33669G\""},
      {"-root --clockwise=yes", "--clockwise takes no value"},
      {"-root=1", "-root takes no value"},
      {"-window-id 0", "-window-id takes a window id, in decimal or 0x hex, not \"0\""},
      {"-window-id 0x", "-window-id takes a window id, in decimal or 0x hex, not \"0x\""},
      {"-window-id 0x1FFFFFFFF", "-window-id takes a window id, in decimal or 0x hex, not \"0x1FFFFFFFF\""},
      {"-window-id 12ab", "-window-id takes a window id, in decimal or 0x hex, not \"12ab\""},
      {"-root --image \"\"", "--image takes a file name of 1 to 259 bytes"},
      {longImage.c_str(), "--image takes a file name of 1 to 259 bytes"},
  };
  for (const Case& each : cases) {
    std::string problem;
    Read(each.text, &problem);
    EXPECT_EQ(problem, each.problem) << each.text;
  }
  std::string problem;
  Read(("-root --image " + longName.substr(1)).c_str(), &problem);
  EXPECT_EQ(problem, "") << "259 bytes fit";
}
