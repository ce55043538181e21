// Reading a file that a command was given, whole, as the saver's loaders take it from memory.
#pragma once

#include <vector>

#include "winapi.h"

// Reads the whole file at `path` into *bytes: a plain file of at most kMaxImageFileBytes, the
// saver's own limit for its image files. On failure tells which file could not be read and why
// (the system's reason), and returns false; `step` says what was being read
// ("read the registry file" for "cannot read the registry file PATH").
bool ReadInputFile(const char* path, std::vector<BYTE>* bytes, const char* step = "read");
