// orbelune-tool image, run as a user runs it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

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
                 ("orbelune-tool-" + std::string(testing::UnitTest::GetInstance()
                                                     ->current_test_info()
                                                     ->name()));
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
  const std::vector<uint8_t> bmp{std::istreambuf_iterator<char>(file),
                                 std::istreambuf_iterator<char>()};
  ASSERT_EQ(bmp.size(), 80u);  // 54 + 2 rows of 12, padded
  const std::vector<uint8_t> bottomRow = {90, 80, 70, 255, 3, 2, 1, 4, 7, 6, 5, 8};
  const std::vector<uint8_t> topRow = {30, 20, 10, 255, 60, 50, 40, 128, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 66), bottomRow);
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 66, bmp.begin() + 78), topRow);
}

TEST_F(ImageTool, ExplainsWhatCannotBeRead) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* code;
  };
  const Case cases[] = {{"text.txt", {'h', 'e', 'l', 'l', 'o', '\n'}, "0x88760B59"},
                        {"empty.png", {}, "0x8876086C"}};
  for (const Case& c : cases) {
    const std::string path = Write(c.name, c.bytes);
    const RunResult run = RunTool(path + " --out " + (directory_ / "never.bmp").string());
    EXPECT_NE(run.exitCode, 0) << c.name;
    EXPECT_NE(run.output.find(c.code), std::string::npos) << c.name << ": " << run.output;
  }
  const RunResult missing = RunTool((directory_ / "missing.jpg").string());
  EXPECT_NE(missing.exitCode, 0);
  EXPECT_NE(missing.output.find("0x88760B59"), std::string::npos) << missing.output;
  EXPECT_FALSE(fs::exists(directory_ / "never.bmp"));
  EXPECT_EQ(RunTool("").exitCode, 2);
}

}  // namespace
