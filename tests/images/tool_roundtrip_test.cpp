// Every variant of the nine formats that ImageMagick writes decodes to the pixels ImageMagick
// itself reads back from the same file (within the format's own rounding).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "decoded_pixels.h"

namespace {

namespace fs = std::filesystem;

struct ToolVariant {
  const char* name;
  const char* source;     // ImageMagick source description
  const char* extension;  // or "prefix:" written before the output file
  const char* options;    // written between source and output
  ImageFileFormat fileFormat;
  DWORD decodedFormat;
  int tolerance;  // largest difference per channel (HDR: its shared exponent leaves
                  // steps of 2/255 in a channel beside a bright one)
  bool refused;   // the decoder must refuse this file
};

constexpr const char* Plasma = "-size 13x9 -seed 7 plasma:fractal";
constexpr const char* PlasmaAlpha =
    "-size 13x9 -seed 7 plasma:fractal -alpha set -channel A -fx '0.2+0.8*(i+j)/(w+h)' +channel";
constexpr const char* PlasmaNarrow = "-size 7x5 -seed 3 plasma:fractal";
constexpr const char* PlasmaWide = "-size 20x6 -seed 5 plasma:fractal";

namespace F = ImagePixelFormat;

const ToolVariant variants[] = {
    {"BmpBitFieldsAlpha", PlasmaAlpha, "bmp", "", ImageFileFormatBmp, F::A8R8G8B8, 0, false},
    {"Bmp24", Plasma, "bmp", "-alpha off", ImageFileFormatBmp, F::R8G8B8, 0, false},
    {"Bmp3Header40", Plasma, "bmp3:", "-alpha off", ImageFileFormatBmp, F::R8G8B8, 0, false},
    {"Bmp2CoreHeaderPalette", Plasma, "bmp2:", "-alpha off -type palette", ImageFileFormatBmp, F::P8, 0, false},
    {"Bmp8Palette", Plasma, "bmp", "-alpha off -type palette", ImageFileFormatBmp, F::P8, 0, false},
    {"Bmp4Palette", Plasma, "bmp", "-alpha off -colors 16", ImageFileFormatBmp, F::P8, 0, false},
    {"Bmp1Bit", Plasma, "bmp", "-monochrome", ImageFileFormatBmp, F::P8, 0, false},
    {"BmpRle8", Plasma, "bmp", "-alpha off -type palette -compress RLE", ImageFileFormatBmp, F::P8, 0, false},
    {"Bmp565", Plasma, "bmp", "-alpha off -define bmp:subtype=RGB565", ImageFileFormatBmp, F::X8R8G8B8, 1, false},
    {"Tga32", PlasmaAlpha, "tga", "", ImageFileFormatTga, F::A8R8G8B8, 0, false},
    {"Tga24", Plasma, "tga", "-alpha off", ImageFileFormatTga, F::R8G8B8, 0, false},
    {"Tga32Rle", PlasmaAlpha, "tga", "-compress RLE", ImageFileFormatTga, F::A8R8G8B8, 0, false},
    {"Tga24TopLeft", Plasma, "tga", "-alpha off -define tga:image-origin=TopLeft", ImageFileFormatTga, F::R8G8B8, 0,
     false},
    {"TgaColourMapped", Plasma, "tga", "-alpha off -type palette", ImageFileFormatTga, F::P8, 0, false},
    {"TgaColourMappedRle", Plasma, "tga", "-alpha off -type palette -compress RLE", ImageFileFormatTga, F::P8, 0,
     false},
    {"TgaGrey", Plasma, "tga", "-alpha off -colorspace gray", ImageFileFormatTga, F::L8, 0, false},
    {"PpmBinary", Plasma, "ppm", "-depth 8", ImageFileFormatPpm, F::X8R8G8B8, 0, false},
    {"PpmBinary16Refused", Plasma, "ppm", "-depth 16", ImageFileFormatPpm, 0, 0, true},
    {"PpmText", Plasma, "ppm", "-compress none -depth 8", ImageFileFormatPpm, F::X8R8G8B8, 0, false},
    {"PpmText16", Plasma, "ppm", "-compress none -depth 16", ImageFileFormatPpm, F::X8R8G8B8, 1, false},
    {"PfmColour", Plasma, "pfm", "", ImageFileFormatPfm, F::A16B16G16R16, 1, false},
    {"PfmGrey", Plasma, "pfm", "-colorspace gray", ImageFileFormatPfm, F::L16, 1, false},
    {"HdrRunLength", Plasma, "hdr", "", ImageFileFormatHdr, F::A16B16G16R16, 2, false},
    {"HdrFlatNarrow", PlasmaNarrow, "hdr", "", ImageFileFormatHdr, F::A16B16G16R16, 2, false},
    {"DdsDxt5", PlasmaAlpha, "dds", "-define dds:mipmaps=0", ImageFileFormatDds, F::A8R8G8B8, 3, false},
    {"DdsDxt1", Plasma, "dds", "-define dds:compression=dxt1 -define dds:mipmaps=0", ImageFileFormatDds, F::A8R8G8B8, 3,
     false},
    {"DdsUncompressedAlpha", PlasmaAlpha, "dds", "-define dds:compression=none -define dds:mipmaps=0",
     ImageFileFormatDds, F::A8R8G8B8, 0, false},
    {"DdsUncompressed", Plasma, "dds", "-alpha off -define dds:compression=none -define dds:mipmaps=0",
     ImageFileFormatDds, F::R8G8B8, 0, false},
    {"JpegColour", Plasma, "jpg", "", ImageFileFormatJpeg, F::X8R8G8B8, 0, false},
    {"JpegProgressive", PlasmaWide, "jpg", "-interlace plane", ImageFileFormatJpeg, F::X8R8G8B8, 0, false},
    {"JpegGrey", Plasma, "jpg", "-colorspace gray", ImageFileFormatJpeg, F::L8, 0, false},
    {"JpegCmykRefused", Plasma, "jpg", "-colorspace cmyk", ImageFileFormatJpeg, 0, 0, true},
    {"PngRgba", PlasmaAlpha, "png32:", "", ImageFileFormatPng, F::A8R8G8B8, 0, false},
    {"PngRgb", Plasma, "png24:", "", ImageFileFormatPng, F::X8R8G8B8, 0, false},
    {"PngGrey", Plasma, "png", "-colorspace gray -alpha off -depth 8", ImageFileFormatPng, F::L8, 0, false},
    {"PngGreyAlpha", PlasmaAlpha, "png", "-colorspace gray -depth 8", ImageFileFormatPng, F::A8L8, 0, false},
    {"PngPaletteTransparency", PlasmaAlpha, "png8:", "", ImageFileFormatPng, F::P8, 0, false},
    {"PngRgba16", PlasmaAlpha, "png", "-depth 16", ImageFileFormatPng, F::A16B16G16R16, 1, false},
    {"PngRgb16", Plasma, "png48:", "", ImageFileFormatPng, FormatR16, 1, false},
    {"PngGrey16", Plasma, "png", "-colorspace gray -alpha off -depth 16", ImageFileFormatPng, F::L16, 1, false},
    {"PngGrey1Bit", Plasma, "png", "-monochrome", ImageFileFormatPng, F::L8, 0, false},
    {"PngInterlaced", PlasmaAlpha, "png32:", "-interlace PNG", ImageFileFormatPng, F::A8R8G8B8, 0, false},
};

void PrintTo(const ToolVariant& variant, std::ostream* out) { *out << variant.name; }

bool HaveConvert() { return std::system("convert -version >/dev/null 2>&1") == 0; }

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

class ToolRoundTrip : public ::testing::TestWithParam<ToolVariant> {
 protected:
  void SetUp() override {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick convert is not installed";
    directory_ = fs::temp_directory_path() / ("orbelune-images-" + std::to_string(getpid()) + "-" + GetParam().name);
    fs::create_directories(directory_);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!directory_.empty()) fs::remove_all(directory_, ignored);
  }
  fs::path directory_;
};

