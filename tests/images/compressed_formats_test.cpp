// JPEG and PNG through their libraries: sizes and formats of the system's own kinds of image,
// the PNG transformations (gamma, transparency, palettes), and damaged streams.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

// The platform headers first, so that libjpeg leaves out its own INT32.
#include "decoded_pixels.h"

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace {

namespace F = ImagePixelFormat;

// ---- writers used to make fixtures ----

struct PngChunks {
  double gamma = 0;   // gAMA when above 0
  bool srgb = false;  // sRGB chunk (written first, whatever gAMA says)
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;  // tRNS of a palette image
  bool transparentColour = false;      // tRNS of a grey or RGB image: the colour below
  png_color_16 colourKey{};
};

void AppendToVector(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}

std::vector<uint8_t> WritePng(int width, int height, int colourType, int bitDepth, const std::vector<uint8_t>& pixels,
                              const PngChunks& chunks = {}) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    ADD_FAILURE() << "libpng could not write the fixture";
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendToVector, NoFlush);
  png_set_IHDR(png, info, width, height, bitDepth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (chunks.gamma > 0) png_set_gAMA(png, info, chunks.gamma);
  if (!chunks.palette.empty()) png_set_PLTE(png, info, chunks.palette.data(), static_cast<int>(chunks.palette.size()));
  if (!chunks.paletteAlpha.empty())
    png_set_tRNS(png, info, chunks.paletteAlpha.data(), static_cast<int>(chunks.paletteAlpha.size()), nullptr);
  if (chunks.transparentColour) png_set_tRNS(png, info, nullptr, 0, &chunks.colourKey);
  png_write_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, pixels.data() + y * rowBytes);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (chunks.srgb) {
    // libpng will not write an sRGB chunk beside a gAMA that disagrees, so it goes in by hand,
    // right after the header chunk.
    std::vector<uint8_t> chunk = {0, 0, 0, 1, 's', 'R', 'G', 'B', 0};
    const uLong crc = crc32(0, chunk.data() + 4, 5);
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<uint8_t>(crc >> shift));
    out.insert(out.begin() + 33, chunk.begin(), chunk.end());
  }
  return out;
}

std::vector<uint8_t> WriteJpeg(int width, int height, int components, bool progressive) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * components);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < width * components; ++x) row[x] = static_cast<uint8_t>((x * 7 + info.next_scanline * 3) & 0xFF);
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&info, &pointer, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

// ---- the system's own kinds of image ----

TEST(CompressedFormats, ColourJpegOf640By480IsMeasuredAsTheObjectImage) {
  for (bool progressive : {false, true}) {
    const std::vector<uint8_t> jpeg = WriteJpeg(640, 480, 3, progressive);
    ImageInfo info{};
    ASSERT_EQ(GetImageInfoFromMemory(jpeg.data(), static_cast<UINT>(jpeg.size()), &info), S_OK);
    EXPECT_EQ(info.width, 640u);
    EXPECT_EQ(info.height, 480u);
    EXPECT_EQ(info.depth, 1u);
    EXPECT_EQ(info.mipLevels, 1u);
    EXPECT_EQ(info.format, F::X8R8G8B8);
    EXPECT_EQ(info.resourceType, ImageResourceType::Texture);
    EXPECT_EQ(info.fileFormat, ImageFileFormatJpeg);
    DecodedImage image = DecodeOrFail(jpeg);
    EXPECT_EQ(image.rowPitch, 640u * 4);
    EXPECT_EQ(image.pixels[3], 0) << "the top byte of an X8R8G8B8 pixel is 0";
    FreeDecodedImage(&image);
  }
}

