#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfxsupport/read_failure.h"
#include "gfxsupport/textures/texture_loading.h"
#include "image_encoders.h"
#include "memory_device.h"

namespace {

constexpr DWORD kLinear = FilterLinear;

// The arguments of the scene's calls, over the given bytes.
HRESULT CreateLikeTheScene(MemoryDevice& device, const std::vector<uint8_t>& file, IDirect3DTexture9** texture) {
  return CreateTextureFromMemory(&device, file.data(), static_cast<UINT>(file.size()), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                 D3DPOOL_MANAGED, kLinear, kLinear, 0xFF000000, nullptr, nullptr, texture);
}

uint32_t Pixel(MemorySurface& level, UINT x, UINT y) {
  uint32_t value;
  std::memcpy(&value, level.Row(y) + 4 * x, 4);
  return value;
}

UINT LevelWidth(MemoryTexture& texture, UINT level) {
  D3DSURFACE_DESC description{};
  texture.GetLevelDesc(level, &description);
  return description.Width;
}
UINT LevelHeight(MemoryTexture& texture, UINT level) {
  D3DSURFACE_DESC description{};
  texture.GetLevelDesc(level, &description);
  return description.Height;
}

// A texture handed out by the call under test, released at the end of the test.
struct Made {
  IDirect3DTexture9* texture = nullptr;
  ~Made() {
    if (texture != nullptr) texture->Release();
  }
  MemoryTexture& operator*() { return *static_cast<MemoryTexture*>(texture); }
};

// The halo mask: 512 by 512 RGBA. Opaque black must be keyed out, black of alpha 254 kept.
TEST(SceneTextures, MaskBecomesTenLevelsWithOpaqueBlackKeyedOut) {
  const uint32_t size = 512;
  std::vector<uint8_t> rgba(size * size * 4);
  for (uint32_t y = 0; y < size; ++y) {
    for (uint32_t x = 0; x < size; ++x) {
      uint8_t* p = &rgba[(y * size + x) * 4];
      p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y), p[2] = 7, p[3] = 200;
    }
  }
  auto set = [&](uint32_t x, uint32_t y, std::initializer_list<uint8_t> v) {
    std::copy(v.begin(), v.end(), &rgba[(y * size + x) * 4]);
  };
  set(3, 0, {0, 0, 0, 255});
  set(4, 0, {0, 0, 0, 254});
  set(5, 0, {1, 0, 0, 255});
  // The four pixels around the centre, which alone make the 1 by 1 level.
  set(255, 255, {40, 80, 120, 255});
  set(256, 255, {60, 80, 120, 255});
  set(255, 256, {40, 100, 120, 255});
  set(256, 256, {60, 100, 120, 255});
  const auto png = EncodePng(size, size, 4, rgba);

  MemoryDevice device;
  Made made;
  ASSERT_EQ(CreateLikeTheScene(device, png, &made.texture), S_OK);
  MemoryTexture& texture = *made;
  ASSERT_EQ(texture.GetLevelCount(), 10u);
  for (UINT level = 0; level < 10; ++level) {
    EXPECT_EQ(LevelWidth(texture, level), size >> level);
    EXPECT_EQ(LevelHeight(texture, level), size >> level);
  }
  EXPECT_EQ(texture.Pool(), D3DPOOL_MANAGED);
  MemorySurface& top = texture.Level(0);
  EXPECT_EQ(Pixel(top, 3, 0), 0x00000000u);
  EXPECT_EQ(Pixel(top, 4, 0), 0xFE000000u);
  EXPECT_EQ(Pixel(top, 5, 0), 0xFF010000u);
  EXPECT_EQ(Pixel(top, 6, 0), 0xC8060007u);
  EXPECT_EQ(Pixel(top, 17, 300), 0xC8112C07u);
  EXPECT_EQ(Pixel(texture.Level(9), 0, 0), 0xFF325A78u);  // red 50, green 90, blue 120
  EXPECT_EQ(device.updates, 0);
}

