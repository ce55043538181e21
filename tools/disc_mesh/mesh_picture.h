// Pictures of the disc mesh for looking at it. Triangles turned the wrong way
// (counter-clockwise with y up) are drawn red in every style.
#pragma once

#include <cstdint>
#include <vector>

#include "disc_mesh.h"

struct MeshPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

enum class PictureStyle {
  kPattern,          // a test pattern read through the texture coordinates
  kPatternAndEdges,  // the same with the triangles' edges over it
  kChessboard,       // light where the texture is drawn turned as the tile is, dark where mirrored
};

struct PictureView {
  int size = 1024;           // square, in pixels
  hyperbolic::Point centre;  // the disc point at the picture's centre
  double pixelsPerUnit = 500;
  PictureStyle style = PictureStyle::kPattern;
};

MeshPicture DrawDiscMesh(const DiscMesh& mesh, const PictureView& view);
// A binary PPM (P6) file's bytes.
std::vector<uint8_t> EncodePpm(const MeshPicture& picture);