// libjpeg's own RGB rows, each pixel packed as X8R8G8B8 with a zero top byte: what the
// decoder must deliver, however it asks libjpeg for the rows.
std::vector<uint32_t> LibjpegPixels(const std::vector<uint8_t>& jpeg) {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, jpeg.data(), jpeg.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  std::vector<uint8_t> row(size_t{info.output_width} * 3);
  std::vector<uint32_t> pixels;
  while (info.output_scanline < info.output_height) {
    JSAMPROW pointer = row.data();
    jpeg_read_scanlines(&info, &pointer, 1);
    for (size_t x = 0; x < info.output_width; ++x)
      pixels.push_back(uint32_t{row[3 * x]} << 16 | uint32_t{row[3 * x + 1]} << 8 | row[3 * x + 2]);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return pixels;
}

// Sizes that leave partial blocks and partial chroma pairs at the right and bottom edges.
TEST(CompressedFormats, ColourJpegPixelsAreLibjpegsRgbWithAZeroTopByte) {
  for (bool progressive : {false, true}) {
    for (auto [width, height] : {std::pair{37, 19}, std::pair{1, 1}, std::pair{640, 480}}) {
      const std::vector<uint8_t> jpeg = WriteJpeg(width, height, 3, progressive);
      const std::vector<uint32_t> expected = LibjpegPixels(jpeg);
      DecodedImage image = DecodeOrFail(jpeg);
      ASSERT_EQ(image.format, F::X8R8G8B8);
      ASSERT_EQ(image.rowPitch, 4u * width);
      std::vector<uint32_t> decoded(expected.size());
      ASSERT_EQ(size_t{image.rowPitch} * image.height, decoded.size() * 4);
      std::memcpy(decoded.data(), image.pixels, decoded.size() * 4);
      EXPECT_EQ(decoded, expected) << width << " by " << height << (progressive ? ", progressive" : "");
      FreeDecodedImage(&image);
    }
  }
}

TEST(CompressedFormats, GreyJpegIsL8WithPitchOfItsWidth) {
  DecodedImage image = DecodeOrFail(WriteJpeg(13, 3, 1, false));
  EXPECT_EQ(image.format, F::L8);
  EXPECT_EQ(image.rowPitch, 13u);
  FreeDecodedImage(&image);
}

TEST(CompressedFormats, RgbaPngOf512IsBlueGreenRedAlpha) {
  std::vector<uint8_t> rgba(512 * 512 * 4);
  for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = 10, rgba[i + 1] = 20, rgba[i + 2] = 30, rgba[i + 3] = 40;
  ImageInfo info{};
  DecodedImage image = DecodeOrFail(WritePng(512, 512, PNG_COLOR_TYPE_RGBA, 8, rgba), &info);
  EXPECT_EQ(info.width, 512u);
  EXPECT_EQ(info.format, F::A8R8G8B8);
  EXPECT_EQ(info.fileFormat, ImageFileFormatPng);
  EXPECT_EQ(image.rowPitch, 2048u);
  const BYTE* last = image.pixels + 511 * 2048 + 511 * 4;
  EXPECT_EQ(std::vector<int>(last, last + 4), (std::vector<int>{30, 20, 10, 40}));
  FreeDecodedImage(&image);
}

// ---- PNG transformations ----

uint8_t Corrected(int value, double fileGamma) {
  return static_cast<uint8_t>(std::lround(255.0 * std::pow(value / 255.0, 1.0 / (2.2 * fileGamma))));
}

TEST(CompressedFormats, PngGammaIsCorrectedOnlyWithoutAnSrgbChunk) {
  const std::vector<uint8_t> grey = {0, 64, 255};
  PngChunks gammaOnly;
  gammaOnly.gamma = 1.0;
  DecodedImage corrected = DecodeOrFail(WritePng(3, 1, PNG_COLOR_TYPE_GRAY, 8, grey, gammaOnly));
  const std::vector<Rgba8> pixels = ToRgba8(corrected);
  EXPECT_EQ(pixels[0].r, 0);
  EXPECT_NEAR(pixels[1].r, Corrected(64, 1.0), 1);
  EXPECT_EQ(pixels[2].r, 255);
  FreeDecodedImage(&corrected);

  PngChunks both = gammaOnly;
  both.srgb = true;
  DecodedImage untouched = DecodeOrFail(WritePng(3, 1, PNG_COLOR_TYPE_GRAY, 8, grey, both));
  EXPECT_EQ(ToRgba8(untouched)[1].r, 64);
  FreeDecodedImage(&untouched);
}

TEST(CompressedFormats, PngPaletteTakesGammaAndTransparency) {
  PngChunks chunks;
  chunks.gamma = 1.0;
  chunks.palette = {{64, 0, 255}, {255, 128, 0}};
  chunks.paletteAlpha = {0};  // entry 0 transparent; entry 1 keeps alpha 255
  DecodedImage image = DecodeOrFail(WritePng(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1}, chunks));
  EXPECT_EQ(image.format, F::P8);
  ASSERT_NE(image.palette, nullptr);
  const ImagePaletteEntry& first = image.palette[0];
  EXPECT_EQ(first.red, Corrected(64, 1.0));
  EXPECT_EQ(first.blue, 255);
  EXPECT_EQ(first.alpha, 0);
  EXPECT_EQ(image.palette[1].green, Corrected(128, 1.0));
  EXPECT_EQ(image.palette[1].alpha, 255);
  const ImagePaletteEntry& unused = image.palette[200];
  EXPECT_EQ(std::vector<int>({unused.red, unused.green, unused.blue, unused.alpha}),
            (std::vector<int>{255, 255, 255, 255}));
  FreeDecodedImage(&image);
}

