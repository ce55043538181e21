// The entry of a run as an X screen saver hack: its command line read, its window found, its
// settings overridden, and the run.
#pragma once

#include <string>
#include <vector>

// Exit codes: 2 for a command line that cannot be read, 1 when the window to draw into does
// not exist; otherwise the run's own code. What is wrong is written on standard error.
int RunHackCommandLine(const std::vector<std::string>& words);
