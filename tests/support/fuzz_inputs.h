// The files of a fuzz target's folders (seeds, regressions), read whole, for the tests that
// replay them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

struct FuzzInput {
  std::filesystem::path path;
  std::vector<uint8_t> bytes;
};

// Every plain file in the folder, in name order; none when the folder does not exist (a target
// whose fuzzing never failed has no regressions yet).
inline std::vector<FuzzInput> ReadFuzzInputs(const std::filesystem::path& folder) {
  std::vector<FuzzInput> inputs;
  if (!std::filesystem::is_directory(folder)) return inputs;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream file(entry.path(), std::ios::binary);
    inputs.push_back({entry.path(), {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()}});
  }
  std::sort(inputs.begin(), inputs.end(), [](const FuzzInput& a, const FuzzInput& b) { return a.path < b.path; });
  return inputs;
}
