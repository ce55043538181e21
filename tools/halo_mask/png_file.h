// Writing an RGBA picture as a PNG file: 8 bits a channel, no gamma or colour chunks, so that
// every reader takes the bytes as they are.
#pragma once

#include <cstdint>
#include <vector>

#include "halo_mask.h"

std::vector<uint8_t> EncodePngRgba(const RgbaPicture& picture);
