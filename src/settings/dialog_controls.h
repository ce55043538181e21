// Control ids of the configuration dialog (resource 110) and the about box (101), as the
// dialog templates in resources/orbelune.rc give them.
#pragma once

constexpr int kConfigDialogResource = 110;
constexpr int kAboutDialogResource = 101;

enum ConfigControl : int {
  kOkButton = 1,
  kCancelButton = 2,
  kBrowseButton = 3,
  kVersionButton = 1000,
  kObjectXSpeedSlider = 1001,
  kObjectXSpeedLabel = 1002,
  kRestoreDefaultsButton = 1003,
  kObjectYSpeedSlider = 1004,
  kObjectYSpeedLabel = 1005,
  kDistanceSlider = 1006,
  kDistanceLabel = 1007,
  kRotationSpeedSlider = 1008,
  kRotationSpeedLabel = 1009,
  kBackColourButton = 1010,
  kHaloColourButton = 1011,
  kObjectClockwiseRadio = 1015,
  kObjectCounterClockwiseRadio = 1016,
  kClockwiseRadio = 1017,
  kCounterClockwiseRadio = 1018,
  kFileNameLabel = 1020,
  kBackColourSwatch = 1021,
  kHaloColourSwatch = 1022,
  kObjectDistanceSlider = 1024,
  kObjectDistanceLabel = 1025,
  kObjectRotationSpeedSlider = 1026,
  kObjectRotationSpeedLabel = 1027,
};
