// Triangle setup eight triangles at a time with AVX2, for the triangles a dense mesh is made
// of: every corner inside the guard band, one w for all three corners (no perspective to
// correct) and one colour. It makes exactly the records SetupScreenTriangle makes.
#pragma once

#include <cstdint>

#include "setup.h"

namespace refdevice {

// Eight triangles whose corners are screenVertices[corners[lane][0..2]], for the lanes set in
// `lanes` (each as described above). Returns the lanes whose triangles are kept, with their
// records in out[lane]: the triangles SetupScreenTriangle keeps, with the same records.
unsigned SetupEightTriangles(const ScreenVertex* screenVertices, const int32_t corners[3][8], unsigned lanes,
                             CullMode cull, const ScissorRect& scissor, SetupTriangle out[8]);

// The lanes of every one of eight triangles.
constexpr unsigned kAllEight = 0xFFu;

// SetupEightTriangles for eight triangles of a list, their corners' slots read from 24
// consecutive 32-bit indices, each plus `bias` (in 32-bit arithmetic), every corner with the
// colour `diffuse` (packed as PackColorChannels packs it).
unsigned SetupEightListedTriangles(const ScreenVertex* screenVertices, const uint32_t* indices, uint32_t bias,
                                   uint32_t diffuse, CullMode cull, const ScissorRect& scissor, SetupTriangle out[8]);

}  // namespace refdevice
