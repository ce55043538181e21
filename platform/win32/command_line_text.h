// The command-line text of the Windows GUI entry, made from a Linux program's arguments.
// Internal to the stand-in (entry_main.cpp); not part of Win32.
#pragma once

#include <string>

namespace standin {

// The arguments after the program's name, joined by single blanks. Arguments with blanks,
// tabs or double quotes, and empty ones, are quoted the way Windows writes them, so that the C
// runtime's rules give each back whole; all others are kept exactly, for the switch letters to
// read.
std::string JoinCommandLine(int argc, const char* const* argv);

}  // namespace standin
