// Texture stage 0: combines the texel and the diffuse colour by the colour and alpha
// operations, channel by channel on the 0..255 scale with rounding to nearest.
// Leaves out: further stages, the texture factor, specular and temporary arguments, bump
// mapping and the blend operations.
#pragma once

#include <cstdint>

#include "refdevice.h"

namespace refdevice {

// Returns 0xAARRGGBB.
uint32_t CombineStage(const TextureStage& stage, uint32_t texel, uint32_t diffuse);

// Whether the stage reads the texture at all (otherwise sampling is skipped).
bool StageReadsTexture(const TextureStage& stage);

}  // namespace refdevice
