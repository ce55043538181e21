// Modal dialogs built from dialog resources, and the controls they hold.
// Implements: DialogBoxParamA (RT_DIALOG resources of the program, classic or extended
// templates), EndDialog, GetDlgItem, SendDlgItemMessageA, GetDlgItemTextA, SetDlgItemTextA, IsDlgButtonChecked,
// CheckDlgButton, wsprintfA; in the dialog's controls: push buttons, auto radio buttons, group
// boxes, static texts and frames, and trackbars (common_controls.h), with BM_GETCHECK,
// BM_SETCHECK, BM_CLICK and WM_SETTEXT. The dialog procedure gets WM_INITDIALOG, WM_COMMAND,
// WM_NOTIFY, WM_ACTIVATE and WM_CLOSE; Enter presses the default button and Escape sends
// IDCANCEL, as the Windows dialog manager does. A dialog is shown with GTK 3 where there is a
// display, and is run by a headless control model otherwise (for tests, dialog_control.h).
// Leaves out: modeless dialogs (CreateDialog*), in-memory templates (DialogBoxIndirect*),
// edit, list and combo boxes, check boxes and three-state buttons, owner-drawn controls,
// dialog messages beyond the ones named (DM_*, WM_CTLCOLOR*, WM_NEXTDLGCTL), keyboard
// mnemonics and arrow-key movement within groups, the Unicode (W) forms.
#pragma once

#include "win32_types.h"

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// Dialog styles.
#define DS_ABSALIGN 0x01L
#define DS_SYSMODAL 0x02L
#define DS_LOCALEDIT 0x20L
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_NOIDLEMSG 0x100L
#define DS_SETFOREGROUND 0x200L
#define DS_FIXEDSYS 0x0008L
#define DS_CENTER 0x0800L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

// Button styles.
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_3STATE 0x00000005L
#define BS_AUTO3STATE 0x00000006L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_TYPEMASK 0x0000000FL

// Static styles.
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_TYPEMASK 0x0000001FL
#define SS_CENTERIMAGE 0x00000200L
#define SS_SUNKEN 0x00001000L

// Button messages, states and notifications.
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BN_CLICKED 0

// WM_ACTIVATE states.
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure,
                               LPARAM initParam);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
HWND WINAPI GetDlgItem(HWND dialog, int id);
UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size);
BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
UINT WINAPI IsDlgButtonChecked(HWND dialog, int id);
BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check);
// Formats as the C library does for the conversions Windows' wsprintfA knows (%s %c %d %i %u
// %x %X with flags, width, precision and the l and h sizes); the result is cut at 1024 bytes.
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);

#define DialogBoxParam DialogBoxParamA
#define SetDlgItemText SetDlgItemTextA
#define SendDlgItemMessage SendDlgItemMessageA
#define GetDlgItemText GetDlgItemTextA
#define wsprintf wsprintfA
