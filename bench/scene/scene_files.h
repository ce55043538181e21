// The bench scene's data files: the disc mesh and the two images, read whole and checked
// against the sizes they must have.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SceneData {
  static constexpr size_t kDiscVertices = 30001;
  static constexpr size_t kDiscIndices = 179100;
  static constexpr int kObjectWidth = 1024, kObjectHeight = 512;
  static constexpr int kMaskWidth = 512, kMaskHeight = 512;

  std::vector<uint8_t> discVertices;  // 20 bytes a vertex: x, y, z, u, v
  std::vector<uint32_t> discIndices;
  std::vector<uint32_t> objectImage;  // 0xAARRGGBB, rows top-down
  std::vector<uint32_t> maskImage;
};

// Returns an empty string on success, else what is wrong with which file.
std::string LoadSceneData(const std::string& directory, SceneData& scene);
