// Test helpers: files of the resources/ folder, read whole and decoded by the program's own
// image decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfxsupport/images/image_decoding.h"

// The file's bytes; empty (and the current test failed) when it cannot be read.
std::vector<uint8_t> ReadResourceFolderFile(const std::string& name);

struct DecodedPicture {
  DWORD format = 0;
  UINT width = 0;
  UINT height = 0;
  std::vector<uint8_t> pixels;  // rows from the top, 4 bytes a pixel: blue, green, red, alpha
};

// Decodes 32-bit pictures (A8R8G8B8, X8R8G8B8); anything else fails the current test and gives
// an empty picture.
DecodedPicture DecodePicture(const std::vector<uint8_t>& file);
