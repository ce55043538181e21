// The vertex of the scene's two quads: position, diffuse colour, one texture-coordinate pair.
#pragma once

#include "d3d9api.h"

struct SceneVertex {
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};

inline constexpr DWORD kSceneVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(sizeof(SceneVertex) == 24, "the quads' vertex buffers are laid out in 24-byte vertices");
