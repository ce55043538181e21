// What the command-line fuzz target checks of one input, shared with the test that replays
// its seeds and regressions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads the input as the command-line text up to its first NUL (switch letters, words,
// hack-mode options) and, split at its NULs, as the arguments that the Linux entry joins into
// that text. Returns what went wrong, or the empty text.
std::string CommandLineInputProblem(const uint8_t* data, size_t size);
