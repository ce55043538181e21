// The Orbelune motif: a disc tiled by the {3,8} hyperbolic tiling (triangles, eight around
// every vertex) in alternating black and white.
#pragma once

#include "windows_image_files.h"

// The preview picture: the disc on a black field, anti-aliased.
RgbImage DrawPreviewPicture(int width, int height);
// The icon: the same disc, transparent around it.
RgbaImage DrawIconPicture(int size);
