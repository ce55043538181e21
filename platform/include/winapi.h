// The one door from the system code to the Win32 subset it uses.
// On Windows this is the real platform; elsewhere it is our stand-in in platform/win32.
#pragma once

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <winnls32.h>
#else
#include "../win32/win32_api.h"
#endif
