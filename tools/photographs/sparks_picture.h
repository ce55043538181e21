// The built-in photograph of orange sparks on a black ground: glowing trails that arc under
// gravity from a few bursts and fork as they burn out, scattered embers, lights out of focus
// and smoke in the dark ground, which is deep but never pure black.
#pragma once

#include "rgb_picture.h"

constexpr int kSparksWidth = 640;
constexpr int kSparksHeight = 480;

RgbPicture DrawSparksPicture();
