// The configuration and about dialogs, run by the headless control model: the script plays
// the user, the registry file is the test's own.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dialog_control.h"
#include "headless_display.h"
#include "settings/config_dialog.h"
#include "settings/dialog_controls.h"
#include "settings/settings_readers.h"
#include "settings/settings_store.h"
#include "winapi.h"

namespace {

namespace dialogs = standin::dialogs;

constexpr char kOptionsCaptionUtf8[] = "オプション";
constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kRed = 0x000000FF;
constexpr COLORREF kGreen = 0x0000FF00;

class ConfigDialog : public testing::Test {
 protected:
  void SetUp() override {
    standin::headless::Choose(1024, 768);
    std::string pattern = (std::filesystem::temp_directory_path() / "orbelune-dialog-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    storePath_ = folder_ + "/registry.reg";
    setenv("ORBELUNE_REGISTRY", storePath_.c_str(), 1);
    chooserColor = kWhite;  // as at the start of a process
    dialogs::ResetAnswers();
  }
  void TearDown() override {
    dialogs::ResetAnswers();
    std::filesystem::remove_all(folder_);
  }

  // Opens the configuration dialog; the script runs in it, and the dialog is then left with
  // Cancel unless the script ended it. Returns the dialog's end code.
  INT_PTR Open(const std::function<void(HWND)>& script) {
    dialogs::SetScript([script](HWND dialog) {
      if (dialogs::Caption(dialog) == kOptionsCaptionUtf8) script(dialog);
    });
    return ShowConfigDialog(GetModuleHandleA(nullptr));
  }

  std::string StoreText() const {
    std::ifstream in(storePath_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  DWORD Stored(const char* name) {
    DWORD value = 0;
    LONG status = 0;
    ReadDwordSetting(name, &value, &status);
    EXPECT_EQ(status, ERROR_SUCCESS) << name;
    return value;
  }

  std::string StoredFileName() {
    char text[kFileNameBufferSize] = "";
    LONG status = 0;
    ReadStringSetting("FileName", text, &status);
    return text;
  }

  static LRESULT Position(HWND dialog, int slider) {
    return SendMessageA(GetDlgItem(dialog, slider), TBM_GETPOS, 0, 0);
  }

  // The colour in the middle of a swatch, as PaintSwatch left it.
  static COLORREF SwatchColour(HWND dialog, int swatch) {
    const HWND window = GetDlgItem(dialog, swatch);
    RECT client{};
    GetClientRect(window, &client);
    const HDC context = GetDC(window);
    const COLORREF colour = GetPixel(context, client.right / 2, client.bottom / 2);
    ReleaseDC(window, context);
    return colour;
  }

  std::string folder_;
  std::string storePath_;
};

TEST_F(ConfigDialog, EmptyStoreShowsTheDialogDefaultsAndOkWritesThem) {
  const INT_PTR result = Open([](HWND dialog) {
    const std::vector<std::pair<int, LRESULT>> positions = {
        {kObjectDistanceSlider, 10},       {kObjectXSpeedSlider, 100}, {kObjectYSpeedSlider, 120},
        {kObjectRotationSpeedSlider, 240}, {kDistanceSlider, 25},      {kRotationSpeedSlider, 600}};
    for (const auto& [slider, position] : positions) EXPECT_EQ(Position(dialog, slider), position) << slider;
    // The labels follow the trackbars' paint notifications.
    EXPECT_EQ(dialogs::Text(dialog, kObjectRotationSpeedLabel), "240");
    EXPECT_EQ(dialogs::Text(dialog, kRotationSpeedLabel), "600");
    EXPECT_EQ(IsDlgButtonChecked(dialog, kObjectClockwiseRadio), 0u);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kObjectCounterClockwiseRadio), 1u);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kClockwiseRadio), 1u);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kCounterClockwiseRadio), 0u);
    EXPECT_EQ(SwatchColour(dialog, kBackColourSwatch), 0u);
    EXPECT_EQ(SwatchColour(dialog, kHaloColourSwatch), 0u);
    EXPECT_EQ(dialogs::Text(dialog, kFileNameLabel), "（デフォルト画像）");
    dialogs::PressEnter(dialog);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(StoreText(),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n"
            "\"ObjectDistance\"=dword:0000000a\n\"ObjectXSpeed\"=dword:00000064\n"
            "\"ObjectYSpeed\"=dword:00000078\n\"ObjectRotationSpeed\"=dword:000000f0\n"
            "\"Distance\"=dword:00000019\n\"RotationSpeed\"=dword:00000258\n"
            "\"ObjectClockwise\"=dword:00000000\n\"Clockwise\"=dword:00000001\n"
            "\"BackColor\"=dword:00000000\n\"HaloColor\"=dword:00000000\n"
            "\"FileName\"=hex(1):44,65,66,61,75,6c,74\n\n");
}

