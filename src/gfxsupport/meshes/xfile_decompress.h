// Inflates the compressed X-file forms ("tzip", "bzip") into an ordinary text or binary file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "winapi.h"

namespace gfx::meshes {

// data holds a whole compressed file: its 16-byte header, the 32-bit size of the inflated file
// (header included), then MSZIP blocks. On success out holds the inflated file, whose header is
// the original with "tzip" turned into "txt " and "bzip" into "bin ". A missing "CK" signature,
// a block that does not inflate, or output of another size than stated gives E_FAIL.
HRESULT DecompressXFile(const uint8_t* data, size_t size, std::vector<uint8_t>* out);

}  // namespace gfx::meshes
