// Settings given for one run only (a hack run's command-line options): they take the place of
// the stored values in the record read at start, and are never written to the store.
#pragma once

#include <optional>
#include <string>

#include "settings/settings.h"

// Each field, when it holds a value, replaces the field of the same name. Values are checked
// where they are given: ranged numbers lie in their ranges, the file name fits FileName.
struct SettingsOverrides {
  std::optional<DWORD> ObjectDistance;
  std::optional<DWORD> ObjectXSpeed;
  std::optional<DWORD> ObjectYSpeed;
  std::optional<DWORD> ObjectRotationSpeed;
  std::optional<DWORD> Distance;
  std::optional<DWORD> RotationSpeed;
  std::optional<DWORD> ObjectClockwise;
  std::optional<DWORD> Clockwise;
  std::optional<DWORD> BackColor;
  std::optional<DWORD> HaloColor;
  std::optional<std::string> FileName;
};

// The overrides of this run; empty unless the command line gave some.
extern SettingsOverrides g_settingsOverrides;

void ApplySettingsOverrides(const SettingsOverrides& overrides, Settings* settings);
