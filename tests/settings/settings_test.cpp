#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/settings_readers.h"
#include "settings/settings_store.h"
#include "winapi.h"

namespace {

const char kExpectedKeyLine[] = "[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n";

class SettingsStore : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "orbelune-settings-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    storePath_ = folder_ + "/registry.reg";
    setenv("ORBELUNE_REGISTRY", storePath_.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Stores a value exactly as given, whatever its type and size.
  void StoreRaw(const char* name, DWORD type, const std::vector<uint8_t>& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  std::string StoreText() const {
    std::ifstream in(storePath_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  DWORD StoredDword(const char* name) {
    DWORD value = 0;
    LONG status = 0;
    ReadDwordSetting(name, &value, &status);
    EXPECT_EQ(status, ERROR_SUCCESS) << name;
    return value;
  }

  std::string folder_;
  std::string storePath_;
};

TEST_F(SettingsStore, FreshStartUsesEveryFallbackAndLeavesOnlyTheNextImage) {
  std::memset(&g_startupSettings, 0xAB, sizeof g_startupSettings);
  LoadStartupSettings();
  const Settings& s = g_startupSettings;
  EXPECT_EQ(s.ObjectDistance, 10u);
  EXPECT_EQ(s.ObjectXSpeed, 100u);
  EXPECT_EQ(s.ObjectYSpeed, 120u);
  EXPECT_EQ(s.ObjectRotationSpeed, 120u);
  EXPECT_EQ(s.Distance, 25u);
  EXPECT_EQ(s.RotationSpeed, 600u);
  EXPECT_EQ(s.ObjectClockwise, 0u);
  EXPECT_EQ(s.Clockwise, 1u);
  EXPECT_EQ(s.BackColor, 0u);
  EXPECT_EQ(s.HaloColor, 0u);
  EXPECT_STREQ(s.FileName, "Default");
  EXPECT_EQ(s.DefImageNum, 0u);
  EXPECT_EQ(StoreText(), std::string("REGEDIT4\n\n") + kExpectedKeyLine + "\"DefImageNum\"=dword:00000001\n\n");
}

TEST_F(SettingsStore, BuiltInImagesAlternateFromStartToStart) {
  std::vector<DWORD> used;
  for (int start = 0; start < 3; ++start) {
    LoadStartupSettings();
    used.push_back(g_startupSettings.DefImageNum);
  }
  EXPECT_EQ(used, (std::vector<DWORD>{0, 1, 0}));

  WriteDwordSetting("DefImageNum", 7);
  LoadStartupSettings();
  EXPECT_EQ(g_startupSettings.DefImageNum, 0u);
  EXPECT_EQ(StoredDword("DefImageNum"), 1u);
}

TEST_F(SettingsStore, DialogReaderLeavesTheImageChoiceAlone) {
  WriteDwordSetting("DefImageNum", 1);
  std::string before = StoreText();
  Settings dialog{};
  ReadDialogSettings(&dialog);
  EXPECT_EQ(StoreText(), before);
  EXPECT_EQ(dialog.ObjectRotationSpeed, 240u) << "the dialog's own fallback";
  EXPECT_EQ(dialog.ObjectXSpeed, 100u);
  EXPECT_STREQ(dialog.FileName, "Default");
}

// The peek sees what the next start will use and leaves the store as it was: no key made in a
// fresh store, no built-in image flipped in a used one.
TEST_F(SettingsStore, PeekReadsTheNextStartWithoutWriting) {
  Settings peeked{};
  std::memset(&peeked, 0xAB, sizeof peeked);
  PeekStartupSettings(&peeked);
  EXPECT_EQ(peeked.ObjectRotationSpeed, 120u) << "the start-up fallback, not the dialog's";
  EXPECT_STREQ(peeked.FileName, "Default");
  EXPECT_EQ(peeked.DefImageNum, 0u);
  EXPECT_FALSE(std::filesystem::exists(storePath_));

  WriteDwordSetting("DefImageNum", 1);
  WriteDwordSetting("ObjectXSpeed", 250);
  WriteDwordSetting("Distance", 81);
  WriteStringSetting("FileName", "/pictures/sea.jpg");
  const std::string before = StoreText();
  // Both records start from the same bytes, so that the unused end of FileName matches too.
  std::memset(&peeked, 0xAB, sizeof peeked);
  std::memset(&g_startupSettings, 0xAB, sizeof g_startupSettings);
  PeekStartupSettings(&peeked);
  EXPECT_EQ(StoreText(), before);
  LoadStartupSettings();
  EXPECT_EQ(std::memcmp(&peeked, &g_startupSettings, sizeof peeked), 0) << "the start read the same record";
  EXPECT_EQ(peeked.DefImageNum, 1u);
  EXPECT_EQ(peeked.ObjectXSpeed, 250u);
  EXPECT_EQ(peeked.Distance, 25u);
}

// Each stored number, as the start-up reader and the dialog reader take it.
TEST_F(SettingsStore, NumbersOutsideTheirRangeFallBack) {
  struct Case {
    const char* name;
    DWORD stored;
    DWORD startup;
    DWORD dialog;
  };
  const Case cases[] = {
      {"ObjectXSpeed", 29, 100, 100},
      {"ObjectXSpeed", 30, 30, 30},
      {"ObjectXSpeed", 300, 300, 300},
      {"ObjectXSpeed", 301, 100, 100},
      {"ObjectYSpeed", 0xFFFFFFFF, 120, 120},
      {"ObjectRotationSpeed", 301, 120, 240},
      {"ObjectRotationSpeed", 45, 45, 45},
      {"ObjectDistance", 9, 10, 10},
      {"ObjectDistance", 50, 50, 50},
      {"ObjectDistance", 51, 10, 10},
      {"Distance", 24, 25, 25},
      {"Distance", 80, 80, 80},
      {"RotationSpeed", 0, 600, 600},
      {"RotationSpeed", 1, 1, 1},
      {"RotationSpeed", 1000, 1000, 1000},
      {"RotationSpeed", 1001, 600, 600},
      {"BackColor", 0x01000000, 0, 0},
      {"BackColor", 0x00FFFFFF, 0xFFFFFF, 0xFFFFFF},
      {"HaloColor", 0x80000000, 0, 0},
      {"HaloColor", 0x00123456, 0x123456, 0x123456},
      {"ObjectClockwise", 5, 5, 5},
      {"Clockwise", 0, 0, 0},
      {"Clockwise", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
  };
  auto field = [](const Settings& s, const std::string& name) {
    if (name == "ObjectDistance") return s.ObjectDistance;
    if (name == "ObjectXSpeed") return s.ObjectXSpeed;
    if (name == "ObjectYSpeed") return s.ObjectYSpeed;
    if (name == "ObjectRotationSpeed") return s.ObjectRotationSpeed;
    if (name == "Distance") return s.Distance;
    if (name == "RotationSpeed") return s.RotationSpeed;
    if (name == "ObjectClockwise") return s.ObjectClockwise;
    if (name == "Clockwise") return s.Clockwise;
    if (name == "BackColor") return s.BackColor;
    return s.HaloColor;
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string(test.name) + " = " + std::to_string(test.stored));
    WriteDwordSetting(test.name, test.stored);
    LoadStartupSettings();
    EXPECT_EQ(field(g_startupSettings, test.name), test.startup);
    Settings dialog{};
    ReadDialogSettings(&dialog);
    EXPECT_EQ(field(dialog, test.name), test.dialog);
    std::filesystem::remove(storePath_);
  }
}

// The stored type is not looked at: up to 4 bytes of anything read as a little-endian number.
TEST_F(SettingsStore, NumbersAreReadFromAnyTypeOfAtMostFourBytes) {
  struct Case {
    const char* label;
    DWORD type;
    std::vector<uint8_t> data;
    DWORD expectedDistance;
  };
  const Case cases[] = {
      {"text_of_more_than_4_bytes", REG_SZ, {'3', '0', '0', '0', 0}, 10},
      {"two_bytes", REG_BINARY, {0x0c, 0x00}, 12},
      {"one_byte_as_text", REG_SZ, {0x2a}, 42},
      {"qword", REG_QWORD, {20, 0, 0, 0, 0, 0, 0, 0}, 10},
      {"no_bytes", REG_DWORD, {}, 10},  // reads as 0, which is below the range
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    StoreRaw("ObjectDistance", test.type, test.data);
    LoadStartupSettings();
    EXPECT_EQ(g_startupSettings.ObjectDistance, test.expectedDistance);
  }
  DWORD value = 99;
  LONG status = 0;
  ReadDwordSetting("Missing", &value, &status);
  EXPECT_NE(status, ERROR_SUCCESS);
  EXPECT_EQ(value, 0u);
}

TEST_F(SettingsStore, FileNamesReadBackAsStored) {
  const std::string longest(259, 'x');
  struct Case {
    const char* label;
    std::vector<uint8_t> data;
    std::string expected;
  };
  const Case cases[] = {
      {"without_terminator", {'C', ':', '\\', 'a', '.', 'j', 'p', 'g'}, "C:\\a.jpg"},
      {"lower_case_default_is_a_path", {'d', 'e', 'f', 'a', 'u', 'l', 't'}, "default"},
      {"shift_jis", {'C', ':', '\\', 0x95, 0x5c, '.', 'j', 'p', 'g'}, "C:\\\x95\x5c.jpg"},
      {"ends_at_first_nul", {'a', 0, 'b', 0}, "a"},
      {"empty", {}, ""},
      {"longest_with_terminator",
       [&] {
         std::vector<uint8_t> bytes(longest.begin(), longest.end());
         bytes.push_back(0);
         return bytes;
       }(),
       longest},
      {"longest_without_terminator", std::vector<uint8_t>(longest.begin(), longest.end()), longest},
      // 260 bytes with no NUL leave no room for the terminator in the 260-byte buffer.
      {"one_too_long_without_terminator", std::vector<uint8_t>(260, 'y'), "Default"},
      {"far_too_long", std::vector<uint8_t>(1000, 'z'), "Default"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    StoreRaw("FileName", REG_SZ, test.data);
    LoadStartupSettings();
    EXPECT_EQ(std::string(g_startupSettings.FileName), test.expected);
  }
}

TEST_F(SettingsStore, WrittenTextsReadBackExactly) {
  const char path[] = "C:\\\x8e\x84\x82\xcc\x89\xe6\x91\x9c\\\x95\x5c.png";  // Shift-JIS folder name
  WriteStringSetting("FileName", path);
  char text[kFileNameBufferSize];
  std::memset(text, '#', sizeof text);
  LONG status = -1;
  ReadStringSetting("FileName", text, &status);
  EXPECT_EQ(status, ERROR_SUCCESS);
  EXPECT_STREQ(text, path);

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  ASSERT_EQ(RegQueryValueExA(key, "FileName", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, std::strlen(path)) << "stored without the terminating NUL";

  ReadStringSetting("Missing", text, &status);
  EXPECT_NE(status, ERROR_SUCCESS);
  EXPECT_STREQ(text, "");
}

// With a store that cannot be read, every read fails to the fallbacks and nothing is written.
TEST_F(SettingsStore, UnusableStoreGivesFallbacks) {
  std::filesystem::create_directory(storePath_);
  LoadStartupSettings();
  EXPECT_EQ(g_startupSettings.ObjectDistance, 10u);
  EXPECT_EQ(g_startupSettings.Clockwise, 1u);
  EXPECT_STREQ(g_startupSettings.FileName, "Default");
  EXPECT_EQ(g_startupSettings.DefImageNum, 0u);
  EXPECT_TRUE(std::filesystem::is_directory(storePath_));
}

TEST_F(SettingsStore, GarbageStoreGivesFallbacksAndKeepsReadableValues) {
  std::ofstream(storePath_) << "REGEDIT4\n"
                            << kExpectedKeyLine
                            << "\"RotationSpeed\"=dword:000001f4\n\"ObjectDistance\"=dword:\x81\x40\n@@@@\n";
  LoadStartupSettings();
  EXPECT_EQ(g_startupSettings.ObjectDistance, 10u);
  EXPECT_EQ(g_startupSettings.RotationSpeed, 500u);
  EXPECT_EQ(StoredDword("RotationSpeed"), 500u) << "the DefImageNum write kept the readable value";
  EXPECT_EQ(StoredDword("DefImageNum"), 1u);
}

}  // namespace
