// Splitting the command-line text into words, by the rules the Windows C runtime uses to build
// argv: blanks and tabs separate words, double quotes group them, and backslashes escape a
// double quote. The Linux entry joins its arguments by the same rules, so every argument
// comes back whole, blanks in file names included.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> SplitCommandWords(const char* commandLine);
