// One material of a loaded mesh, as its MeshMaterialList names it: what the loader hands its
// caller for each attribute id.
#pragma once

#include <string>

struct MeshMaterial {
  float diffuse[4] = {1, 1, 1, 1};
  float power = 0;
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
  std::string textureFilename;  // empty when the material names no texture
  std::string effectFilename;   // from an EffectInstance of the material, empty when none
};
