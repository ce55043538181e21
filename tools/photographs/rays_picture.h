// The built-in photograph of blue and white rays bursting from the centre: a small bright core,
// thin rays and filaments in deep blue, cyan, pale blue, violet and white that come out of it
// at every distance, broad beams further out and faint stars in the deep blue ground, which
// never turns black. The saver shows only a small window around the centre, magnified four to
// twenty times, so the centre keeps deep blue between its rays right up to the core.
#pragma once

#include "rgb_picture.h"

constexpr int kRaysWidth = 640;
constexpr int kRaysHeight = 426;

RgbPicture DrawRaysPicture();
