// The recognition run as callers see it: argument errors, unrecognised data, files and
// resources, the information path, the locale, and freeing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <clocale>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "decoded_pixels.h"

namespace {

namespace fs = std::filesystem;

// A 2 x 1 P6 pixmap: red, blue.
std::vector<uint8_t> SmallPixmap() { return Bytes().text("P6 2 1 255\n").u8({255, 0, 0, 0, 0, 255}).data(); }

TEST(Recognition, RefusesMissingOrUnrecognisedData) {
  const std::vector<uint8_t> thirteenBytesOfBm = Bytes().text("BM").zeros(11).data();
  const std::vector<uint8_t> text = Bytes().text("This is a note, not a picture.\n").data();
  const std::vector<uint8_t> bmpLongerThanData = Bytes().text("BM").u32(1000).zeros(40).data();
  struct Case {
    const char* name;
    const void* data;
    UINT size;
    HRESULT expected;
    const char* reason;
  } cases[] = {
      {"no data", nullptr, 10, ErrInvalidCall, "no data"},
      {"size 0", text.data(), 0, ErrInvalidCall, "the data is empty"},
      {"13 bytes beginning BM", thirteenBytesOfBm.data(), 13, ErrInvalidData, "BMP: the file ends inside its header"},
      {"text", text.data(), static_cast<UINT>(text.size()), ErrInvalidData, kNotAnImage},
      {"BMP file size beyond the data", bmpLongerThanData.data(), static_cast<UINT>(bmpLongerThanData.size()),
       ErrInvalidData, "BMP: the file is shorter (46 bytes) than its header says (1000)"},
  };
  for (const Case& c : cases) {
    ImageInfo info{};
    info.width = 77;
    EXPECT_EQ(GetImageInfoFromMemory(c.data, c.size, &info), c.expected) << c.name;
    EXPECT_EQ(info.width, 77u) << c.name << ": the record is written only on success";
    EXPECT_STREQ(LastReadFailure(), c.reason) << c.name;
    DecodedImage image = EmptyDecodedImage();
    EXPECT_EQ(DecodeImage(c.data, c.size, &image, &info), c.expected) << c.name;
    EXPECT_EQ(image.pixels, nullptr) << c.name;
    EXPECT_STREQ(LastReadFailure(), c.reason) << c.name;
  }
  // The reason belongs to the failure: the next success forgets it.
  ImageInfo info{};
  const std::vector<uint8_t> pixmap = SmallPixmap();
  ASSERT_EQ(GetImageInfoFromMemory(pixmap.data(), static_cast<UINT>(pixmap.size()), &info), S_OK);
  EXPECT_STREQ(LastReadFailure(), "");
}

TEST(Recognition, InformationPathMeasuresWithoutPixels) {
  const std::vector<uint8_t> data = SmallPixmap();
  EXPECT_EQ(GetImageInfoFromMemory(data.data(), static_cast<UINT>(data.size()), nullptr), S_OK);
  ImageInfo info{};
  ASSERT_EQ(GetImageInfoFromMemory(data.data(), static_cast<UINT>(data.size()), &info), S_OK);
  EXPECT_EQ(info.width, 2u);
  EXPECT_EQ(info.height, 1u);
  EXPECT_EQ(info.depth, 1u);
  EXPECT_EQ(info.mipLevels, 1u);
  EXPECT_EQ(info.format, ImagePixelFormat::X8R8G8B8);
  EXPECT_EQ(info.resourceType, ImageResourceType::Texture);
  EXPECT_EQ(info.fileFormat, ImageFileFormatPpm);
}

TEST(Recognition, DecodeFillsTheRecordAndItsSourceBox) {
  ImageInfo info{};
  DecodedImage image = DecodeOrFail(SmallPixmap(), &info);
  EXPECT_EQ(image.width, 2u);
  EXPECT_EQ(image.rowPitch, 8u);
  EXPECT_TRUE(image.ownsPixels);
  EXPECT_EQ(image.sourceBox.right, 2u);
  EXPECT_EQ(image.sourceBox.bottom, 1u);
  EXPECT_EQ(image.sourceBox.back, 1u);
  EXPECT_EQ(ToRgba8(image), (std::vector<Rgba8>{{255, 0, 0, 255}, {0, 0, 255, 255}}));
  FreeDecodedImage(&image);
  EXPECT_EQ(image.pixels, nullptr);
  FreeDecodedImage(&image);  // freeing an empty record does nothing
}

TEST(Recognition, LeavesTheNumericLocaleAsItWas) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "C.UTF-8") == nullptr) GTEST_SKIP() << "no second locale to switch from";
  const std::vector<uint8_t> floatMap = Bytes().text("Pf\n1 1\n-1.5\n").u32(0x3F000000).data();  // 0.5
  DecodedImage image = DecodeOrFail(floatMap);
  EXPECT_EQ(ToRgba8(image), (std::vector<Rgba8>{{128, 128, 128, 255}}));
  FreeDecodedImage(&image);
  ImageInfo info{};
  EXPECT_EQ(GetImageInfoFromMemory("nothing", 7, &info), ErrInvalidData);
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C.UTF-8");
  std::setlocale(LC_NUMERIC, before.c_str());
}

class ImageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("orbelune-image-files-" + std::to_string(getpid()));
    fs::create_directories(directory_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
  }
  std::string Write(const char* name, const std::vector<uint8_t>& bytes) {
    const fs::path path = directory_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path.string();
  }
  fs::path directory_;
};

TEST_F(ImageFiles, MeasuresAFileOrSaysWhyNot) {
  ImageInfo info{};
  EXPECT_EQ(GetImageInfoFromFile(Write("picture.ppm", SmallPixmap()).c_str(), &info), S_OK);
  EXPECT_EQ(info.width, 2u);
  EXPECT_EQ(info.fileFormat, ImageFileFormatPpm);
  const std::string missing = (directory_ / "missing.png").string();
  const std::string empty = Write("empty.bmp", {});
  const std::string note = Write("note.txt", Bytes().text("just words").data());
  const std::string folder = directory_.string();
  const struct {
    const char* path;
    HRESULT expected;
    const char* reason;
  } refused[] = {
      {missing.c_str(), ErrInvalidData, "the file cannot be opened"},
      {empty.c_str(), ErrInvalidCall, "the data is empty"},
      {note.c_str(), ErrInvalidData, kNotAnImage},
      {folder.c_str(), ErrInvalidData, "the file cannot be opened"},
      {nullptr, ErrInvalidData, "no file name"},
  };
  for (const auto& c : refused) {
    const std::string name = c.path != nullptr ? c.path : "no path";
    EXPECT_EQ(GetImageInfoFromFile(c.path, &info), c.expected) << name;
    EXPECT_STREQ(LastReadFailure(), c.reason) << name;
  }
}

TEST(ImageResources, BitmapResourceIsReadAsDib) {
  const void* data = nullptr;
  UINT size = 0;
  ASSERT_EQ(FindResourceData(nullptr, 128, &data, &size), S_OK);
  EXPECT_GT(size, 40u);
  ImageInfo info{};
  ASSERT_EQ(GetImageInfoFromResource(nullptr, 128, &info), S_OK);
  EXPECT_EQ(info.width, 152u);
  EXPECT_EQ(info.height, 112u);
  EXPECT_EQ(info.fileFormat, ImageFileFormatDib);
}

TEST(ImageResources, UnknownIdsAreInvalidData) {
  const void* data = nullptr;
  UINT size = 0;
  ImageInfo info{};
  EXPECT_EQ(FindResourceData(nullptr, 4321, &data, &size), ErrInvalidData);
  EXPECT_EQ(GetImageInfoFromResource(nullptr, 4321, &info), ErrInvalidData);
  // Resource numbers are 16 bits: a larger id must not wrap onto bitmap 128.
  EXPECT_EQ(GetImageInfoFromResource(nullptr, 0x10000 + 128, &info), ErrInvalidData);
  EXPECT_EQ(data, nullptr);
}

}  // namespace
