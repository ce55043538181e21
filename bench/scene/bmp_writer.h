// A minimal writer of 32-bit uncompressed BMP files (bottom-up rows, BI_RGB), for looking at
// the benchmark's frame. Not the BMP writer of src/gfxsupport: the benchmark is built on the
// device alone, and its frames are compared byte for byte between builds, so their layout
// stays fixed here whatever that writer does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Pixels 0xAARRGGBB, rows top-down. Returns false when the file cannot be written.
bool WriteBmp32(const std::string& path, const uint32_t* pixels, int width, int height, size_t pitchBytes);
