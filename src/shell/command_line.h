// Reading the saver's command line: which run mode the first switch letter chooses and, for a
// preview, the parent window that follows it.
#pragma once

#include <cstdint>

#include "winapi.h"

enum class SwitchAction {
  Configure,      // end of text, or C: the configuration dialog
  RunFullScreen,  // S
  RunWindowed,    // W
  RunPreview,     // P, with the parent window value
  EndSilently,    // A: nothing is shown, exit code -1
  Refuse,         // any other character: nothing is shown, exit code 0
};

struct SwitchChoice {
  SwitchAction action = SwitchAction::Refuse;
  uint32_t parentWindow = 0;  // for RunPreview: the decimal number after P, 0 for none
};

// Scans the command-line text (the part after the program's name) for its first switch letter.
SwitchChoice ReadCommandLine(const char* commandLine);

// The whole entry once appInstance is stored: a command line that starts with a hack option
// (hack_options.h) is a hack run; any other chooses the mode by its first switch letter, sets
// windowedOrPreview, runs it and returns the process's exit code.
int RunCommandLine(const char* commandLine);
