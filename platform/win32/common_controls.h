// The common-controls subset: the trackbar.
// Implements: InitCommonControls and InitCommonControlsEx (they make the trackbar class known
// to dialogs), the trackbar class "msctls_trackbar32" in dialogs with TBM_GETPOS, TBM_SETPOS,
// TBM_SETRANGE, TBM_SETRANGEMIN, TBM_SETRANGEMAX, TBM_GETRANGEMIN and TBM_GETRANGEMAX. A
// trackbar tells its dialog with WM_NOTIFY whenever it moves (TRBN_THUMBPOSCHANGING) and
// whenever it paints (NM_CUSTOMDRAW), as the Windows one does.
// Leaves out: every other common control, tick marks, selection ranges, buddy windows, tool
// tips, vertical trackbars, WM_HSCROLL notifications.
#pragma once

#include "win32_types.h"

#define TRACKBAR_CLASSA "msctls_trackbar32"

// Trackbar styles.
#define TBS_AUTOTICKS 0x0001
#define TBS_VERT 0x0002
#define TBS_HORZ 0x0000
#define TBS_TOP 0x0004
#define TBS_BOTTOM 0x0000
#define TBS_BOTH 0x0008
#define TBS_NOTICKS 0x0010

// Trackbar messages.
#define TBM_GETPOS (WM_USER)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TBM_SETRANGEMIN (WM_USER + 7)
#define TBM_SETRANGEMAX (WM_USER + 8)

// Notification codes.
#define NM_FIRST (0U - 0U)
#define NM_CUSTOMDRAW (NM_FIRST - 12)
#define TRBN_FIRST (0U - 1501U)
#define TRBN_THUMBPOSCHANGING (TRBN_FIRST - 1)

#define ICC_BAR_CLASSES 0x00000004

typedef struct tagNMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
} NMHDR, *LPNMHDR;

typedef struct tagINITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;

void WINAPI InitCommonControls(void);
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
