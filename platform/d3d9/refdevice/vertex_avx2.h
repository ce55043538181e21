// Vertex processing eight vertices at a time with AVX2: FetchVertex, ComputeOutcode and
// ProjectToScreen for transformed vertices, the same float operations in the same order
// (built without FMA), hence the same results.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vertex_processing.h"

namespace refdevice {

// Processes stream vertices first .. first + count - 1 into outcodes[0 ..] and, where the
// outcode is 0, screen[0 ..], as the scalar steps would. Returns how many it processed from the
// first on: whole groups of eight, or none where the layout is not made of whole floats (its
// stride and offsets multiples of four bytes) or is pretransformed.
size_t ProcessVerticesEightWide(const VertexStream& stream, size_t first, size_t count,
                                const Matrix& worldViewProjection, const GuardBand& band, const Viewport& viewport,
                                uint32_t* outcodes, ScreenVertex* screen);

}  // namespace refdevice