TEST_F(ConfigDialog, ValueLabelsArePaddedAsTheirFormatsSay) {
  struct Case {
    int slider;
    int label;
    int position;
    const char* shown;
  };
  const std::vector<Case> cases = {
      {kRotationSpeedSlider, kRotationSpeedLabel, 5, " 5"},
      {kRotationSpeedSlider, kRotationSpeedLabel, 1000, "1000"},
      {kObjectDistanceSlider, kObjectDistanceLabel, 10, " 10"},
      {kObjectXSpeedSlider, kObjectXSpeedLabel, 30, " 30"},
      {kDistanceSlider, kDistanceLabel, 80, " 80"},
      // Beyond the range: the trackbar holds its maximum, and the label shows that.
      {kObjectYSpeedSlider, kObjectYSpeedLabel, 400, "300"},
  };
  Open([&cases](HWND dialog) {
    for (const Case& each : cases) {
      dialogs::MoveSlider(dialog, each.slider, each.position);
      EXPECT_EQ(dialogs::Text(dialog, each.label), each.shown) << each.slider << " at " << each.position;
    }
  });
}

TEST_F(ConfigDialog, ChoosersShareOneColourAndACancelledChooserChangesNothing) {
  std::vector<COLORREF> opened;
  std::vector<bool> confirms = {true, false, false};
  dialogs::SetColourAnswer([&](COLORREF* colour) {
    opened.push_back(*colour);
    const bool confirm = confirms[opened.size() - 1];
    if (confirm)
      *colour = kRed;
    else
      *colour = kGreen;  // what the user picked before cancelling
    return confirm;
  });
  Open([](HWND dialog) {
    dialogs::Click(dialog, kBackColourButton);  // confirms red
    EXPECT_EQ(SwatchColour(dialog, kBackColourSwatch), kRed);
    dialogs::Click(dialog, kHaloColourButton);  // opens with red, cancelled
    EXPECT_EQ(SwatchColour(dialog, kHaloColourSwatch), 0u);
    dialogs::Click(dialog, kBackColourButton);  // cancelled: red stays
    EXPECT_EQ(SwatchColour(dialog, kBackColourSwatch), kRed);
    dialogs::PressEnter(dialog);
  });
  EXPECT_EQ(opened, (std::vector<COLORREF>{kWhite, kRed, kRed}));
  EXPECT_EQ(Stored("BackColor"), kRed);
  EXPECT_EQ(Stored("HaloColor"), 0u);
}

// What the dialog writes is what the next saver start reads, through the saver's own reader.
TEST_F(ConfigDialog, ChangesReachTheNextSaverStart) {
  dialogs::SetColourAnswer([](COLORREF* colour) {
    *colour = kGreen;
    return true;
  });
  Open([](HWND dialog) {
    dialogs::MoveSlider(dialog, kDistanceSlider, 60);
    dialogs::MoveSlider(dialog, kObjectDistanceSlider, 35);
    dialogs::Click(dialog, kHaloColourButton);
    dialogs::PressEnter(dialog);
  });
  LoadStartupSettings();
  EXPECT_EQ(g_startupSettings.Distance, 60u);
  EXPECT_EQ(g_startupSettings.ObjectDistance, 35u);
  EXPECT_EQ(g_startupSettings.HaloColor, kGreen);
  EXPECT_EQ(g_startupSettings.BackColor, 0u);
}

TEST_F(ConfigDialog, RestoreDefaultsWritesNothingUntilOk) {
  WriteDwordSetting("ObjectRotationSpeed", 120);
  WriteDwordSetting("BackColor", kGreen);
  WriteStringSetting("FileName", "/pictures/moon.png");
  const std::string before = StoreText();

  Open([](HWND dialog) {
    EXPECT_EQ(dialogs::Text(dialog, kFileNameLabel), "/pictures/moon.png");
    dialogs::Click(dialog, kRestoreDefaultsButton);
    EXPECT_EQ(Position(dialog, kObjectRotationSpeedSlider), 240);
    EXPECT_EQ(dialogs::Text(dialog, kObjectRotationSpeedLabel), "240");
    EXPECT_EQ(SwatchColour(dialog, kBackColourSwatch), 0u);
    EXPECT_EQ(dialogs::Text(dialog, kFileNameLabel), "（デフォルト画像）");
    dialogs::PressEscape(dialog);
  });
  EXPECT_EQ(StoreText(), before);

  Open([](HWND dialog) {
    dialogs::Click(dialog, kRestoreDefaultsButton);
    dialogs::Click(dialog, kOkButton);
  });
  EXPECT_EQ(Stored("ObjectRotationSpeed"), 240u);
  EXPECT_EQ(Stored("BackColor"), 0u);
  EXPECT_EQ(StoredFileName(), "Default");
}

