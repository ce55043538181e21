// The command line of a run as an X screen saver hack (the XScreenSaver convention): where to
// draw (-root, or -window-id N) and options that override the stored settings for this run.
// Every option is accepted with one dash or two, and its value as the next word or after '='.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_overrides.h"

enum class HackTarget {
  None,
  Root,    // -root: the daemon's window (XSCREENSAVER_WINDOW), or the root window
  Window,  // -window-id N: the given window, such as a settings program's preview pane
};

struct HackCommand {
  HackTarget target = HackTarget::None;
  uint32_t window = 0;  // for HackTarget::Window
  SettingsOverrides overrides;
};

// True when the first word is one of the hack options: such a command line is read here, and
// the Windows switch letters are never looked at.
bool IsHackCommandLine(const std::vector<std::string>& words);

// Reads every word into *command. Returns the empty text when all were understood, else what
// is wrong, for the user to read.
std::string ReadHackCommand(const std::vector<std::string>& words, HackCommand* command);
