// The disc mesh as a text X file: one Mesh with its positions (z = 0), one texture
// coordinate per vertex, and a material list putting every face in attribute 0, so that the
// saver draws the whole disc with DrawSubset(0). Numbers carry six decimals, trailing zeros
// dropped, which keeps the file small and its load quick.
#pragma once

#include <string>

#include "disc_mesh.h"

std::string DiscXFileText(const DiscMesh& mesh);