TEST_F(ConfigDialog, RadioStatesFollowTheStoredDirectionsAndClicksWriteThem) {
  struct Case {
    DWORD stored;
    UINT clockwiseChecked;
    UINT counterClockwiseChecked;
  };
  for (const Case& each : {Case{1, 1, 0}, Case{0, 0, 1}, Case{7, 1, 0}}) {
    WriteDwordSetting("ObjectClockwise", each.stored);
    WriteDwordSetting("Clockwise", each.stored);
    Open([&each](HWND dialog) {
      EXPECT_EQ(IsDlgButtonChecked(dialog, kObjectClockwiseRadio), each.clockwiseChecked) << each.stored;
      EXPECT_EQ(IsDlgButtonChecked(dialog, kObjectCounterClockwiseRadio), each.counterClockwiseChecked);
      EXPECT_EQ(IsDlgButtonChecked(dialog, kClockwiseRadio), each.clockwiseChecked);
      EXPECT_EQ(IsDlgButtonChecked(dialog, kCounterClockwiseRadio), each.counterClockwiseChecked);
    });
  }
  // A click checks one radio of its group only, and OK writes 0 or 1.
  Open([](HWND dialog) {
    dialogs::Click(dialog, kObjectCounterClockwiseRadio);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kObjectClockwiseRadio), 0u);
    EXPECT_EQ(IsDlgButtonChecked(dialog, kClockwiseRadio), 1u);
    dialogs::PressEnter(dialog);
  });
  EXPECT_EQ(Stored("ObjectClockwise"), 0u);
  EXPECT_EQ(Stored("Clockwise"), 1u);
}

TEST_F(ConfigDialog, AboutBoxClosesEveryWayBackToTheConfigurationDialog) {
  using Close = bool (*)(HWND);
  const std::vector<std::pair<const char*, Close>> ways = {
      {"OK", [](HWND about) { return dialogs::Click(about, IDOK); }},
      {"Enter", dialogs::PressEnter},
      {"Escape", dialogs::PressEscape},
      {"close box", dialogs::PressCloseBox},
  };
  for (const auto& [name, close] : ways) {
    std::string aboutCaption;
    std::string versionLine;
    bool closed = false;
    dialogs::SetScript([&, close = close](HWND dialog) {
      if (dialogs::Caption(dialog) == kOptionsCaptionUtf8) {
        dialogs::Click(dialog, kVersionButton);
        // Back in the configuration dialog, which is still open and answers.
        dialogs::MoveSlider(dialog, kDistanceSlider, 40);
        EXPECT_EQ(dialogs::Text(dialog, kDistanceLabel), " 40");
        dialogs::PressEnter(dialog);
        return;
      }
      aboutCaption = dialogs::Caption(dialog);
      closed = close(dialog);
    });
    EXPECT_EQ(ShowConfigDialog(GetModuleHandleA(nullptr)), 1) << name;
    EXPECT_TRUE(closed) << name;
    EXPECT_EQ(aboutCaption, "Orbelune") << name;
    EXPECT_EQ(Stored("Distance"), 40u) << name;
  }
}

// The dialog's OK while saver starts in another process flip DefImageNum: every write takes the
// whole store under its lock, so neither loses what the other wrote. Each start flips the
// number once, so after an even count of starts it is back where it began.
TEST_F(ConfigDialog, OkWhileSaversStartLosesNeitherWriter) {
  constexpr int kStarts = 40;
  constexpr int kOks = 15;
  const pid_t saver = fork();
  ASSERT_GE(saver, 0);
  if (saver == 0) {
    for (int start = 0; start < kStarts; ++start) LoadStartupSettings();
    _exit(0);
  }
  for (int ok = 0; ok < kOks; ++ok) {
    Open([ok](HWND dialog) {
      dialogs::MoveSlider(dialog, kDistanceSlider, 30 + ok);
      dialogs::MoveSlider(dialog, kRotationSpeedSlider, 100 + ok);
      dialogs::PressEnter(dialog);
    });
  }
  int status = 0;
  ASSERT_EQ(waitpid(saver, &status, 0), saver);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Stored("Distance"), static_cast<DWORD>(30 + kOks - 1));
  EXPECT_EQ(Stored("RotationSpeed"), static_cast<DWORD>(100 + kOks - 1));
  EXPECT_EQ(Stored("DefImageNum"), 0u);
  EXPECT_EQ(StoredFileName(), "Default");
}

}  // namespace
