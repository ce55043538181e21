// PPM, PFM and Radiance HDR: headers, sample scaling, byte order, run-length scanlines, damage.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "decoded_pixels.h"

namespace {

namespace F = ImagePixelFormat;

uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

Bytes& BigFloat(Bytes& b, float value) {
  const uint32_t bits = FloatBits(value);
  return b.u8({static_cast<int>(bits >> 24), static_cast<int>((bits >> 16) & 0xFF),
               static_cast<int>((bits >> 8) & 0xFF), static_cast<int>(bits & 0xFF)});
}

// 16-bit samples of the first pixels of an A16B16G16R16 or L16 level.
std::vector<unsigned> Samples16(const DecodedImage& image, size_t count) {
  std::vector<unsigned> samples;
  for (UINT y = 0; y < image.height; ++y)
    for (size_t i = 0; i < image.rowPitch / 2 && samples.size() < count; ++i) {
      const BYTE* p = image.pixels + y * image.rowPitch + 2 * i;
      samples.push_back(p[0] | (p[1] << 8));
    }
  return samples;
}

TEST(Pixmaps, TextSamplesWithCommentsScaleToBytes) {
  const std::vector<uint8_t> data =
      Bytes().text("P3 # a comment\n2 # width\n1\n# maximum next\n1000\n1000 0 500   0 1\n999\n").data();
  DecodedImage image = DecodeOrFail(data);
  EXPECT_EQ(image.format, F::X8R8G8B8);
  EXPECT_EQ(ToRgba8(image), (std::vector<Rgba8>{{255, 0, 128, 255}, {0, 0, 255, 255}}));
  FreeDecodedImage(&image);
}

TEST(Pixmaps, BinarySamplesAreScaledBytes) {
  DecodedImage bytes = DecodeOrFail(Bytes().text("P6\n1 1\n100\n").u8({100, 50, 0}).data());
  EXPECT_EQ(ToRgba8(bytes), (std::vector<Rgba8>{{255, 128, 0, 255}}));
  FreeDecodedImage(&bytes);
}

TEST(Pixmaps, RefuseDamage) {
  const std::pair<const char*, const char*> cases[] = {
      {"P3 2 0 255\n", "PPM: width or height is 0"},
      {"P3 0 2 255\n", "PPM: width or height is 0"},
      {"P3 1 1 0\n0 0 0\n", "PPM: maximum sample value 0 out of range"},
      {"P6 1 1 256\n\x01\x02\x03\x04\x05\x06", "PPM: binary samples of two bytes (maximum 256) are not read"},
      {"P3 1 1 70000\n0 0 0\n", "PPM: maximum sample value 70000 out of range"},
      {"P3 1 1 255\n0 256 0\n", "PPM: sample 256 above the maximum 255"},
      {"P3 1 1 255\n0 0\n", "PPM: text samples end before the image is complete"},
      {"P6 2 1 255\n\x01\x02\x03", "PPM: pixels run past the end of the file"},
      // "P63" is no magic number: the data is no pixmap at all.
      {"P63 1 1 255\n", kNotAnImage},
      {"P3 99999999999 1 255\n", "PPM: no width, or one beyond 32 bits"},
  };
  for (const auto& [text, reason] : cases) {
    DecodedImage image = EmptyDecodedImage();
    EXPECT_EQ(DecodeImage(text, static_cast<UINT>(std::strlen(text)), &image, nullptr), ErrInvalidData) << text;
    EXPECT_STREQ(LastReadFailure(), reason) << text;
  }
}

TEST(FloatMaps, ScaleSignGivesByteOrderAndRowsRunUpward) {
  // Grey, little-endian (negative scale), 2 x 2: the first stored row is the bottom one.
  Bytes grey;
  grey.text("Pf\n2 2\n-1.0\n").u32(FloatBits(0.0f)).u32(FloatBits(0.5f)).u32(FloatBits(1.0f)).u32(FloatBits(7.0f));
  DecodedImage image = DecodeOrFail(grey.data());
  EXPECT_EQ(image.format, F::L16);
  EXPECT_EQ(Samples16(image, 4), (std::vector<unsigned>{65535, 65535, 0, 32768}));
  FreeDecodedImage(&image);

  // Colour, big-endian (positive scale, its size not applied); negative and NaN samples give 0.
  Bytes colour;
  colour.text("PF\n1 1\n4.0\n");
  BigFloat(colour, 0.25f);
  BigFloat(colour, -3.0f);
  BigFloat(colour, std::numeric_limits<float>::quiet_NaN());
  DecodedImage rgb = DecodeOrFail(colour.data());
  EXPECT_EQ(rgb.format, F::A16B16G16R16);
  EXPECT_EQ(Samples16(rgb, 4), (std::vector<unsigned>{16384, 0, 0, 65535}));
  FreeDecodedImage(&rgb);
}

TEST(FloatMaps, RefuseDamage) {
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {Bytes().text("PF\n1 1\n0.0\n").zeros(12).data(), "PFM: scale 0 gives no byte order"},
      {Bytes().text("PF\n1 1\nnan\n").zeros(12).data(), "PFM: no scale number"},
      {Bytes().text("PF\n2 2\n-1.0\n").zeros(47).data(), "PFM: samples run past the end of the file"},
      // Without its line feed the magic is no PFM's.
      {Bytes().text("PF 1 1\n-1.0\n").zeros(12).data(), kNotAnImage},
      {Bytes().text("Pf\n1 0\n-1.0\n").data(), "PFM: width, height or depth is 0"},
  };
  for (const auto& [data, reason] : cases) {
    DecodedImage image = EmptyDecodedImage();
    EXPECT_EQ(DecodeImage(data.data(), static_cast<UINT>(data.size()), &image, nullptr), ErrInvalidData)
        << std::string(data.begin(), data.begin() + 10);
    EXPECT_STREQ(LastReadFailure(), reason) << std::string(data.begin(), data.begin() + 10);
  }
}

