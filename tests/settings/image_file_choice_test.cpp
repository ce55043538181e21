// The browse button: a chosen picture shows in the file label and is written by OK only; a
// file the saver cannot read and a path the setting cannot hold are refused, and the setting
// stays as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dialog_control.h"
#include "headless_display.h"
#include "settings/config_dialog.h"
#include "settings/dialog_controls.h"
#include "settings/settings_store.h"
#include "winapi.h"

namespace {

namespace dialogs = standin::dialogs;

// A 2 x 1 BMP with 24 bits per pixel: a red and a blue pixel, the row padded to 8 bytes.
const std::vector<unsigned char> kTinyBitmap = {
    'B', 'M', 62,  0,   0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
    40,  0,   0,   0,   2, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0,
    8,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,  // info header
    0,   0,   255, 255, 0, 0, 0, 0};

class BrowseButton : public testing::Test {
 protected:
  void SetUp() override {
    standin::headless::Choose(1024, 768);
    std::string pattern = (std::filesystem::temp_directory_path() / "orbelune-browse-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    setenv("ORBELUNE_REGISTRY", (folder_ + "/registry.reg").c_str(), 1);
    dialogs::ResetAnswers();
    WriteStringSetting("FileName", "Default");
  }
  void TearDown() override {
    dialogs::ResetAnswers();
    std::filesystem::remove_all(folder_);
  }

  std::string WriteFile(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // Chooses `path` with the browse button (or cancels the chooser for an empty path), checks
  // the label, then ends the dialog with the key given; returns the stored FileName.
  std::string Browse(const std::string& path, const char* expectedLabel, bool ok) {
    dialogs::SetFileAnswer([path](std::string* chosen) {
      *chosen = path;
      return !path.empty();
    });
    dialogs::SetScript([&](HWND dialog) {
      dialogs::Click(dialog, kBrowseButton);
      EXPECT_EQ(dialogs::Text(dialog, kFileNameLabel), expectedLabel) << path;
      if (ok) dialogs::PressEnter(dialog);
    });
    ShowConfigDialog(GetModuleHandleA(nullptr));
    char text[kFileNameBufferSize] = "";
    LONG status = 0;
    ReadStringSetting("FileName", text, &status);
    return text;
  }

  std::string folder_;
};

TEST_F(BrowseButton, AReadablePictureIsShownAndWrittenByOkOnly) {
  const std::string picture = WriteFile("tiny.bmp", kTinyBitmap);
  EXPECT_EQ(Browse(picture, picture.c_str(), false), "Default");
  EXPECT_EQ(Browse(picture, picture.c_str(), true), picture);
}

TEST_F(BrowseButton, RefusedChoicesLeaveTheSettingAsItWas) {
  const std::string text = WriteFile("notes.bmp", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
  const std::string picture = WriteFile("tiny.bmp", kTinyBitmap);
  const std::string longest = folder_ + "/" + std::string(259 - folder_.size() - 1, 'x');
  const std::string tooLong = longest + "y";
  std::filesystem::copy_file(picture, longest);
  struct Case {
    std::string path;
    const char* why;
  };
  for (const Case& each : {Case{text, "not an image"}, Case{tooLong, "260 bytes"}, Case{"", "cancelled"}}) {
    EXPECT_EQ(Browse(each.path, "（デフォルト画像）", true), "Default") << each.why;
  }
  // 259 bytes is the longest path the setting holds.
  EXPECT_EQ(Browse(longest, longest.c_str(), true), longest);
}

}  // namespace
