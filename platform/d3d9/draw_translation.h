// Translation of the Direct3D state of a device into the reference device's neutral draw
// description, done at draw time for the groups of state that changed since the last draw.
// Implements: culling, depth test and writes, alpha blending, texture stage 0 colour and alpha
// operations with their arguments, sampler 0 filters and addressing, transforms and viewport.
// States that would change pixels in ways the rasterizer does not implement (alpha test,
// stencil, fog, flat shading, wireframe, colour write masks, blend operations other than add,
// more than one texture stage, texture coordinate generation, ...) make the draw fail with a
// Direct3D error instead of drawing something else than the real device would.
// Leaves out: vertex layouts (see vertex_format.h and the device's draw code).
#pragma once

#include "device_state.h"
#include "refdevice/refdevice.h"

namespace d3d9 {

refdevice::Matrix ToRasterMatrix(const D3DMATRIX& matrix);
refdevice::Viewport ToRasterViewport(const D3DVIEWPORT9& viewport);

// Culling, depth and blending. hasDepthSurface: a depth surface is bound.
HRESULT TranslateRasterStates(const DeviceState& state, bool hasDepthSurface, refdevice::CullMode& cull,
                              refdevice::DepthState& depth, refdevice::BlendState& blend);

// Texture stage 0 and sampler 0 (the texture itself is the caller's): combiners and sampling.
// maxMipLevel receives D3DSAMP_MAXMIPLEVEL for choosing the first level.
HRESULT TranslateTextureStage(const DeviceState& state, refdevice::TextureStage& stage, DWORD& maxMipLevel);

// States of the vertex pipeline that the rasterizer does not implement.
HRESULT CheckVertexPipelineStates(const DeviceState& state, bool vertexHasSpecular);

}  // namespace d3d9
