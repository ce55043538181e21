// TGA: colour maps, true colour depths, grey, run-length packets, origins, damage.
#include <gtest/gtest.h>

#include "decoded_pixels.h"

namespace {

namespace F = ImagePixelFormat;

constexpr Rgba8 Red{255, 0, 0, 255}, Green{0, 255, 0, 255}, Blue{0, 0, 255, 255}, White{255, 255, 255, 255};

Bytes Header(int idLength, int mapType, int imageType, int mapFirst, int mapLength, int mapBits, int width, int height,
             int bits, int descriptor) {
  Bytes b;
  b.u8({idLength, mapType, imageType}).u16(mapFirst).u16(mapLength).u8({mapBits});
  b.u16(0).u16(0).u16(width).u16(height).u8({bits, descriptor});
  return b;
}

struct TargaCase {
  const char* name;
  std::vector<uint8_t> data;
  DWORD format;
  UINT width, height;
  std::vector<Rgba8> pixels;
};

std::vector<TargaCase> Cases() {
  std::vector<TargaCase> cases;
  {  // Colour-mapped, map starting at index 1 with 16-bit entries (alpha bit used), id field.
    Bytes b = Header(3, 1, 1, 1, 2, 16, 2, 1, 8, 0x21);
    b.text("abc").u16(0x7C00 | 0x8000).u16(0x001F);  // index 1: red, opaque; index 2: blue, transparent
    b.u8({1, 2});
    cases.push_back({"colour-mapped 16-bit entries", b.data(), F::P8, 2, 1, {Red, {0, 0, 255, 0}}});
  }
  {  // 15-bit true colour, bottom-left origin.
    Bytes b = Header(0, 0, 2, 0, 0, 0, 1, 2, 15, 0);
    b.u16(0x03E0).u16(0x7FFF);
    cases.push_back({"15 bits bottom-up", b.data(), F::X1R5G5B5, 1, 2, {White, Green}});
  }
  {  // 24 bits, top-right origin: columns run right to left.
    Bytes b = Header(0, 0, 2, 0, 0, 0, 2, 1, 24, 0x30);
    b.u8({0, 0, 255, 255, 0, 0});
    cases.push_back({"24 bits right to left", b.data(), F::R8G8B8, 2, 1, {Blue, Red}});
  }
  {  // 32 bits with 8 alpha bits, run-length packets crossing the row end.
    Bytes b = Header(0, 0, 10, 0, 0, 0, 3, 2, 32, 0x28);
    b.u8({0x83, 0, 0, 255, 128});                  // run of 4 red, alpha 128
    b.u8({0x01, 255, 0, 0, 255, 0, 255, 0, 255});  // raw blue, green
    const Rgba8 halfRed{255, 0, 0, 128};
    cases.push_back(
        {"32 bits RLE across rows", b.data(), F::A8R8G8B8, 3, 2, {halfRed, halfRed, halfRed, halfRed, Blue, Green}});
  }
  {  // 32 bits declaring no alpha bits: the fourth byte is not alpha.
    Bytes b = Header(0, 0, 2, 0, 0, 0, 1, 1, 32, 0x20);
    b.u8({0, 255, 0, 0});
    cases.push_back({"32 bits without alpha bits", b.data(), F::X8R8G8B8, 1, 1, {Green}});
  }
  {  // Grey with a run-length packet; grey and alpha.
    Bytes b = Header(0, 0, 11, 0, 0, 0, 3, 1, 8, 0x20);
    b.u8({0x81, 7, 0x00, 200});
    cases.push_back({"grey RLE", b.data(), F::L8, 3, 1, {{7, 7, 7, 255}, {7, 7, 7, 255}, {200, 200, 200, 255}}});
    Bytes a = Header(0, 0, 3, 0, 0, 0, 1, 1, 16, 0x28);
    a.u8({90, 30});
    cases.push_back({"grey and alpha", a.data(), F::A8L8, 1, 1, {{90, 90, 90, 30}}});
  }
  return cases;
}

TEST(Targa, DecodesEveryLayout) {
  for (const TargaCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    ImageInfo info{};
    DecodedImage image = DecodeOrFail(c.data, &info);
    EXPECT_EQ(info.fileFormat, ImageFileFormatTga);
    EXPECT_EQ(image.format, c.format);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    EXPECT_EQ(ToRgba8(image), c.pixels) << Describe(ToRgba8(image));
    FreeDecodedImage(&image);
  }
}

TEST(Targa, RefusesDamage) {
  Bytes typeEight = Header(0, 0, 8, 0, 0, 0, 1, 1, 8, 0);
  typeEight.zeros(4);
  Bytes mappedWithoutMap = Header(0, 0, 1, 0, 0, 0, 1, 1, 8, 0);
  mappedWithoutMap.zeros(4);
  Bytes mapPastData = Header(0, 1, 1, 0, 200, 24, 1, 1, 8, 0);
  mapPastData.zeros(30);
  Bytes idPastData = Header(255, 0, 2, 0, 0, 0, 1, 1, 24, 0);
  idPastData.zeros(30);
  Bytes bits20 = Header(0, 0, 2, 0, 0, 0, 1, 1, 20, 0);
  bits20.zeros(4);
  Bytes shortRaw = Header(0, 0, 2, 0, 0, 0, 2, 2, 24, 0);
  shortRaw.zeros(11);
  Bytes runPastImage = Header(0, 0, 10, 0, 0, 0, 2, 1, 24, 0);
  runPastImage.u8({0x82, 1, 2, 3});
  Bytes packetsStopEarly = Header(0, 0, 10, 0, 0, 0, 4, 1, 24, 0);
  packetsStopEarly.u8({0x81, 1, 2, 3});
  Bytes zeroHeight = Header(0, 0, 2, 0, 0, 0, 1, 0, 24, 0);
  zeroHeight.zeros(4);
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    const char* reason;
  };
  const Case cases[] = {
      // An unknown image type makes the data no TGA at all.
      {"image type 8", typeEight.data(), kNotAnImage},
      {"colour-mapped without a map", mappedWithoutMap.data(), "TGA: colour-mapped image without a colour map"},
      {"colour map beyond the data", mapPastData.data(), "TGA: colour map does not fit the file"},
      {"id field beyond the data", idPastData.data(), "TGA: image id field does not fit the file"},
      {"20 bits per pixel", bits20.data(), "TGA: true colour of 20 bits per pixel"},
      {"raw pixels beyond the data", shortRaw.data(), "TGA: pixels run past the end of the file"},
      {"run beyond the image", runPastImage.data(), "TGA: a run-length packet runs past the end of the image"},
      {"packets end before the image", packetsStopEarly.data(),
       "TGA: run-length packets end before the image is complete"},
      {"height 0", zeroHeight.data(), "TGA: width or height is 0"},
  };
  for (const Case& c : cases) {
    DecodedImage image = EmptyDecodedImage();
    EXPECT_EQ(DecodeImage(c.data.data(), static_cast<UINT>(c.data.size()), &image, nullptr), ErrInvalidData) << c.name;
    EXPECT_STREQ(LastReadFailure(), c.reason) << c.name;
  }
}

}  // namespace
