#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/saver_state.h"

TEST(CommandLineTest, FirstSwitchLetterChoosesTheAction) {
  struct Case {
    const char* text;
    SwitchAction action;
    uint32_t parent;
  };
  const Case cases[] = {
      {"", SwitchAction::Configure, 0},
      {" - / --", SwitchAction::Configure, 0},
      {"/c", SwitchAction::Configure, 0},
      {"/c:1234", SwitchAction::Configure, 0},
      {"/s", SwitchAction::RunFullScreen, 0},
      {"-s", SwitchAction::RunFullScreen, 0},
      {"s", SwitchAction::RunFullScreen, 0},
      {"/S", SwitchAction::RunFullScreen, 0},
      {"--s", SwitchAction::RunFullScreen, 0},
      {"/s /w anything", SwitchAction::RunFullScreen, 0},
      {"/w", SwitchAction::RunWindowed, 0},
      {"W", SwitchAction::RunWindowed, 0},
      {"/a", SwitchAction::EndSilently, 0},
      {"A", SwitchAction::EndSilently, 0},
      {"/x", SwitchAction::Refuse, 0},
      {"/1", SwitchAction::Refuse, 0},
      {"/?", SwitchAction::Refuse, 0},
      {"\t/s", SwitchAction::Refuse, 0},
      {"/\xD3", SwitchAction::Refuse, 0},  // bytes of 0x80 or more are no letters
      {"/p 1234", SwitchAction::RunPreview, 1234},
      {"/p1234", SwitchAction::RunPreview, 1234},
      {"/P     1234", SwitchAction::RunPreview, 1234},
      {"/p 12ab", SwitchAction::RunPreview, 12},
      {"/p:1234", SwitchAction::RunPreview, 0},
      {"/p\t1234", SwitchAction::RunPreview, 0},
      {"/p -5", SwitchAction::RunPreview, 0},
      {"/p \xB1"
       "5",
       SwitchAction::RunPreview, 0},
      {"/p", SwitchAction::RunPreview, 0},
      {"/p 0", SwitchAction::RunPreview, 0},
      {"/p 4294967295", SwitchAction::RunPreview, 4294967295u},
      {"/p 4294967297", SwitchAction::RunPreview, 1},  // 32-bit arithmetic wraps
  };
  for (const Case& each : cases) {
    const SwitchChoice choice = ReadCommandLine(each.text);
    EXPECT_EQ(choice.action, each.action) << '"' << each.text << '"';
    EXPECT_EQ(choice.parentWindow, each.parent) << '"' << each.text << '"';
  }
  EXPECT_EQ(ReadCommandLine(nullptr).action, SwitchAction::Configure);
}

TEST(CommandLineTest, ModesThatShowNothingReturnTheirCodesAtOnce) {
  struct Case {
    const char* text;
    int exitCode;
    LONG windowedOrPreviewAfter;
  };
  const Case cases[] = {
      {"/a", -1, 0},      {"/x", 0, 0},   {"/c", 1, 0},
      {"", 1, 0},         {"/p 0", 0, 1},  // the flag is set before the parent is looked at
      {"/p 99999", 0, 1},                  // no such window
  };
  for (const Case& each : cases) {
    windowedOrPreview = 0;
    EXPECT_EQ(RunCommandLine(each.text), each.exitCode) << '"' << each.text << '"';
    EXPECT_EQ(windowedOrPreview, each.windowedOrPreviewAfter) << '"' << each.text << '"';
  }
  windowedOrPreview = 0;
}
