// The state of a device that callers set and read back: render, texture stage and sampler
// states with the real device defaults, transforms and the viewport.
// Implements: the defaults a new (or reset) device starts with, and which state types exist.
// Leaves out: the states of lights, materials, clip planes and shaders.
#pragma once

#include <array>
#include <optional>

#include "d3d9.h"

namespace d3d9 {

constexpr DWORD kTextureStages = 8;
constexpr DWORD kSamplers = 16;
constexpr DWORD kRenderStateSlots = 256;
constexpr DWORD kStageStateSlots = 33;
constexpr DWORD kSamplerStateSlots = 14;
constexpr DWORD kWorldMatrices = 4;  // D3DTS_WORLDMATRIX(0..3)

struct DeviceState {
  std::array<DWORD, kRenderStateSlots> renderStates{};
  std::array<std::array<DWORD, kStageStateSlots>, kTextureStages> stageStates{};
  std::array<std::array<DWORD, kSamplerStateSlots>, kSamplers> samplerStates{};
  std::array<D3DMATRIX, kWorldMatrices> world{};
  D3DMATRIX view{};
  D3DMATRIX projection{};
  std::array<D3DMATRIX, kTextureStages> textureTransforms{};
  D3DVIEWPORT9 viewport{};
};

// The state of a new device; the depth test starts on when the device has an automatic depth
// surface, as on the real runtime.
void SetDefaultState(DeviceState& state, bool hasAutomaticDepth);

bool IsRenderState(D3DRENDERSTATETYPE type);
bool IsTextureStageState(D3DTEXTURESTAGESTATETYPE type);
bool IsSamplerState(D3DSAMPLERSTATETYPE type);

// The matrix slot of a transform state type; null for types the device does not keep.
D3DMATRIX* TransformSlot(DeviceState& state, D3DTRANSFORMSTATETYPE type);

D3DMATRIX IdentityMatrix();

}  // namespace d3d9
