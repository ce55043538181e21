// Inputs that once made the decoder fail (kept in fuzz/images/regressions) go through the
// whole recognition run again: whatever the result, the run ends, a refusal says why, and what
// it decodes is readable to its last byte. The fuzzing seeds, files of every format written by a
// common tool, must all decode.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "decoded_pixels.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  return files;
}

TEST(RegressionInputs, RunToAnEndAndDecodeConsistently) {
  const std::vector<fs::path> files = FilesIn(ORBELUNE_IMAGE_INPUTS "/regressions");
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::vector<uint8_t> data = ReadFile(file);
    ImageInfo measured{};
    const HRESULT measuredResult = GetImageInfoFromMemory(data.data(), static_cast<UINT>(data.size()), &measured);
    DecodedImage image = EmptyDecodedImage();
    ImageInfo info{};
    const HRESULT hr = DecodeImage(data.data(), static_cast<UINT>(data.size()), &image, &info);
    EXPECT_TRUE(hr == S_OK || hr == ErrInvalidData || hr == E_OUTOFMEMORY) << std::hex << hr;
    if (hr != S_OK) {
      EXPECT_STRNE(LastReadFailure(), "") << "a refusal says why";
      continue;
    }
    EXPECT_EQ(measuredResult, S_OK);
    EXPECT_EQ(measured.width, info.width);
    EXPECT_EQ(measured.height, info.height);
    EXPECT_EQ(ToRgba8(image).size(), static_cast<size_t>(info.width) * info.height);
    FreeDecodedImage(&image);
  }
}

TEST(RegressionInputs, EverySeedDecodes) {
  for (const fs::path& file : FilesIn(ORBELUNE_IMAGE_INPUTS "/seeds")) {
    SCOPED_TRACE(file.filename().string());
    const std::vector<uint8_t> data = ReadFile(file);
    ImageInfo info{};
    DecodedImage image = DecodeOrFail(data, &info);
    EXPECT_GT(info.width, 0u);
    EXPECT_EQ(ToRgba8(image).size(), static_cast<size_t>(info.width) * info.height);
    FreeDecodedImage(&image);
  }
}

}  // namespace
