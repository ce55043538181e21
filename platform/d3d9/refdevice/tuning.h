// Tuning constants of the reference device, in one place. None of them changes the pixels a
// draw produces for a given thread count except where noted; all of them are independent of the
// thread count, which is what keeps the output identical however many workers run.
#pragma once

#include <cstddef>

namespace refdevice::tuning {

// Vertex positions snap to 1/256 pixel before coverage is decided (changes pixels).
constexpr int kSubpixelBits = 8;
constexpr int kSubpixelScale = 1 << kSubpixelBits;

// Geometry is clipped to the viewport widened by this many pixels on each side; the rest of
// the cut is left to the per-pixel coverage test. Keeps fixed-point coordinates far from
// overflow while sparing the clipper almost every triangle (changes pixels only in rounding).
constexpr float kGuardBandPixels = 8192.0f;

// Clip-space w below this is treated as behind the eye.
constexpr float kMinimumW = 1.0e-6f;

// Screen tiles, each drawn whole by one worker.
constexpr int kTileSizeLog2 = 6;
constexpr int kTileSize = 1 << kTileSizeLog2;

// Triangles set up and binned together by one worker; bins are read back chunk by chunk in
// order, so draw order is kept inside every tile.
constexpr unsigned kTrianglesPerChunk = 2048;
constexpr unsigned kVerticesPerChunk = 4096;

constexpr int kMaxThreads = 32;

// Triangles narrower than this many pixels are walked pixel by pixel; wider ones get each row's
// run from the edge equations directly, a few divisions instead of a test per pixel.
constexpr int kWalkWidth = 24;

// Rows a worker clears at a time.
constexpr size_t kRowsPerClearBand = 32;

// Bilinear weights are quantized to this many bits, as texture units do (changes pixels).
constexpr int kFilterWeightBits = 8;

}  // namespace refdevice::tuning
