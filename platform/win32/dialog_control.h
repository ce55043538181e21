// Test control of the headless dialogs and choosers. Not part of Win32: only tests include
// this header.
// A headless modal dialog runs its script once it is shown; the script acts as the user
// would, through the calls below. A dialog still open when its script returns is closed with
// its close box, and a dialog without a script is closed that way at once. Choosers answer
// as their answer functions say, and cancel without one.
#pragma once

#include <functional>
#include <string>

#include "win32_types.h"

namespace standin::dialogs {

using Script = std::function<void(HWND dialog)>;
// Gets the colour the chooser opens with; returns true (with the chosen colour in it) to
// confirm, false to cancel.
using ColourAnswer = std::function<bool(COLORREF* colour)>;
// Returns true with the chosen path, false to cancel.
using FileAnswer = std::function<bool(std::string* path)>;

void SetScript(Script script);
void SetColourAnswer(ColourAnswer answer);
void SetFileAnswer(FileAnswer answer);
void ResetAnswers();

// What a user does in an open dialog. False when the dialog or control is not there.
bool Click(HWND dialog, int id);
bool MoveSlider(HWND dialog, int id, int position);
bool PressEnter(HWND dialog);
bool PressEscape(HWND dialog);
bool PressCloseBox(HWND dialog);

// What the dialog shows: a control's text and the caption, in UTF-8.
std::string Text(HWND dialog, int id);
std::string Caption(HWND dialog);

}  // namespace standin::dialogs
