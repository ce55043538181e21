#include "settings/settings_readers.h"

#include <cstring>

#include "settings/setting_ranges.h"
#include "settings/settings_store.h"

Settings g_startupSettings;

namespace {

struct RangedNumber {
  LPCSTR name;
  DWORD Settings::*field;
  SettingRange range;
  DWORD startupFallback;
  DWORD dialogFallback;
};

// The sliders' values, in the order they are read. The two readers differ only in the
// object's spin speed when it is missing.
constexpr RangedNumber kRangedNumbers[] = {
    {"ObjectDistance", &Settings::ObjectDistance, kObjectDistanceRange, 10, 10},
    {"ObjectXSpeed", &Settings::ObjectXSpeed, kObjectSpeedRange, 100, 100},
    {"ObjectYSpeed", &Settings::ObjectYSpeed, kObjectSpeedRange, 120, 120},
    {"ObjectRotationSpeed", &Settings::ObjectRotationSpeed, kObjectSpeedRange, 120, 240},
    {"Distance", &Settings::Distance, kDistanceRange, 25, 25},
    {"RotationSpeed", &Settings::RotationSpeed, kRotationSpeedRange, 600, 600},
};

const char kDefaultImageName[] = "Default";

enum class Reader { kStartup, kDialog };

DWORD ReadRanged(LPCSTR name, SettingRange range, DWORD fallback, KeyAccess access) {
  DWORD value = 0;
  LONG status = 0;
  ReadDwordSetting(name, &value, &status, access);
  return (status != ERROR_SUCCESS || !range.Holds(value)) ? fallback : value;
}

// Directions keep any number read: only a failed read falls back.
DWORD ReadDirection(LPCSTR name, DWORD fallback, KeyAccess access) {
  DWORD value = 0;
  LONG status = 0;
  ReadDwordSetting(name, &value, &status, access);
  return status != ERROR_SUCCESS ? fallback : value;
}

// The eleven values both readers share, in the order the store is read.
void ReadSharedSettings(Settings* settings, Reader reader, KeyAccess access) {
  for (const RangedNumber& number : kRangedNumbers) {
    DWORD fallback = reader == Reader::kStartup ? number.startupFallback : number.dialogFallback;
    settings->*number.field = ReadRanged(number.name, number.range, fallback, access);
  }
  settings->ObjectClockwise = ReadDirection("ObjectClockwise", 0, access);
  settings->Clockwise = ReadDirection("Clockwise", 1, access);
  settings->BackColor = ReadRanged("BackColor", kColourRange, 0, access);
  settings->HaloColor = ReadRanged("HaloColor", kColourRange, 0, access);

  LONG status = 0;
  ReadStringSetting("FileName", settings->FileName, &status, access);
  if (status != ERROR_SUCCESS) std::memcpy(settings->FileName, kDefaultImageName, sizeof kDefaultImageName);
}

void ReadStartupSettings(Settings* settings, KeyAccess access) {
  ReadSharedSettings(settings, Reader::kStartup, access);
  settings->DefImageNum = ReadRanged("DefImageNum", SettingRange{0, 1}, 0, access);
}

}  // namespace

void LoadStartupSettings() {
  ReadStartupSettings(&g_startupSettings, KeyAccess::kCreateWhenMissing);
  // The other built-in image is shown next time.
  WriteDwordSetting("DefImageNum", g_startupSettings.DefImageNum == 0 ? 1 : 0);
}

void PeekStartupSettings(Settings* settings) { ReadStartupSettings(settings, KeyAccess::kOpenExisting); }

void ReadDialogSettings(Settings* settings) {
  ReadSharedSettings(settings, Reader::kDialog, KeyAccess::kCreateWhenMissing);
}
