// The control model behind every modal dialog: the dialog and its controls as stand-in
// windows, the state each control holds (text, check, trackbar range and position), and what
// a user's action sends to the dialog procedure. The GTK backend shows this model and feeds
// the user's actions into it; the headless backend lets tests make those actions themselves.
// Internal to the dialog stand-in; not part of Win32.
#pragma once

#include <string>
#include <vector>

#include "dialog_box.h"
#include "dialog_template.h"
#include "win32_types.h"

namespace standin {

enum class ControlKind { kPushButton, kRadioButton, kGroupBox, kStatic, kTrackbar, kOther };

struct DialogControl {
  HWND handle = nullptr;
  int id = 0;
  ControlKind kind = ControlKind::kOther;
  DWORD style = 0;
  RECT bounds{};  // pixels, in the dialog's client coordinates
  std::string textUtf8;
  bool checked = false;
  int rangeMinimum = 0;
  int rangeMaximum = 100;
  int position = 0;
  bool paintPending = false;  // a trackbar that must still paint (and so notify)
};

// Pixels per dialog unit come from the dialog font: x = units * baseX / 4, y = units * baseY / 8.
struct DialogUnits {
  int baseX = 6;
  int baseY = 12;
};

struct Dialog {
  HWND handle = nullptr;
  HWND owner = nullptr;
  DLGPROC procedure = nullptr;
  DialogTemplate layout;
  DialogUnits units;
  int clientWidth = 0;
  int clientHeight = 0;
  std::vector<DialogControl> controls;
  bool ended = false;
  INT_PTR result = 0;
};

int ToPixelsX(const DialogUnits& units, int dialogUnits);
int ToPixelsY(const DialogUnits& units, int dialogUnits);

// Makes the dialog window and its controls (stand-in windows, none shown by the display
// backend). The dialog stays registered until DestroyDialog.
Dialog& CreateDialogFromTemplate(const DialogTemplate& layout, const DialogUnits& units, HWND owner, DLGPROC procedure);
void DestroyDialog(HWND dialog);

Dialog* FindDialog(HWND dialog);  // null for anything but an open dialog
DialogControl* FindControl(Dialog& dialog, int id);

INT_PTR SendToProcedure(Dialog& dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What a user does. Each one is followed by the painting it causes (trackbars notify), and
// then by the backend's refresh of what it shows.
void ClickControl(Dialog& dialog, int id);
void MoveTrackbar(Dialog& dialog, int id, int position);
void PressEnter(Dialog& dialog);
void PressEscape(Dialog& dialog);
void PressCloseBox(Dialog& dialog);
void Activate(Dialog& dialog, bool active);

// Shows the dialog for the first time: activation, then every control paints.
void ShowDialog(Dialog& dialog);

// Sends the notifications of trackbars that still have to paint, then refreshes the backend.
void Settle(Dialog& dialog);

}  // namespace standin