TEST_P(ToolRoundTrip, DecodesAsTheToolReadsBack) {
  const ToolVariant& v = GetParam();
  const std::string extension = v.extension;
  const bool prefixed = extension.back() == ':';
  const fs::path file = directory_ / (prefixed ? "image.out" : "image." + extension);
  const fs::path readBack = directory_ / "expected.rgba";
  const std::string target = (prefixed ? extension : std::string()) + "'" + file.string() + "'";
  const std::string write = std::string("convert ") + v.source + " " + v.options + " " + target + " 2>/dev/null";
  ASSERT_EQ(std::system(write.c_str()), 0) << write;
  // The file's own values, without a colour-space change on the way out, rows in the order
  // the file's origin gives them. ImageMagick's 8-bit output truncates 16-bit samples where
  // the decoder rounds, hence a tolerance of 1 for 16-bit files.
  const std::string read =
      "convert " + target + " -auto-orient -set colorspace sRGB -depth 8 'rgba:" + readBack.string() + "'";
  ASSERT_EQ(std::system(read.c_str()), 0) << read;

  const std::vector<uint8_t> data = ReadFile(file);
  ASSERT_FALSE(data.empty());
  DecodedImage image = EmptyDecodedImage();
  ImageInfo info{};
  const HRESULT hr = DecodeImage(data.data(), static_cast<UINT>(data.size()), &image, &info);
  if (v.refused) {
    EXPECT_EQ(hr, ErrInvalidData);
    return;
  }
  ASSERT_EQ(hr, S_OK);
  EXPECT_EQ(info.fileFormat, v.fileFormat);
  EXPECT_EQ(image.format, v.decodedFormat);
  const std::vector<Rgba8> decoded = ToRgba8(image);
  const std::vector<uint8_t> expected = ReadFile(readBack);
  ASSERT_EQ(expected.size(), static_cast<size_t>(image.width) * image.height * 4);
  int worst = 0;
  size_t worstIndex = 0;
  for (size_t i = 0; i < decoded.size(); ++i) {
    const uint8_t* e = &expected[4 * i];
    const Rgba8& d = decoded[i];
    int difference = std::abs(d.a - e[3]);
    // The colour of a fully transparent pixel is not part of the picture.
    if (e[3] != 0 || d.a != 0)
      difference = std::max({difference, std::abs(d.r - e[0]), std::abs(d.g - e[1]), std::abs(d.b - e[2])});
    if (difference > worst) worst = difference, worstIndex = i;
  }
  EXPECT_LE(worst, v.tolerance) << "pixel " << worstIndex << " decoded as " << Describe({decoded[worstIndex]})
                                << " expected (" << int(expected[4 * worstIndex]) << ","
                                << int(expected[4 * worstIndex + 1]) << "," << int(expected[4 * worstIndex + 2]) << ","
                                << int(expected[4 * worstIndex + 3]) << ")";
  FreeDecodedImage(&image);
}

INSTANTIATE_TEST_SUITE_P(ImageMagick, ToolRoundTrip, ::testing::ValuesIn(variants),
                         [](const ::testing::TestParamInfo<ToolVariant>& info) { return info.param.name; });

}  // namespace