// The object photograph: 640 by 480 stretched over 1024 by 512, 11 levels, each level
// resampled straight from the full image, edges wrapping.
TEST(SceneTextures, PhotographIsStretchedToPowersOfTwoWithWrappedEdges) {
  const uint32_t width = 640, height = 480;
  std::vector<uint8_t> rgb(width * height * 3, 0);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = &rgb[(y * width + x) * 3];
      // Red varies only across, green only down; blue keeps every pixel from being black.
      p[0] = x == 0 ? 200 : x == 639 ? 40 : x == 319 ? 60 : x == 320 ? 70 : 0;
      p[1] = y == 0 ? 96 : y == 479 ? 64 : y == 239 ? 30 : y == 240 ? 50 : 0;
      p[2] = 255;
    }
  }
  // An RGB PNG decodes to X8R8G8B8 exactly as a JPEG does, without the JPEG's rounding.
  const auto png = EncodePng(width, height, 3, rgb);
  MemoryDevice device;
  Made made;
  ASSERT_EQ(CreateLikeTheScene(device, png, &made.texture), S_OK);
  MemoryTexture& texture = *made;
  ASSERT_EQ(texture.GetLevelCount(), 11u);
  for (UINT level = 0; level < 11; ++level) {
    EXPECT_EQ(LevelWidth(texture, level), 1024u >> level);
    EXPECT_EQ(LevelHeight(texture, level), std::max(512u >> level, 1u));
  }
  MemorySurface& top = texture.Level(0);
  // Column 0 lies 0.1875 of a pixel into the last column: 0.1875 * 40 + 0.8125 * 200.
  EXPECT_EQ((Pixel(top, 0, 100) >> 16) & 0xFF, 170u);
  // Column 1023: 0.8125 * 40 + 0.1875 * 200.
  EXPECT_EQ((Pixel(top, 1023, 100) >> 16) & 0xFF, 70u);
  // Row 0 lies 0.03125 of a pixel into the last row: 0.03125 * 64 + 0.96875 * 96.
  EXPECT_EQ((Pixel(top, 500, 0) >> 8) & 0xFF, 95u);
  EXPECT_EQ(Pixel(top, 500, 0) >> 24, 0xFFu);
  // The 1 by 1 level is the mean of the four pixels around the centre of the full image.
  EXPECT_EQ(Pixel(texture.Level(10), 0, 0), 0xFF4128FFu);  // red 65, green 40
}

TEST(SceneTextures, JpegBlackIsKeyedOutAndNearBlackKept) {
  // Two flat 8 by 8 blocks, so that the JPEG holds them exactly.
  const uint32_t width = 16, height = 8;
  std::vector<uint8_t> rgb(width * height * 3, 0);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 8; x < width; ++x) {
      uint8_t* p = &rgb[(y * width + x) * 3];
      p[0] = p[1] = p[2] = 8;
    }
  }
  const auto jpeg = EncodeJpeg(width, height, 3, rgb);
  MemoryDevice device;
  Made made;
  ASSERT_EQ(CreateLikeTheScene(device, jpeg, &made.texture), S_OK);
  MemorySurface& top = (*made).Level(0);
  for (UINT y = 0; y < height; ++y) {
    EXPECT_EQ(Pixel(top, 0, y), 0x00000000u);
    EXPECT_EQ(Pixel(top, 15, y), 0xFF080808u);
  }
}

