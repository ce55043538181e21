// What the X-file fuzz targets do with one input: put the header of their form in front of
// it, load it as the saver would, and check that a mesh that loaded is consistent.
#pragma once

#include <cstddef>
#include <cstdint>

#include "winapi.h"

enum class XFuzzForm { Text, Binary, Compressed };

// Returns the load's result. Aborts when a loaded mesh breaks an invariant (an index beyond
// the vertices, an attribute table that does not cover the faces), so the fuzzer reports it.
HRESULT LoadFuzzInput(XFuzzForm form, const uint8_t* data, size_t size);
