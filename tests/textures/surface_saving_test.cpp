#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gfxsupport/textures/surface_saving.h"
#include "tool/memory_surface.h"

namespace {

namespace fs = std::filesystem;

class SaveSurface : public testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() /
                 ("orbelune-save-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(directory_);
    path_ = (directory_ / "OrbeluneSS.bmp").string();
  }
  void TearDown() override { fs::remove_all(directory_); }

  std::vector<BYTE> ReadFile() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path directory_;
  std::string path_;
};

uint32_t Read32(const std::vector<BYTE>& file, size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | uint32_t{file[at + 3]} << 24;
}

// Fills a 32-bit surface so that every pixel tells its own position: 0xAAyyyxxx.
void NumberPixels(MemorySurface& surface, UINT width, UINT height) {
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      const uint32_t value = 0xA0000000u | (y << 12) | x;
      std::memcpy(surface.Row(y) + 4 * x, &value, 4);
    }
  }
}

TEST_F(SaveSurface, WritesTheWholeScreenBottomUp) {
  MemorySurface surface(D3DFMT_A8R8G8B8, 1024, 768);
  NumberPixels(surface, 1024, 768);
  ASSERT_EQ(SaveSurfaceToFile(path_.c_str(), ImageFileFormatBmp, &surface, nullptr, nullptr), S_OK);
  const auto file = ReadFile();
  ASSERT_EQ(file.size(), 3145784u);
  EXPECT_EQ(Read32(file, 2), 3145784u);
  EXPECT_EQ(Read32(file, 10), 54u);
  EXPECT_EQ(Read32(file, 22), 768u);
  EXPECT_EQ(Read32(file, 54), 0xA0000000u | (767u << 12));         // last row, first pixel
  EXPECT_EQ(Read32(file, 54 + 4096), 0xA0000000u | (766u << 12));  // then the row above
  EXPECT_FALSE(surface.Locked());
}

TEST_F(SaveSurface, WritesOnlyTheRectangle) {
  MemorySurface surface(D3DFMT_A8R8G8B8, 32, 32);
  NumberPixels(surface, 32, 32);
  const RECT rect{10, 20, 13, 22};
  ASSERT_EQ(SaveSurfaceToFile(path_.c_str(), ImageFileFormatBmp, &surface, nullptr, &rect), S_OK);
  const auto file = ReadFile();
  ASSERT_EQ(file.size(), 80u);  // 54 + 2 rows of 12, padded to 80
  EXPECT_EQ(Read32(file, 18), 3u);
  EXPECT_EQ(Read32(file, 22), 2u);
  for (uint32_t x = 0; x < 3; ++x) {
    EXPECT_EQ(Read32(file, 54 + 4 * x), 0xA0000000u | (21u << 12) | (10 + x));
    EXPECT_EQ(Read32(file, 66 + 4 * x), 0xA0000000u | (20u << 12) | (10 + x));
  }
}

TEST_F(SaveSurface, ReplacesAnExistingFile) {
  { std::ofstream(path_) << std::string(10000, 'x'); }
  MemorySurface surface(D3DFMT_X8R8G8B8, 2, 2);
  ASSERT_EQ(SaveSurfaceToFile(path_.c_str(), ImageFileFormatBmp, &surface, nullptr, nullptr), S_OK);
  EXPECT_EQ(ReadFile().size(), 72u);
}

TEST_F(SaveSurface, ConvertsFormatsABmpCannotHold) {
  // 16-bit colour is stored as 32-bit ARGB, with the ordered dither of the conversion.
  MemorySurface surface(D3DFMT_A16B16G16R16, 1, 1);
  const uint16_t channels[4] = {0xFFFF, 0x8080, 0x0000, 0xFFFF};
  std::memcpy(surface.Row(0), channels, 8);
  ASSERT_EQ(SaveSurfaceToFile(path_.c_str(), ImageFileFormatDib, &surface, nullptr, nullptr), S_OK);
  const auto file = ReadFile();
  ASSERT_EQ(file.size(), 60u);
  EXPECT_EQ(file[28], 32);
  EXPECT_EQ(Read32(file, 54), 0xFFFF8000u);
}

struct RefusalCase {
  const char* what;
  D3DFORMAT format;
  DWORD fileFormat;
  RECT rect;
  bool useRect;
  HRESULT result;
};

class SaveSurfaceRefusal : public SaveSurface, public testing::WithParamInterface<RefusalCase> {};

TEST_P(SaveSurfaceRefusal, CreatesNoFile) {
  const RefusalCase& c = GetParam();
  MemorySurface surface(c.format, 8, 6);
  EXPECT_EQ(SaveSurfaceToFile(path_.c_str(), c.fileFormat, &surface, nullptr, c.useRect ? &c.rect : nullptr), c.result)
      << c.what;
  EXPECT_FALSE(fs::exists(path_)) << c.what;
  EXPECT_FALSE(surface.Locked());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveSurfaceRefusal,
    testing::Values(
        RefusalCase{"right edge one past the surface",
                    D3DFMT_A8R8G8B8,
                    ImageFileFormatBmp,
                    {0, 0, 9, 6},
                    true,
                    D3DERR_INVALIDCALL},
        RefusalCase{"bottom edge one past the surface",
                    D3DFMT_A8R8G8B8,
                    ImageFileFormatBmp,
                    {0, 0, 8, 7},
                    true,
                    D3DERR_INVALIDCALL},
        RefusalCase{"negative left", D3DFMT_A8R8G8B8, ImageFileFormatBmp, {-1, 0, 4, 4}, true, D3DERR_INVALIDCALL},
        RefusalCase{"inverted", D3DFMT_A8R8G8B8, ImageFileFormatBmp, {4, 0, 2, 4}, true, D3DERR_INVALIDCALL},
        RefusalCase{"empty", D3DFMT_A8R8G8B8, ImageFileFormatBmp, {2, 2, 2, 4}, true, D3DERR_INVALIDCALL},
        RefusalCase{"PPM is never written", D3DFMT_A8R8G8B8, ImageFileFormatPpm, {}, false, D3DERR_INVALIDCALL},
        RefusalCase{"no such file format", D3DFMT_A8R8G8B8, 9, {}, false, D3DERR_INVALIDCALL},
        RefusalCase{
            "floats have no BMP stand-in", D3DFMT_A32B32G32R32F, ImageFileFormatBmp, {}, false, D3DERR_INVALIDCALL},
        RefusalCase{
            "palette surface without its palette", D3DFMT_P8, ImageFileFormatBmp, {}, false, D3DERR_INVALIDCALL}));

TEST_F(SaveSurface, ReportsAFileThatCannotBeCreated) {
  MemorySurface surface(D3DFMT_A8R8G8B8, 2, 2);
  const std::string missing = (directory_ / "no-such-directory" / "x.bmp").string();
  EXPECT_EQ(SaveSurfaceToFile(missing.c_str(), ImageFileFormatBmp, &surface, nullptr, nullptr), ErrInvalidData);
  EXPECT_EQ(SaveSurfaceToFile(nullptr, ImageFileFormatBmp, &surface, nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(SaveSurfaceToFile(path_.c_str(), ImageFileFormatBmp, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_FALSE(surface.Locked());
}

}  // namespace
