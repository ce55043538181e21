// What users hand the saver in place of a picture: pipes, devices, folders, files too large to
// be one, headers that promise gigabytes, files cut short, and a file that changes after it was
// read. Each is
// refused at once, without hanging and without claiming the memory the file asks for.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "../support/blank_png.h"
#include "decoded_pixels.h"
#include "gfxsupport/images/image_reader.h"
#include "gfxsupport/images/image_file_contents.h"

namespace {

namespace fs = std::filesystem;

long PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

class HostileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("orbelune-hostile-files-" + std::to_string(getpid()));
    fs::create_directories(directory_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
  }
  std::string PathOf(const char* name) const { return (directory_ / name).string(); }
  fs::path directory_;
};

// Each must fail with ErrInvalidData at once; the information path reads no pixels, so the
// memory bound is what the reading of the file itself may take.
TEST_F(HostileFiles, AreRefusedWithoutHangingOrReadingThem) {
  struct Case {
    const char* name;
    std::function<std::string()> make;
  };
  const Case cases[] = {
      {"a folder", [&] { return directory_.string(); }},
      {"a FIFO without a writer",
       [&] {
         mkfifo(PathOf("pipe.png").c_str(), 0600);
         return PathOf("pipe.png");
       }},
      {"/dev/zero", [] { return std::string("/dev/zero"); }},
      {"/dev/urandom", [] { return std::string("/dev/urandom"); }},
      {"a file one byte above the limit",
       [&] {
         std::ofstream(PathOf("sparse.bmp")) << "BM";
         fs::resize_file(PathOf("sparse.bmp"), kMaxImageFileBytes + 1u);
         return PathOf("sparse.bmp");
       }},
  };
  const long peakBefore = PeakResidentMegabytes();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = c.make();
    ImageInfo info{};
    EXPECT_LT(GetImageInfoFromFile(path.c_str(), &info), 0);
    ImageFileContents contents;
    const HRESULT read = contents.Read(path.c_str());
    EXPECT_TRUE(FAILED(read) || contents.Size() == 0) << std::hex << read;
  }
  EXPECT_LT(PeakResidentMegabytes() - peakBefore, 16);
}

// A megabyte of PNG may decode to a gigabyte: images above the pixel limit are refused by the
// header, before any allocation, on both paths; one at the limit is still measured.
TEST_F(HostileFiles, PixelLimitRefusesDecompressionBombs) {
  struct Case {
    const char* name;
    uint32_t width, height;
    int colourType;
    bool allowed;
  } cases[] = {
      {"grey, 2^28 pixels", 16384, 16384, 0, false},
      {"RGBA, 2^27 + 8192 pixels", 8192, 16385, 6, false},
      {"grey, 2^27 pixels", 8192, 16384, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = PathOf("bomb.png");
    ASSERT_TRUE(WriteBlankPng(path, c.width, c.height, c.colourType));
    ImageInfo info{};
    EXPECT_EQ(GetImageInfoFromFile(path.c_str(), &info), c.allowed ? S_OK : ErrInvalidData);
    if (c.allowed) continue;

    ImageFileContents contents;
    ASSERT_EQ(contents.Read(path.c_str()), S_OK);
    const long peakBefore = PeakResidentMegabytes();
    DecodedImage image = EmptyDecodedImage();
    EXPECT_EQ(DecodeImage(contents.Data(), contents.Size(), &image, nullptr), ErrInvalidData);
    FreeDecodedImage(&image);
    EXPECT_LT(PeakResidentMegabytes() - peakBefore, 16);
  }
}

// The bytes are the file as it was read: a file that another program shortens or rewrites
// meanwhile changes nothing in them (a mapped file would fault the reader past its new end).
TEST_F(HostileFiles, ContentsStayAsReadWhenTheFileShrinks) {
  const std::string path = PathOf("picture.png");
  ASSERT_TRUE(WriteBlankPng(path, 300, 200, 2));
  ImageFileContents contents;
  ASSERT_EQ(contents.Read(path.c_str()), S_OK);
  fs::resize_file(path, 0);
  std::ofstream(path, std::ios::binary | std::ios::app) << "P6 1 1 255\n";

  DecodedImage image = EmptyDecodedImage();
  ImageInfo info{};
  ASSERT_EQ(DecodeImage(contents.Data(), contents.Size(), &image, &info), S_OK);
  EXPECT_EQ(info.width, 300u);
  EXPECT_EQ(info.fileFormat, ImageFileFormatPng);
  EXPECT_EQ(image.height, 200u);
  FreeDecodedImage(&image);
}

// A file cut short (a download that stopped, a full disk) in any of the nine formats: at every
// cut, the decoder refuses it or gives a whole image of the size it measures, never a read
// beyond what is there.
TEST(TruncatedImages, AreRefusedOrDecodedWhole) {
  size_t cuts = 0;
  for (const auto& entry : fs::directory_iterator(ORBELUNE_IMAGE_INPUTS "/seeds")) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<uint8_t> whole{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    for (const size_t length : {size_t{1}, size_t{16}, size_t{64}, whole.size() / 2, whole.size() - 1}) {
      if (length == 0 || length >= whole.size()) continue;
      SCOPED_TRACE(entry.path().filename().string() + " cut to " + std::to_string(length) + " bytes");
      // A copy of exactly the cut length, so that the address sanitizer sees any read past it.
      const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
      DecodedImage image = EmptyDecodedImage();
      ImageInfo info{};
      const HRESULT result = DecodeImage(cut.data(), static_cast<UINT>(cut.size()), &image, &info);
      EXPECT_TRUE(result == S_OK || result == ErrInvalidData) << std::hex << result;
      if (result == S_OK) {
        EXPECT_EQ(ToRgba8(image).size(), size_t{info.width} * info.height);
      }
      FreeDecodedImage(&image);
      ++cuts;
    }
  }
  EXPECT_GT(cuts, 100u);
}

}  // namespace
