// orbelune-tool image, run as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

#include "../support/blank_png.h"
#include "image_encoders.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int exitCode;
  std::string output;  // stdout and stderr together
};

RunResult RunTool(const std::string& arguments) {
  const std::string command = std::string(ORBELUNE_TOOL) + " image " + arguments + " 2>&1";
  RunResult result{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, count);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class ImageTool : public testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() /
                 ("orbelune-tool-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(directory_);
  }
  void TearDown() override { fs::remove_all(directory_); }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = directory_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  fs::path directory_;
};

TEST_F(ImageTool, PrintsWhatTheFileHoldsAndWritesItAsArgb) {
  // 3 by 2 RGBA: the BMP holds the same pixels as blue, green, red, alpha, bottom row first.
  const std::vector<uint8_t> rgba = {10, 20, 30, 255, 40, 50, 60, 128, 0, 0, 0, 0,
                                     70, 80, 90, 255, 1,  2,  3,  4,   5, 6, 7, 8};
  const std::string in = Write("mask.png", EncodePng(3, 2, 4, rgba));
  const std::string out = (directory_ / "out.bmp").string();
  const RunResult run = RunTool(in + " --out " + out);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("width:         3"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("height:        2"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("21 (D3DFMT_A8R8G8B8)"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("3 (PNG)"), std::string::npos) << run.output;

  std::ifstream file(out, std::ios::binary);
  const std::vector<uint8_t> bmp{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_EQ(bmp.size(), 80u);  // 54 + 2 rows of 12, padded
  const std::vector<uint8_t> bottomRow = {90, 80, 70, 255, 3, 2, 1, 4, 7, 6, 5, 8};
  const std::vector<uint8_t> topRow = {30, 20, 10, 255, 60, 50, 40, 128, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 66), bottomRow);
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 66, bmp.begin() + 78), topRow);
}

void AppendLittle(std::vector<uint8_t>* bytes, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A PNG of 8 by 8 pixels that ends four bytes into its image data.
std::vector<uint8_t> PngEndingInsideIdat() {
  std::vector<uint8_t> samples(8 * 8 * 3);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 37);
  std::vector<uint8_t> png = EncodePng(8, 8, 3, samples);
  const uint8_t idat[] = {'I', 'D', 'A', 'T'};
  const auto chunk = std::search(png.begin(), png.end(), std::begin(idat), std::end(idat));
  png.erase(chunk + 4 + 4, png.end());
  return png;
}

// A colour-mapped TGA whose map of 200 three-byte entries is longer than the file.
std::vector<uint8_t> TgaWithAMapPastTheEnd() {
  std::vector<uint8_t> tga = {0, 1, 1};  // no id field, a colour map, colour-mapped pixels
  AppendLittle(&tga, 0, 2);              // first entry
  AppendLittle(&tga, 200, 2);            // entries
  tga.push_back(24);                     // bits per entry
  AppendLittle(&tga, 0, 4);              // origin
  AppendLittle(&tga, 1, 2);              // width
  AppendLittle(&tga, 1, 2);              // height
  tga.push_back(8);                      // bits per index
  tga.push_back(0);                      // descriptor
  tga.resize(tga.size() + 30);
  return tga;
}

// A 24-bit BMP of 4 by 4 pixels whose file (its size field agreeing) holds 10 bytes of them.
std::vector<uint8_t> BmpWithPixelsPastTheEnd() {
  std::vector<uint8_t> bmp = {'B', 'M'};
  AppendLittle(&bmp, 14 + 40 + 10, 4);  // file size
  AppendLittle(&bmp, 0, 4);
  AppendLittle(&bmp, 14 + 40, 4);  // pixel offset
  AppendLittle(&bmp, 40, 4);       // header size
  AppendLittle(&bmp, 4, 4);        // width
  AppendLittle(&bmp, 4, 4);        // height
  AppendLittle(&bmp, 1, 2);        // planes
  AppendLittle(&bmp, 24, 2);       // bits per pixel
  bmp.resize(14 + 40 + 10);
  return bmp;
}

