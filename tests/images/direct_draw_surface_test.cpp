// DDS: DXT blocks, uncompressed layouts, mip levels, cube maps, volumes, damage.
#include <gtest/gtest.h>

#include "decoded_pixels.h"

namespace {

namespace F = ImagePixelFormat;

constexpr uint32_t PixelAlphaPixels = 0x1, PixelFourCC = 0x4, PixelPalette8 = 0x20, PixelRgb = 0x40,
                   PixelLuminance = 0x20000;
constexpr uint32_t FlagMipCount = 0x20000, FlagDepth = 0x800000;

struct PixelFormat {
  uint32_t flags, fourCC, bits, red, green, blue, alpha;
};

Bytes Dds(uint32_t width, uint32_t height, const PixelFormat& pf, uint32_t mipCount = 0, uint32_t caps2 = 0,
          uint32_t depth = 0) {
  Bytes b;
  const uint32_t flags = 0x1007 | (mipCount ? FlagMipCount : 0) | (depth ? FlagDepth : 0);
  b.text("DDS ").u32(124).u32(flags).u32(height).u32(width).u32(0).u32(depth).u32(mipCount).zeros(44);
  b.u32(32).u32(pf.flags).u32(pf.fourCC).u32(pf.bits).u32(pf.red).u32(pf.green).u32(pf.blue).u32(pf.alpha);
  b.u32(0x1000).u32(caps2).zeros(12);
  return b;
}

PixelFormat FourCC(const char* code) {
  return {PixelFourCC, ImagePixelFormat::FourCC(code[0], code[1], code[2], code[3]), 0, 0, 0, 0, 0};
}
constexpr PixelFormat Argb32{PixelRgb | PixelAlphaPixels, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u};

constexpr Rgba8 Red{255, 0, 0, 255}, Blue{0, 0, 255, 255};

TEST(DirectDrawSurfaces, DecodesDxtBlocks) {
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    std::vector<Rgba8> firstRow;
  };
  // Four colours: red, blue and the two thirds between them; indices 0, 1, 2, 3 across.
  Bytes dxt1 = Dds(4, 1, FourCC("DXT1"));
  dxt1.u16(0xF800).u16(0x001F).u32(0xE4E4E4E4u);
  // colour0 below colour1: three colours and transparent black.
  Bytes dxt1Transparent = Dds(4, 1, FourCC("DXT1"));
  dxt1Transparent.u16(0x001F).u16(0xF800).u32(0xE4E4E4E4u);
  // Explicit 4-bit alpha 0, 15, 8, 1 over solid red.
  Bytes dxt3 = Dds(4, 1, FourCC("DXT3"));
  dxt3.u8({0xF0, 0x18, 0, 0, 0, 0, 0, 0}).u16(0xF800).u16(0xF800).u32(0);
  // Interpolated alpha: end points 255 and 0, indices 0, 1, 2, 7.
  Bytes dxt5 = Dds(4, 1, FourCC("DXT5"));
  dxt5.u8({255, 0, 0x88, 0x0E, 0, 0, 0, 0}).u16(0x001F).u16(0x001F).u32(0);
  // Premultiplied: red 132 at alpha 136 is straight red 248.
  Bytes dxt2 = Dds(1, 1, FourCC("DXT2"));
  dxt2.u8({0x08, 0, 0, 0, 0, 0, 0, 0}).u16(16 << 11).u16(16 << 11).u32(0);
  const Case cases[] = {
      {"DXT1 four colours", dxt1.data(), {Red, Blue, {170, 0, 85, 255}, {85, 0, 170, 255}}},
      {"DXT1 three colours", dxt1Transparent.data(), {Blue, Red, {128, 0, 128, 255}, {0, 0, 0, 0}}},
      {"DXT3", dxt3.data(), {{255, 0, 0, 0}, {255, 0, 0, 255}, {255, 0, 0, 136}, {255, 0, 0, 17}}},
      {"DXT5", dxt5.data(), {{0, 0, 255, 255}, {0, 0, 255, 0}, {0, 0, 255, 219}, {0, 0, 255, 36}}},
      {"DXT2", dxt2.data(), {{248, 0, 0, 136}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImageInfo info{};
    DecodedImage image = DecodeOrFail(c.data, &info);
    EXPECT_EQ(info.fileFormat, ImageFileFormatDds);
    EXPECT_EQ(image.format, F::A8R8G8B8);
    EXPECT_EQ(ToRgba8(image), c.firstRow) << Describe(ToRgba8(image));
    FreeDecodedImage(&image);
  }
}

TEST(DirectDrawSurfaces, UncompressedLayouts) {
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    DWORD format;
    Rgba8 pixel;
  };
  Bytes argb = Dds(1, 1, Argb32);
  argb.u8({3, 2, 1, 4});
  Bytes r5g6b5 = Dds(1, 1, {PixelRgb, 0, 16, 0xF800, 0x07E0, 0x001F, 0});
  r5g6b5.u16(0xF800 | 0x001F);
  Bytes a4l4 = Dds(1, 1, {PixelLuminance | PixelAlphaPixels, 0, 8, 0x0F, 0, 0, 0xF0});
  a4l4.u8({0x3C});
  Bytes l16 = Dds(1, 1, {PixelLuminance, 0, 16, 0xFFFF, 0, 0, 0});
  l16.u16(0x8080);
  Bytes halfFloats = Dds(1, 1, {PixelFourCC, 113, 0, 0, 0, 0, 0});
  halfFloats.u16(0x3C00).u16(0x3800).u16(0).u16(0x3C00);  // 1, 0.5, 0, 1
  Bytes palette = Dds(1, 1, {PixelPalette8, 0, 8, 0, 0, 0, 0});
  palette.zeros(4 * 7).u8({10, 20, 30, 40}).zeros(4 * 248).u8({7});
  const Case cases[] = {
      {"A8R8G8B8", argb.data(), F::A8R8G8B8, {1, 2, 3, 4}},
      {"R5G6B5", r5g6b5.data(), F::X8R8G8B8, {255, 0, 255, 255}},
      {"A4L4", a4l4.data(), F::A8L8, {204, 204, 204, 51}},
      {"L16", l16.data(), F::L16, {128, 128, 128, 255}},
      {"A16B16G16R16F", halfFloats.data(), F::A16B16G16R16, {255, 128, 0, 255}},
      {"P8", palette.data(), F::P8, {10, 20, 30, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedImage image = DecodeOrFail(c.data);
    EXPECT_EQ(image.format, c.format);
    EXPECT_EQ(ToRgba8(image), std::vector<Rgba8>{c.pixel}) << Describe(ToRgba8(image));
    FreeDecodedImage(&image);
  }
}

TEST(DirectDrawSurfaces, MipLevelsPointIntoTheFile) {
  // A count beyond the chain of a 2 x 2 image is cut to its two levels.
  Bytes b = Dds(2, 2, Argb32, 9);
  for (int i = 0; i < 4; ++i) b.u8({0, 0, 255, 255});
  b.u8({255, 0, 0, 255});
  ImageInfo info{};
  DecodedImage image = DecodeOrFail(b.data(), &info);
  EXPECT_EQ(info.mipLevels, 2u);
  EXPECT_FALSE(image.ownsPixels);
  EXPECT_EQ(image.pixels, b.data().data() + 128);
  ASSERT_NE(image.nextLevel, nullptr);
  EXPECT_EQ(image.nextLevel->width, 1u);
  EXPECT_EQ(image.nextLevel->sourceBox.right, 1u);
  EXPECT_EQ(ToRgba8(*image.nextLevel), std::vector<Rgba8>{Blue});
  EXPECT_EQ(image.nextLevel->nextLevel, nullptr);
  FreeDecodedImage(&image);
}

TEST(DirectDrawSurfaces, CubeMapsAndVolumesReportTheirType) {
  Bytes cube = Dds(1, 1, Argb32, 0, 0x200 | 0xFC00);
  for (int face = 0; face < 6; ++face) cube.u8({face, 0, 0, 255});
  ImageInfo info{};
  DecodedImage image = DecodeOrFail(cube.data(), &info);
  EXPECT_EQ(info.resourceType, ImageResourceType::CubeTexture);
  EXPECT_EQ(info.depth, 1u);
  int faces = 0;
  for (const DecodedImage* face = &image; face != nullptr; face = face->nextFace, ++faces)
    EXPECT_EQ(ToRgba8(*face), (std::vector<Rgba8>{{0, 0, static_cast<uint8_t>(faces), 255}}));
  EXPECT_EQ(faces, 6);
  FreeDecodedImage(&image);

  Bytes volume = Dds(1, 1, Argb32, 0, 0x200000, 2);
  volume.u8({1, 1, 1, 255, 2, 2, 2, 255});
  image = DecodeOrFail(volume.data(), &info);
  EXPECT_EQ(info.resourceType, ImageResourceType::VolumeTexture);
  EXPECT_EQ(info.depth, 2u);
  EXPECT_EQ(image.slicePitch, 4u);
  EXPECT_EQ(image.sourceBox.back, 2u);
  FreeDecodedImage(&image);
}

TEST(DirectDrawSurfaces, RefusesDamage) {
  Bytes partialCube = Dds(1, 1, Argb32, 0, 0x200 | 0x0400);
  partialCube.zeros(24);
  Bytes oblongCube = Dds(2, 1, Argb32, 0, 0x200 | 0xFC00);
  oblongCube.zeros(48);
  Bytes shortLevel = Dds(2, 2, Argb32);
  shortLevel.zeros(15);
  Bytes shortMip = Dds(2, 2, Argb32, 2);
  shortMip.zeros(16 + 3);
  Bytes shortBlock = Dds(4, 4, FourCC("DXT5"));
  shortBlock.zeros(15);
  Bytes unknownCode = Dds(1, 1, FourCC("ATI2"));
  unknownCode.zeros(16);
  Bytes extendedHeader = Dds(1, 1, FourCC("DX10"));
  extendedHeader.zeros(40);
  Bytes noMasks = Dds(1, 1, {PixelRgb, 0, 32, 0, 0, 0, 0});
  noMasks.zeros(4);
  Bytes hugeSize = Dds(0x7FFFFFFF, 0x7FFFFFFF, Argb32);
  hugeSize.zeros(16);
  Bytes shortPalette = Dds(1, 1, {PixelPalette8, 0, 8, 0, 0, 0, 0});
  shortPalette.zeros(1000);
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    const char* reason;
  };
  const Case cases[] = {
      {"cube with one face", partialCube.data(), "DDS: cube map without all six faces"},
      {"cube that is not square", oblongCube.data(), "DDS: cube map faces that are not square"},
      {"level cut short", shortLevel.data(), "DDS: mip level 0 runs past the end of the file"},
      {"mip level cut short", shortMip.data(), "DDS: mip level 1 runs past the end of the file"},
      {"DXT block cut short", shortBlock.data(), "DDS: mip level 0 runs past the end of the file"},
      {"unknown code", unknownCode.data(), "DDS: pixel format \"ATI2\" is not read"},
      {"extended header", extendedHeader.data(), "DDS: pixel format \"DX10\" is not read"},
      {"no masks", noMasks.data(), "DDS: colour masks are all 0"},
      {"size beyond the limits", hugeSize.data(),
       "DDS: 2147483647 x 2147483647 pixels are more than an image may have"},
      {"palette cut short", shortPalette.data(), "DDS: palette runs past the end of the file"},
  };
  for (const Case& c : cases) {
    ImageInfo info{};
    EXPECT_EQ(GetImageInfoFromMemory(c.data.data(), static_cast<UINT>(c.data.size()), &info), ErrInvalidData) << c.name;
    EXPECT_STREQ(LastReadFailure(), c.reason) << c.name;
  }
}

}  // namespace
