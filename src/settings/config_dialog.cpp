#include "settings/config_dialog.h"

#include <cstring>

#include "settings/colour_choice.h"
#include "settings/dialog_controls.h"
#include "settings/dialog_texts.h"
#include "settings/image_file_choice.h"
#include "settings/settings_readers.h"
#include "settings/settings_store.h"
#include "japanese_text.h"

COLORREF dialogBackColor = 0;
COLORREF dialogHaloColor = 0;
COLORREF chooserColor = 0x00FFFFFF;
char dialogFileName[kFileNameBufferSize] = "";

namespace {

HINSTANCE dialogInstance = nullptr;  // where the about box's template is
HWND backSwatch = nullptr;
HWND haloSwatch = nullptr;

struct SliderRange {
  int slider;
  WORD minimum;
  WORD maximum;
};

constexpr SliderRange kSliderRanges[] = {
    {kObjectDistanceSlider, 10, 50},       {kObjectXSpeedSlider, 30, 300}, {kObjectYSpeedSlider, 30, 300},
    {kObjectRotationSpeedSlider, 30, 300}, {kDistanceSlider, 25, 80},      {kRotationSpeedSlider, 1, 1000},
};

struct SliderLabel {
  int slider;
  int label;
  const char* format;
};

constexpr SliderLabel kSliderLabels[] = {
    {kObjectDistanceSlider, kObjectDistanceLabel, "%3ld"},
    {kObjectXSpeedSlider, kObjectXSpeedLabel, "%3ld"},
    {kObjectYSpeedSlider, kObjectYSpeedLabel, "%3ld"},
    {kObjectRotationSpeedSlider, kObjectRotationSpeedLabel, "%3ld"},
    {kDistanceSlider, kDistanceLabel, "%3ld"},
    {kRotationSpeedSlider, kRotationSpeedLabel, "%2ld"},
};

LONG SliderPosition(HWND dialog, int slider) {
  return static_cast<LONG>(SendDlgItemMessageA(dialog, slider, TBM_GETPOS, 0, 0));
}

void SetSliderPosition(HWND dialog, int slider, DWORD position) {
  SendDlgItemMessageA(dialog, slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(position));
}

void SetCheck(HWND dialog, int radio, DWORD state) {
  SendDlgItemMessageA(dialog, radio, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void RepaintSwatches() {
  PaintSwatch(backSwatch, dialogBackColor);
  PaintSwatch(haloSwatch, dialogHaloColor);
}

// The built-in images' label is the system's Shift-JIS; a path is in the user's code page.
void ShowFileName(HWND dialog) {
  if (std::strcmp(dialogFileName, "Default") == 0) {
    SetDlgItemTextShiftJis(dialog, kFileNameLabel, kDefaultImageLabel);
    return;
  }
  char text[kFileNameBufferSize];
  wsprintfA(text, "%s", dialogFileName);
  SetDlgItemTextA(dialog, kFileNameLabel, text);
}

void InitialiseDialog(HWND dialog) {
  for (const SliderRange& range : kSliderRanges) {
    SendDlgItemMessageA(dialog, range.slider, TBM_SETRANGE, TRUE, MAKELPARAM(range.minimum, range.maximum));
  }
  Settings settings{};
  ReadDialogSettings(&settings);
  dialogBackColor = settings.BackColor;
  dialogHaloColor = settings.HaloColor;
  std::memcpy(dialogFileName, settings.FileName, sizeof dialogFileName);
  ShowFileName(dialog);

  SetSliderPosition(dialog, kObjectDistanceSlider, settings.ObjectDistance);
  SetSliderPosition(dialog, kObjectXSpeedSlider, settings.ObjectXSpeed);
  SetSliderPosition(dialog, kObjectYSpeedSlider, settings.ObjectYSpeed);
  SetSliderPosition(dialog, kObjectRotationSpeedSlider, settings.ObjectRotationSpeed);
  SetSliderPosition(dialog, kDistanceSlider, settings.Distance);
  SetSliderPosition(dialog, kRotationSpeedSlider, settings.RotationSpeed);

  SetCheck(dialog, kObjectClockwiseRadio, settings.ObjectClockwise);
  SetCheck(dialog, kObjectCounterClockwiseRadio, settings.ObjectClockwise == 0 ? 1 : 0);
  SetCheck(dialog, kClockwiseRadio, settings.Clockwise);
  SetCheck(dialog, kCounterClockwiseRadio, settings.Clockwise == 0 ? 1 : 0);

  backSwatch = GetDlgItem(dialog, kBackColourSwatch);
  haloSwatch = GetDlgItem(dialog, kHaloColourSwatch);
  RepaintSwatches();
}

void ShowSliderValue(HWND dialog, int slider) {
  for (const SliderLabel& pair : kSliderLabels) {
    if (pair.slider != slider) continue;
    char text[16];
    wsprintfA(text, pair.format, SliderPosition(dialog, slider));
    SetDlgItemTextA(dialog, pair.label, text);
  }
}

void WriteSettings(HWND dialog) {
  const DWORD objectClockwise = IsDlgButtonChecked(dialog, kObjectClockwiseRadio) == BST_CHECKED ? 1 : 0;
  const DWORD clockwise = IsDlgButtonChecked(dialog, kClockwiseRadio) == BST_CHECKED ? 1 : 0;
  WriteDwordSetting("ObjectDistance", static_cast<DWORD>(SliderPosition(dialog, kObjectDistanceSlider)));
  WriteDwordSetting("ObjectXSpeed", static_cast<DWORD>(SliderPosition(dialog, kObjectXSpeedSlider)));
  WriteDwordSetting("ObjectYSpeed", static_cast<DWORD>(SliderPosition(dialog, kObjectYSpeedSlider)));
  WriteDwordSetting("ObjectRotationSpeed", static_cast<DWORD>(SliderPosition(dialog, kObjectRotationSpeedSlider)));
  WriteDwordSetting("Distance", static_cast<DWORD>(SliderPosition(dialog, kDistanceSlider)));
  WriteDwordSetting("RotationSpeed", static_cast<DWORD>(SliderPosition(dialog, kRotationSpeedSlider)));
  WriteDwordSetting("ObjectClockwise", objectClockwise);
  WriteDwordSetting("Clockwise", clockwise);
  WriteDwordSetting("BackColor", dialogBackColor);
  WriteDwordSetting("HaloColor", dialogHaloColor);
  WriteStringSetting("FileName", dialogFileName);
}

// The dialog's own defaults, which differ from the saver's in ObjectRotationSpeed (240).
void RestoreDefaults(HWND dialog) {
  SetSliderPosition(dialog, kObjectDistanceSlider, 10);
  SetSliderPosition(dialog, kObjectXSpeedSlider, 100);
  SetSliderPosition(dialog, kObjectYSpeedSlider, 120);
  SetSliderPosition(dialog, kObjectRotationSpeedSlider, 240);
  SetSliderPosition(dialog, kDistanceSlider, 25);
  SetSliderPosition(dialog, kRotationSpeedSlider, 600);
  SetCheck(dialog, kObjectClockwiseRadio, 0);
  SetCheck(dialog, kObjectCounterClockwiseRadio, 1);
  SetCheck(dialog, kClockwiseRadio, 1);
  SetCheck(dialog, kCounterClockwiseRadio, 0);
  dialogBackColor = 0;
  dialogHaloColor = 0;
  RepaintSwatches();
  std::strcpy(dialogFileName, "Default");
  SetDlgItemTextShiftJis(dialog, kFileNameLabel, kDefaultImageLabel);
}

// A cancelled chooser leaves the colour as it was: taking the shared chooser colour anyway
// would change a colour the user just declined to change.
void ChooseSettingColour(HWND dialog, COLORREF* colour) {
  if (ChooseColour(dialog, &chooserColor) == 1) {
    InvalidateRect(dialog, nullptr, TRUE);
    *colour = chooserColor;
  }
  RepaintSwatches();
}

INT_PTR HandleCommand(HWND dialog, int id) {
  switch (id) {
    case kOkButton:
      WriteSettings(dialog);
      EndDialog(dialog, 1);
      return TRUE;
    case kCancelButton:
      EndDialog(dialog, 1);
      return TRUE;
    case kVersionButton:
      return DialogBoxFromTemplate(dialogInstance, kAboutDialogResource, dialog, AboutDialogProc, 0);
    case kRestoreDefaultsButton:
      RestoreDefaults(dialog);
      return TRUE;
    case kBackColourButton:
      ChooseSettingColour(dialog, &dialogBackColor);
      return TRUE;
    case kHaloColourButton:
      ChooseSettingColour(dialog, &dialogHaloColor);
      return TRUE;
    case kBrowseButton:
      if (ChooseImageFile(dialog, dialogFileName)) ShowFileName(dialog);
      return TRUE;
    default:
      return TRUE;
  }
}

}  // namespace

INT_PTR ShowConfigDialog(HINSTANCE instance) {
  InitCommonControls();
  dialogInstance = instance;
  return DialogBoxFromTemplate(instance, kConfigDialogResource, nullptr, ConfigDialogProc, 0);
}

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitialiseDialog(dialog);
      return TRUE;
    case WM_NOTIFY:
      ShowSliderValue(dialog, static_cast<int>(wParam));
      RepaintSwatches();
      return TRUE;
    case WM_ACTIVATE:
      RepaintSwatches();
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 1);
      return TRUE;
    case WM_COMMAND:
      return HandleCommand(dialog, LOWORD(wParam));
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_ACTIVATE:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 1);
      return TRUE;
    default:
      return FALSE;
  }
}