// Each failure names its step and the file it failed on: the input for reading and decoding,
// the output for writing; a file that is no usable image says what is wrong with it.
TEST_F(ImageTool, NamesTheStepThatFailedAndItsFile) {
  const std::string image = Write("red.png", EncodePng(1, 1, 4, {255, 0, 0, 255}));
  const std::string text = Write("text.txt", {'h', 'e', 'l', 'l', 'o', '\n'});
  const std::string cutPng = Write("cut.png", PngEndingInsideIdat());
  const std::string mapPastEnd = Write("map.tga", TgaWithAMapPastTheEnd());
  const std::string pixelsPastEnd = Write("short.bmp", BmpWithPixelsPastTheEnd());
  const std::string empty = Write("empty.png", {});
  const std::string missing = (directory_ / "missing.jpg").string();
  const std::string never = (directory_ / "never.bmp").string();
  const std::string unwritable = (directory_ / "no" / "such" / "folder.bmp").string();
  struct Case {
    std::string arguments;
    std::string expected;  // the whole first line of the message
  };
  const Case cases[] = {
      {text + " --out " + never, "cannot decode " + text +
                                     ": not an image of a known format (no BMP, DIB, JPEG, PNG, TGA, DDS, PPM, PFM "
                                     "or HDR header) (error 0x88760B59)"},
      {cutPng, "cannot decode " + cutPng + ": PNG: data ends inside IDAT (error 0x88760B59)"},
      {mapPastEnd, "cannot decode " + mapPastEnd + ": TGA: colour map does not fit the file (error 0x88760B59)"},
      {pixelsPastEnd,
       "cannot decode " + pixelsPastEnd + ": BMP: pixels run past the end of the file (error 0x88760B59)"},
      {empty + " --out " + never, "cannot decode " + empty + ": the file is empty (error 0x8876086C)"},
      {missing, "cannot read " + missing + ": No such file or directory"},
      {directory_.string(), "cannot read " + directory_.string() + ": Is a directory"},
      {image + " --out " + unwritable, "cannot write " + unwritable +
                                           ": the file cannot be created (is there such a folder, and may it "
                                           "be written?) (error 0x88760B59)"},
  };
  for (const Case& c : cases) {
    const RunResult run = RunTool(c.arguments);
    EXPECT_EQ(run.exitCode, 1) << c.arguments;
    EXPECT_NE(run.output.find("orbelune-tool: " + c.expected + "\n"), std::string::npos)
        << c.arguments << ": " << run.output;
  }
  EXPECT_FALSE(fs::exists(directory_ / "never.bmp"));
  EXPECT_EQ(RunTool("").exitCode, 2);
}

// What a user may hand the tool in place of an image: it says why it cannot read it, at once,
// without waiting for a pipe's writer, reading a device without end, or decoding a gigabyte.
TEST_F(ImageTool, RefusesHostileFilesQuicklyAndInLittleMemory) {
  const std::string pipe = (directory_ / "pipe.png").string();
  fs::remove(pipe);  // left by a run that was stopped
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string huge = (directory_ / "huge.bmp").string();
  std::ofstream(huge) << "BM";
  fs::resize_file(huge, (256u << 20) + 1);
  const std::string bomb = (directory_ / "bomb.png").string();
  ASSERT_TRUE(WriteBlankPng(bomb, 16384, 16384, 0));
  const std::string never = (directory_ / "never.bmp").string();
  struct Case {
    std::string path;
    std::string expected;  // the whole first line of the message
  };
  const Case cases[] = {
      {pipe, "cannot read " + pipe + ": not a plain file (a device, a FIFO or a socket)"},
      {"/dev/zero", "cannot read /dev/zero: not a plain file (a device, a FIFO or a socket)"},
      {huge, "cannot read " + huge + ": larger than the 256 MiB the saver reads"},
      {bomb,
       "cannot decode " + bomb + ": PNG: 16384 x 16384 x 1 pixels are more than an image may have (error 0x88760B59)"},
  };
  for (const Case& c : cases) {
    const RunResult run = RunTool(c.path + " --out " + never);
    EXPECT_EQ(run.exitCode, 1) << c.path;
    EXPECT_NE(run.output.find("orbelune-tool: " + c.expected + "\n"), std::string::npos)
        << c.path << ": " << run.output;
  }
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  EXPECT_LT(children.ru_maxrss / 1024, 64) << "peak resident megabytes of a run";
  EXPECT_FALSE(fs::exists(never));
}

}  // namespace
