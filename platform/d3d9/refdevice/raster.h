// Rasterization: walks the pixel centres of a triangle within one rectangle (a screen tile),
// decides coverage with the exact edge functions, and hands each row's covered run to the
// pixel pipeline. Triangles are convex, so each row holds at most one run.
#pragma once

#include "pixel_pipeline.h"
#include "setup.h"

namespace refdevice {

void RasterTriangle(const PixelPipeline& pipeline, const SetupTriangle& triangle, const ScissorRect& area);

// Asks for the depth rows of a tile that triangles are about to be drawn into, all at once:
// memory fetches them side by side instead of one at a time as pixels first touch them.
void PrefetchDepth(const PixelPipeline& pipeline, const ScissorRect& tile);

}  // namespace refdevice
