// The built-in photograph of blue and white rays bursting from the centre: a white-hot core
// in a blue glow, broad beams and narrow rays of many lengths, fine filaments between them
// and faint stars in the deep blue ground, which never turns black.
#pragma once

#include "rgb_picture.h"

constexpr int kRaysWidth = 640;
constexpr int kRaysHeight = 426;

RgbPicture DrawRaysPicture();