TEST(CompressedFormats, PngLayoutsAndTheirFormats) {
  PngChunks greenKey;
  greenKey.transparentColour = true;
  greenKey.colourKey.green = 255;
  PngChunks twoColours;
  twoColours.palette = {{9, 9, 9}, {7, 7, 7}};
  PngChunks greyKey;
  greyKey.transparentColour = true;
  greyKey.colourKey.gray = 3;  // in 2-bit samples: white
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    DWORD format;
    std::vector<Rgba8> pixels;
  } cases[] = {
      {"RGB with a transparent colour",
       WritePng(2, 1, PNG_COLOR_TYPE_RGB, 8, {0, 255, 0, 1, 2, 3}, greenKey),
       F::A8R8G8B8,
       {{0, 255, 0, 0}, {1, 2, 3, 255}}},
      {"RGB", WritePng(1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}), F::X8R8G8B8, {{1, 2, 3, 255}}},
      {"RGB, five wide",
       WritePng(5, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}),
       F::X8R8G8B8,
       {{1, 2, 3, 255}, {4, 5, 6, 255}, {7, 8, 9, 255}, {10, 11, 12, 255}, {13, 14, 15, 255}}},
      {"RGBA, five wide",
       WritePng(5, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8,
                {1, 2, 3, 0, 4, 5, 6, 254, 7, 8, 9, 255, 10, 11, 12, 13, 14, 15, 16, 17}),
       F::A8R8G8B8,
       {{1, 2, 3, 0}, {4, 5, 6, 254}, {7, 8, 9, 255}, {10, 11, 12, 13}, {14, 15, 16, 17}}},
      {"2-bit grey with a transparent level",
       WritePng(3, 1, PNG_COLOR_TYPE_GRAY, 2, {0b00011100}, greyKey),
       F::A8L8,
       {{0, 0, 0, 255}, {85, 85, 85, 255}, {255, 255, 255, 0}}},
      {"16-bit grey and alpha",
       WritePng(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {0x80, 0x00, 0xFF, 0xFF}),
       FormatAL16,
       {{128, 128, 128, 255}}},
      {"16-bit RGB",
       WritePng(1, 1, PNG_COLOR_TYPE_RGB, 16, {0xFF, 0xFF, 0, 0, 0x80, 0}),
       FormatR16,
       {{255, 0, 128, 255}}},
      {"4-bit palette",
       WritePng(2, 1, PNG_COLOR_TYPE_PALETTE, 4, {0x10}, twoColours),
       F::P8,
       {{7, 7, 7, 255}, {9, 9, 9, 255}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedImage image = DecodeOrFail(c.data);
    EXPECT_EQ(image.format, c.format);
    EXPECT_EQ(ToRgba8(image), c.pixels) << Describe(ToRgba8(image));
    FreeDecodedImage(&image);
  }
}

// ---- damage ----

TEST(CompressedFormats, DamagedStreamsAreRefused) {
  std::vector<uint8_t> pixels(16 * 16 * 3, 90);
  const std::vector<uint8_t> png = WritePng(16, 16, PNG_COLOR_TYPE_RGB, 8, pixels);
  const std::vector<uint8_t> jpeg = WriteJpeg(32, 32, 3, false);
  std::vector<uint8_t> badCrc = png;
  badCrc[30] ^= 0xFF;  // inside the header chunk
  std::vector<uint8_t> pngCut(png.begin(), png.begin() + png.size() / 2);
  std::vector<uint8_t> jpegCut(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
  // An application segment that claims more bytes than the stream holds.
  std::vector<uint8_t> jpegLongSegment = {0xFF, 0xD8, 0xFF, 0xE1, 0x7F, 0xFF, 1, 2, 3};
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    const char* reason;
  };
  const Case cases[] = {
      {"PNG header with a bad checksum", badCrc, "PNG: IHDR: CRC error"},
      {"PNG cut in half", pngCut, "PNG: data ends inside IDAT"},
      {"JPEG cut in half", jpegCut, "JPEG: data ends before the picture is complete"},
      {"JPEG segment past the end", jpegLongSegment, "JPEG: a segment claims more bytes than the data holds"},
  };
  for (const Case& c : cases) {
    DecodedImage image = EmptyDecodedImage();
    EXPECT_EQ(DecodeImage(c.data.data(), static_cast<UINT>(c.data.size()), &image, nullptr), ErrInvalidData) << c.name;
    EXPECT_STREQ(LastReadFailure(), c.reason) << c.name;
  }
}

}  // namespace
