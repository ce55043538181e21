// The 16-byte header that starts every X file: magic, version, encoding and float size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "winapi.h"

namespace gfx::meshes {

enum class XFileEncoding { Text, Binary, CompressedText, CompressedBinary };

struct XFileHeader {
  XFileEncoding encoding = XFileEncoding::Text;
  unsigned floatBytes = 4;  // width of the floats in binary float lists: 4 or 8
};

constexpr size_t kXFileHeaderSize = 16;

// Checks the header at the start of data. Returns ErrXFileBadType, ErrXFileBadVersion or
// ErrXFileBadFloatSize (checked in that order) or S_OK with the header filled in.
HRESULT ReadXFileHeader(const uint8_t* data, size_t size, XFileHeader* header);

}  // namespace gfx::meshes
