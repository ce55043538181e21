// The photographs the saver carries: the file each is kept in under resources/, how it is
// drawn and how it is stored.
#pragma once

#include <span>

#include "jpeg_file.h"
#include "rgb_picture.h"

struct BuiltInPhotograph {
  const char* fileName;
  RgbPicture (*draw)();
  JpegSettings jpeg;
};

std::span<const BuiltInPhotograph> BuiltInPhotographs();
