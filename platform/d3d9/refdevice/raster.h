// Rasterization: walks the pixel centres of a triangle within one rectangle (a screen tile),
// decides coverage with the exact edge functions, and hands each row's covered run to the
// pixel pipeline. Triangles are convex, so each row holds at most one run.
#pragma once

#include "pixel_pipeline.h"
#include "setup.h"

namespace refdevice {

// Draws triangles in order within `area`, the area of `pending`, where the shader may set pixels
// aside (see FinishPendingPixels).
void RasterTriangles(const PixelPipeline& pipeline, const SetupTriangle* const* triangles, int count,
                     const ScissorRect& area, PendingPixels& pending);

// Asks for the depth and colour rows of a tile that triangles are about to be drawn into, all
// at once: memory fetches them side by side instead of one at a time as pixels first touch
// them (a tile's rows are too short for the processor to see a pattern in them).
void PrefetchTargets(const PixelPipeline& pipeline, const ScissorRect& tile);

}  // namespace refdevice
