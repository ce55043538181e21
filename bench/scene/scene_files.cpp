#include "scene_files.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

// Reads a file that must hold exactly `expectedBytes`; the words are little-endian like the
// host.
template <typename Word>
std::string ReadWords(const std::string& path, size_t expectedBytes, std::vector<Word>& words) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return "cannot read " + path;
  if (bytes.size() != expectedBytes) {
    return path + ": " + std::to_string(bytes.size()) + " bytes, expected " + std::to_string(expectedBytes);
  }
  words.resize(expectedBytes / sizeof(Word));
  std::memcpy(words.data(), bytes.data(), expectedBytes);
  return "";
}

}  // namespace

std::string LoadSceneData(const std::string& directory, SceneData& scene) {
  std::string error = ReadWords(directory + "/disc.vertices", SceneData::kDiscVertices * 20, scene.discVertices);
  if (error.empty()) {
    error = ReadWords(directory + "/disc.indices", SceneData::kDiscIndices * 4, scene.discIndices);
  }
  if (error.empty()) {
    error = ReadWords(directory + "/object.bgra", size_t(SceneData::kObjectWidth) * SceneData::kObjectHeight * 4,
                      scene.objectImage);
  }
  if (error.empty()) {
    error = ReadWords(directory + "/mask.bgra", size_t(SceneData::kMaskWidth) * SceneData::kMaskHeight * 4,
                      scene.maskImage);
  }
  if (error.empty()) {
    for (uint32_t index : scene.discIndices) {
      if (index >= SceneData::kDiscVertices) return directory + "/disc.indices: index out of range";
    }
  }
  return error;
}
