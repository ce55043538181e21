#include "settings/settings_overrides.h"

#include <algorithm>
#include <cstring>

SettingsOverrides g_settingsOverrides;

namespace {

void Replace(const std::optional<DWORD>& given, DWORD* field) {
  if (given) *field = *given;
}

}  // namespace

void ApplySettingsOverrides(const SettingsOverrides& overrides, Settings* settings) {
  Replace(overrides.ObjectDistance, &settings->ObjectDistance);
  Replace(overrides.ObjectXSpeed, &settings->ObjectXSpeed);
  Replace(overrides.ObjectYSpeed, &settings->ObjectYSpeed);
  Replace(overrides.ObjectRotationSpeed, &settings->ObjectRotationSpeed);
  Replace(overrides.Distance, &settings->Distance);
  Replace(overrides.RotationSpeed, &settings->RotationSpeed);
  Replace(overrides.ObjectClockwise, &settings->ObjectClockwise);
  Replace(overrides.Clockwise, &settings->Clockwise);
  Replace(overrides.BackColor, &settings->BackColor);
  Replace(overrides.HaloColor, &settings->HaloColor);
  // A name too long for the record is cut rather than overrunning it; the command line
  // refuses such names before they get here.
  if (overrides.FileName) {
    const size_t length = std::min<size_t>(overrides.FileName->size(), kFileNameBufferSize - 1);
    std::memcpy(settings->FileName, overrides.FileName->data(), length);
    settings->FileName[length] = '\0';
  }
}
