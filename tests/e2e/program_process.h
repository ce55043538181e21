// Starting the real program and waiting for its exit code, for the end-to-end tests.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Starts build/bin/orbelune, or the program that ORBELUNE_PROGRAM_UNDER_TEST names (an
// installed one), with the given arguments (each one argv entry).
pid_t StartProgram(const std::vector<std::string>& arguments);

// The exit code as the program returned it (a signed byte, so -1 stays -1), or nothing when it
// is still running after `seconds`.
std::optional<int> WaitForExit(pid_t program, double seconds);

bool StillRunning(pid_t program);

// Ends a program that a test left running.
void Stop(pid_t program);

// Runs xdotool with the given arguments; true when it succeeded.
bool Xdotool(const std::string& arguments);

void Pause(double seconds);

}  // namespace e2e