// Every level must be what loading the level straight from the decoded image gives, however
// the levels are made inside (all together from the bytes, or from one float copy).
TEST(SceneTextures, EveryLevelEqualsItsOwnLoadFromTheDecodedImage) {
  const uint32_t width = 96, height = 40;
  std::vector<uint8_t> rgb(width * height * 3);
  uint32_t noise = 99;
  for (size_t i = 0; i < rgb.size(); ++i) {
    noise = noise * 1664525u + 1013904223u;
    rgb[i] = static_cast<uint8_t>(noise >> 24);
  }
  for (uint32_t x = 0; x < width; x += 7) std::fill_n(&rgb[(x % height * width + x) * 3], 3, 0);
  const auto png = EncodePng(width, height, 3, rgb);
  MemoryDevice device;
  Made made;
  ASSERT_EQ(CreateLikeTheScene(device, png, &made.texture), S_OK);
  MemoryTexture& texture = *made;
  ASSERT_EQ(texture.GetLevelCount(), 8u);  // 128 by 64

  DecodedImage image = EmptyDecodedImage();
  ASSERT_EQ(DecodeImage(png.data(), static_cast<UINT>(png.size()), &image, nullptr), S_OK);
  const RECT whole{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
  for (UINT level = 0; level < texture.GetLevelCount(); ++level) {
    const UINT levelWidth = LevelWidth(texture, level), levelHeight = LevelHeight(texture, level);
    MemorySurface expected(D3DFMT_A8R8G8B8, levelWidth, levelHeight);
    ASSERT_EQ(LoadSurfaceFromMemory(&expected, nullptr, nullptr, image.pixels, static_cast<D3DFORMAT>(image.format),
                                    image.rowPitch, nullptr, &whole, kLinear, 0xFF000000),
              S_OK);
    for (UINT y = 0; y < levelHeight; ++y) {
      ASSERT_EQ(std::memcmp(expected.Row(y), texture.Level(level).Row(y), 4 * levelWidth), 0)
          << "level " << level << " row " << y;
    }
  }
  FreeDecodedImage(&image);
}

TEST(TextureCreation, ReportsTheImageAndHandsOutOneReference) {
  const auto png = EncodePng(3, 5, 1, std::vector<uint8_t>(15, 0x40));
  MemoryDevice device;
  ImageInfo info{};
  Made made;
  ASSERT_EQ(CreateTextureFromMemory(&device, png.data(), static_cast<UINT>(png.size()), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                    D3DPOOL_MANAGED, kFilterDefault, kFilterDefault, 0, &info, nullptr, &made.texture),
            S_OK);
  EXPECT_EQ(info.width, 3u);
  EXPECT_EQ(info.height, 5u);
  EXPECT_EQ(info.format, static_cast<DWORD>(D3DFMT_L8));
  EXPECT_EQ(info.fileFormat, ImageFileFormatPng);
  // Grey asked for as the file's own format: the device's stand-in is opaque colour.
  D3DSURFACE_DESC description{};
  (*made).GetLevelDesc(0, &description);
  EXPECT_EQ(description.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(description.Width, 4u);
  EXPECT_EQ(description.Height, 8u);
  EXPECT_EQ(device.liveObjects, 1);
  made.texture->Release();
  made.texture = nullptr;
  EXPECT_EQ(device.liveObjects, 0);
}

struct LevelCase {
  const char* what;
  UINT mipLevels;
  bool deviceHasMipmaps;
  UINT expectedLevels;
};

class TextureLevels : public testing::TestWithParam<LevelCase> {};

TEST_P(TextureLevels, FollowTheRequestAndTheDevice) {
  const LevelCase& c = GetParam();
  const auto png = EncodePng(16, 8, 3, std::vector<uint8_t>(16 * 8 * 3, 0x80));
  MemoryDevice device;
  if (!c.deviceHasMipmaps) device.caps.TextureCaps &= ~DWORD{D3DPTEXTURECAPS_MIPMAP};
  Made made;
  ASSERT_EQ(
      CreateTextureFromMemory(&device, png.data(), static_cast<UINT>(png.size()), 0, 0, c.mipLevels, 0, D3DFMT_A8R8G8B8,
                              D3DPOOL_MANAGED, kLinear, kLinear, 0, nullptr, nullptr, &made.texture),
      S_OK)
      << c.what;
  EXPECT_EQ((*made).GetLevelCount(), c.expectedLevels) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, TextureLevels,
                         testing::Values(LevelCase{"full chain", 0, true, 5}, LevelCase{"one level", 1, true, 1},
                                         LevelCase{"three levels", 3, true, 3},
                                         LevelCase{"file's own levels", FromFile, true, 1},
                                         LevelCase{"device without mipmaps", 0, false, 1}));

TEST(TextureCreation, ChainFilteringBuildsEachLevelFromTheOneAbove) {
  // 4 by 4 grey: the box mip filter makes level 1 of 2 by 2 averages, level 2 of their mean.
  const std::vector<uint8_t> grey = {0,   20,  100, 100,  //
                                     40,  60,  100, 100,  //
                                     200, 200, 0,   0,    //
                                     200, 200, 0,   8};
  const auto png = EncodePng(4, 4, 1, grey);
  MemoryDevice device;
  Made made;
  ASSERT_EQ(CreateTextureFromMemory(&device, png.data(), static_cast<UINT>(png.size()), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                    D3DPOOL_MANAGED, FilterPoint, FilterBox, 0, nullptr, nullptr, &made.texture),
            S_OK);
  MemoryTexture& texture = *made;
  ASSERT_EQ(texture.GetLevelCount(), 3u);
  EXPECT_EQ(Pixel(texture.Level(1), 0, 0), 0xFF1E1E1Eu);  // 30
  EXPECT_EQ(Pixel(texture.Level(1), 1, 0), 0xFF646464u);  // 100
  EXPECT_EQ(Pixel(texture.Level(1), 0, 1), 0xFFC8C8C8u);  // 200
  EXPECT_EQ(Pixel(texture.Level(1), 1, 1), 0xFF020202u);  // 2
  EXPECT_EQ(Pixel(texture.Level(2), 0, 0), 0xFF535353u);  // (30 + 100 + 200 + 2) / 4 = 83
}

TEST(TextureCreation, DefaultPoolIsFilledThroughASystemMemoryTexture) {
  const auto png = EncodePng(2, 2, 4, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255});
  MemoryDevice device;
  Made made;
  ASSERT_EQ(CreateTextureFromMemory(&device, png.data(), static_cast<UINT>(png.size()), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, FilterNone, FilterNone, 0, nullptr, nullptr, &made.texture),
            S_OK);
  ASSERT_EQ(device.createdPools.size(), 2u);
  EXPECT_EQ(device.createdPools[1], D3DPOOL_SYSTEMMEM);  // released by now
  EXPECT_EQ(device.updates, 1);
  EXPECT_EQ(Pixel((*made).Level(0), 1, 1), 0xFF0A0B0Cu);
  EXPECT_EQ(device.liveObjects, 1);  // the staging texture is gone
}

struct PaletteCase {
  const char* what;
  std::vector<uint8_t> alpha;  // tRNS entries
  bool greyRamp;
  D3DFORMAT expectedFormat;
  uint32_t expectedFirstPixel;
};

class PaletteImages : public testing::TestWithParam<PaletteCase> {};

TEST_P(PaletteImages, BecomeColourTextures) {
  const PaletteCase& c = GetParam();
  std::vector<uint8_t> palette(256 * 3);
  for (int i = 0; i < 256; ++i) {
    palette[3 * i] = static_cast<uint8_t>(i);
    palette[3 * i + 1] = static_cast<uint8_t>(c.greyRamp ? i : 255 - i);
    palette[3 * i + 2] = static_cast<uint8_t>(c.greyRamp ? i : 9);
  }
  const auto png = EncodePalettePng(2, 1, {2, 3}, palette, c.alpha);
  MemoryDevice device;
  Made made;
  ASSERT_EQ(CreateTextureFromMemory(&device, png.data(), static_cast<UINT>(png.size()), 0, 0, 1, 0, D3DFMT_UNKNOWN,
                                    D3DPOOL_MANAGED, FilterNone, FilterNone, 0, nullptr, nullptr, &made.texture),
            S_OK)
      << c.what;
  D3DSURFACE_DESC description{};
  (*made).GetLevelDesc(0, &description);
  EXPECT_EQ(description.Format, c.expectedFormat) << c.what;
  EXPECT_EQ(Pixel((*made).Level(0), 0, 0), c.expectedFirstPixel) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PaletteImages,
    testing::Values(PaletteCase{"opaque palette", {}, false, D3DFMT_X8R8G8B8, 0xFF02FD09},
                    PaletteCase{"translucent entry", {255, 255, 255, 128}, false, D3DFMT_A8R8G8B8, 0xFF02FD09},
                    PaletteCase{"grey ramp reads as grey", {}, true, D3DFMT_X8R8G8B8, 0xFF020202}));

TEST(TextureCreation, PaletteKeyIsMatchedOnTheEntries) {
  std::vector<uint8_t> palette(256 * 3, 50);
  palette[0] = palette[1] = palette[2] = 0;  // entry 0 black
  const auto png = EncodePalettePng(2, 1, {0, 1}, palette, {});
  MemoryDevice device;
  Made made;
  ImagePaletteEntry out[256];
  ASSERT_EQ(CreateTextureFromMemory(&device, png.data(), static_cast<UINT>(png.size()), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                    D3DPOOL_MANAGED, FilterNone, FilterNone, 0xFF000000, nullptr, out, &made.texture),
            S_OK);
  EXPECT_EQ(Pixel((*made).Level(0), 0, 0), 0x00000000u);
  EXPECT_EQ(Pixel((*made).Level(0), 1, 0), 0xFF323232u);
  EXPECT_EQ(out[0].alpha, 0);
  EXPECT_EQ(out[1].alpha, 255);
}

struct RefusalCase {
  const char* what;
  bool validData;
  UINT width;
  DWORD filter;
  D3DFORMAT format;
  HRESULT result;
  const char* reason;
};

class TextureRefusals : public testing::TestWithParam<RefusalCase> {};

TEST_P(TextureRefusals, LeaveNothingBehind) {
  const RefusalCase& c = GetParam();
  const auto png = EncodePng(5, 5, 1, std::vector<uint8_t>(25, 1));  // grey: L8
  const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  const auto& data = c.validData ? png : text;
  MemoryDevice device;
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(0x1234);
  EXPECT_EQ(CreateTextureFromMemory(&device, data.data(), static_cast<UINT>(data.size()), c.width, 0, 0, 0, c.format,
                                    D3DPOOL_MANAGED, c.filter, kLinear, 0, nullptr, nullptr, &texture),
            c.result)
      << c.what;
  EXPECT_STREQ(LastReadFailure(), c.reason) << c.what;
  EXPECT_EQ(texture, reinterpret_cast<IDirect3DTexture9*>(0x1234)) << c.what;
  EXPECT_EQ(device.liveObjects, 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, TextureRefusals,
                         testing::Values(RefusalCase{"not an image", false, 0, kLinear, D3DFMT_A8R8G8B8, ErrInvalidData,
                                                     "not an image of a known format (no BMP, DIB, JPEG, PNG, TGA, "
                                                     "DDS, PPM, PFM or HDR header)"},
                                         RefusalCase{"bad filter", true, 0, 6, D3DFMT_A8R8G8B8, D3DERR_INVALIDCALL,
                                                     "filter 0x6 or mip filter 0x3 is not a filter word"},
                                         RefusalCase{"size from the file on a powers-of-two device", true, FromFile,
                                                     kLinear, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE,
                                                     "the device cannot take the file's own size, levels or format"},
                                         RefusalCase{"format from the file that the device lacks", true, 0, kLinear,
                                                     kFormatFromFile, D3DERR_NOTAVAILABLE,
                                                     "the device cannot take the file's own size, levels or format"}));

TEST(TextureCreation, FromAMissingResourceReportsItAndCreatesNothing) {
  MemoryDevice device;
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(CreateTextureFromResource(&device, nullptr, 9999, 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, kLinear,
                                      kLinear, 0xFF000000, nullptr, nullptr, &texture),
            ErrInvalidData);
  EXPECT_EQ(texture, nullptr);
  EXPECT_TRUE(device.created.empty());
}

TEST(TextureCreation, RefusesMissingArguments) {
  const auto png = EncodePng(1, 1, 1, {0});
  MemoryDevice device;
  IDirect3DTexture9* texture = nullptr;
  const UINT size = static_cast<UINT>(png.size());
  EXPECT_EQ(CreateTextureFromMemory(nullptr, png.data(), size, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, kLinear,
                                    kLinear, 0, nullptr, nullptr, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(CreateTextureFromMemory(&device, png.data(), 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, kLinear,
                                    kLinear, 0, nullptr, nullptr, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(CreateTextureFromMemory(&device, png.data(), size, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, kLinear,
                                    kLinear, 0, nullptr, nullptr, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(CreateTextureFromMemory(&device, png.data(), size, 0, 0, 0, 0, D3DFMT_UNKNOWN, static_cast<D3DPOOL>(7),
                                    kLinear, kLinear, 0, nullptr, nullptr, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
}

}  // namespace