// Radiance values as 16-bit samples: (mantissa + 0.5) * 2^(exponent - 136).
unsigned Rgbe16(int mantissa, int exponent) {
  return static_cast<unsigned>(std::lround(std::min(1.0, (mantissa + 0.5) * std::ldexp(1.0, exponent - 136)) * 65535));
}

TEST(Radiance, FlatScanlinesWithARepeatMarker) {
  Bytes b;
  b.text("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\nEXPOSURE=2.0\n\n-Y 1 +X 3\n");
  b.u8({128, 64, 0, 128}).u8({1, 1, 1, 2});  // one pixel, then repeat it twice
  DecodedImage image = DecodeOrFail(b.data());
  EXPECT_EQ(image.format, F::A16B16G16R16);
  const unsigned half = Rgbe16(128, 128), quarter = Rgbe16(64, 128), none = Rgbe16(0, 128);
  EXPECT_EQ(Samples16(image, 12), (std::vector<unsigned>{half, quarter, none, 65535, half, quarter, none, 65535, half,
                                                         quarter, none, 65535}));
  FreeDecodedImage(&image);
}

TEST(Radiance, RunLengthScanlinesComponentByComponent) {
  Bytes b;
  b.text("#?RGBE\n\n+Y 2 +X 8\n");  // rows stored bottom first
  for (int row = 0; row < 2; ++row) {
    b.u8({2, 2, 0, 8});
    b.u8({128 + 8, row == 0 ? 200 : 100});  // red: a run of 8
    b.u8({128 + 8, 0});                     // green
    b.u8({8, 1, 2, 3, 4, 5, 6, 7, 8});      // blue: 8 literal values
    b.u8({128 + 8, 128});                   // exponent
  }
  DecodedImage image = DecodeOrFail(b.data());
  const std::vector<unsigned> top = Samples16(image, 4);
  EXPECT_EQ(top, (std::vector<unsigned>{Rgbe16(100, 128), Rgbe16(0, 128), Rgbe16(1, 128), 65535}));
  FreeDecodedImage(&image);
}

TEST(Radiance, XyzPicturesBecomeRgb) {
  // Equal X, Y, Z is the white point of Radiance's primaries: equal red, green and blue.
  Bytes b;
  b.text("#?RADIANCE\nFORMAT=32-bit_rle_xyze\n\n-Y 1 +X 1\n").u8({100, 100, 100, 127});
  DecodedImage image = DecodeOrFail(b.data());
  const std::vector<unsigned> rgb = Samples16(image, 3);
  EXPECT_NEAR(rgb[0], rgb[1], 40u);
  EXPECT_NEAR(rgb[2], rgb[1], 40u);
  EXPECT_NEAR(rgb[1], Rgbe16(100, 127), 40u);
  FreeDecodedImage(&image);
}

TEST(Radiance, RefusesDamage) {
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {Bytes().text("#?RADIANCE\nFORMAT=32-bit_rle_cmyk\n\n-Y 1 +X 1\n").zeros(4).data(),
       "HDR: pixel format 32-bit_rle_cmyk is not read"},
      {Bytes().text("#?RADIANCE\nEXPOSURE=-1\n\n-Y 1 +X 1\n").zeros(4).data(),
       "HDR: exposure is not a positive number"},
      {Bytes().text("#?RADIANCE\n\n-Y 1 -Y 1\n").zeros(4).data(), "HDR: resolution line is not like \"-Y 480 +X 640\""},
      {Bytes().text("#?RADIANCE\n\n-Y 2 +X 1\n").zeros(7).data(), "HDR: pixels run past the end of the file"},
      {Bytes().text("#?RADIANCE\n\n-Y 1 +X 2\n").u8({1, 1, 1, 1, 0, 0, 0, 0}).data(),
       "HDR: a repeat marker before any pixel of its scanline"},
      {Bytes().text("#?RADIANCE\n\n-Y 1 +X 8\n").u8({2, 2, 0, 8, 128 + 9, 0}).data(),
       "HDR: a run runs past the end of its scanline"},
      {Bytes().text("#?RADIANCE\nno empty line ends this header\n").data(), "HDR: the file ends inside the header"},
  };
  for (const auto& [data, reason] : cases) {
    DecodedImage image = EmptyDecodedImage();
    EXPECT_EQ(DecodeImage(data.data(), static_cast<UINT>(data.size()), &image, nullptr), ErrInvalidData)
        << std::string(data.begin(), data.end());
    EXPECT_STREQ(LastReadFailure(), reason) << std::string(data.begin(), data.end());
  }
}

}  // namespace
