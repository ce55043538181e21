// The DecodedImage record: making it empty, freeing what it owns, counting its levels.
#include <cstdlib>

#include "gfxsupport/images/image_decoding.h"

DecodedImage EmptyDecodedImage() {
  DecodedImage image{};
  image.resourceType = ImageResourceType::Texture;
  return image;
}

void FreeDecodedImage(DecodedImage* image) {
  if (image == nullptr) return;
  // Levels and faces are freed iteratively so that a long chain cannot exhaust the stack.
  DecodedImage* face = image->nextFace;
  while (face != nullptr) {
    DecodedImage* following = face->nextFace;
    face->nextFace = nullptr;
    FreeDecodedImage(face);
    delete face;
    face = following;
  }
  DecodedImage* level = image->nextLevel;
  while (level != nullptr) {
    DecodedImage* following = level->nextLevel;
    level->nextLevel = nullptr;
    FreeDecodedImage(level);
    delete level;
    level = following;
  }
  if (image->ownsPixels) std::free(const_cast<BYTE*>(image->pixels));
  if (image->ownsPalette) std::free(const_cast<ImagePaletteEntry*>(image->palette));
  *image = EmptyDecodedImage();
}

UINT CountDecodedLevels(const DecodedImage& image) {
  UINT count = 1;
  for (const DecodedImage* level = image.nextLevel; level != nullptr; level = level->nextLevel) ++count;
  return count;
}
