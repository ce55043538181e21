// The valid range of every ranged setting, shared by the store's readers and by every other
// way of giving a setting (the command-line options of a hack run).
#pragma once

#include "winapi.h"

struct SettingRange {
  DWORD lowest;
  DWORD highest;

  constexpr bool Holds(DWORD value) const { return value >= lowest && value <= highest; }
};

constexpr SettingRange kObjectDistanceRange{10, 50};
constexpr SettingRange kObjectSpeedRange{30, 300};  // ObjectXSpeed, ObjectYSpeed, ObjectRotationSpeed
constexpr SettingRange kDistanceRange{25, 80};
constexpr SettingRange kRotationSpeedRange{1, 1000};
constexpr SettingRange kColourRange{0, 0xFFFFFF};  // COLORREF without its unused high byte
