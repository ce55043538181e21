// The configuration dialog (resource 110) and the about box (101): every setting as a slider
// with a live value label, a pair of radio buttons or a colour swatch with its chooser; OK
// writes all settings, which the saver uses from its next start.
#pragma once

#include "settings/settings.h"
#include "winapi.h"

// The dialog's working state, valid while it is open.
extern COLORREF dialogBackColor;
extern COLORREF dialogHaloColor;
// One colour shared by both choosers: they open with it and keep a confirmed choice in it.
// White until the first choice; never loaded from the settings.
extern COLORREF chooserColor;
extern char dialogFileName[kFileNameBufferSize];

// Runs the configuration dialog modally, without owner; returns the dialog's end code (1
// however the dialog itself ends).
INT_PTR ShowConfigDialog(HINSTANCE instance);

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
