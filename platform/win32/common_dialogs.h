// The common dialogs subset: choosing a colour and choosing a file to open.
// Implements: ChooseColorA (rgbResult in and out, CC_RGBINIT, CC_FULLOPEN; the custom colours
// are read but not offered) and GetOpenFileNameA (lpstrFilter pairs, nFilterIndex,
// lpstrFile/nMaxFile, lpstrTitle, lpstrInitialDir; the chosen path is given as the file
// system names it, and a path that does not fit nMaxFile fails with FNERR_BUFFERTOOSMALL),
// with CommDlgExtendedError. With a display they are GTK 3 choosers (the file chooser shows a
// preview of the picture under the pointer); without one they answer as the headless control
// model is told (dialog_control.h), or cancel.
// Leaves out: hooks and custom templates, CC_SOLIDCOLOR and the other CC_* flags,
// multiple selection, OFN_ALLOWMULTISELECT, OFN_EXPLORER's hook, lpstrFileTitle,
// lpstrCustomFilter, save dialogs.
#pragma once

#include "win32_types.h"

#define CC_RGBINIT 0x00000001
#define CC_FULLOPEN 0x00000002
#define CC_PREVENTFULLOPEN 0x00000004

#define OFN_READONLY 0x00000001
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000

#define FNERR_BUFFERTOOSMALL 0x3003

typedef UINT_PTR(CALLBACK* LPCCHOOKPROC)(HWND, UINT, WPARAM, LPARAM);
typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagCHOOSECOLORA {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;
  COLORREF* lpCustColors;
  DWORD Flags;
  LPARAM lCustData;
  LPCCHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
} CHOOSECOLORA, *LPCHOOSECOLORA;

typedef struct tagOFNA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
} OPENFILENAMEA, *LPOPENFILENAMEA;

BOOL WINAPI ChooseColorA(LPCHOOSECOLORA choice);
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA choice);
DWORD WINAPI CommDlgExtendedError(void);

#define ChooseColor ChooseColorA
#define GetOpenFileName GetOpenFileNameA
#define CHOOSECOLOR CHOOSECOLORA
#define OPENFILENAME OPENFILENAMEA
