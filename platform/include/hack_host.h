// The X11 host services of a run as an XScreenSaver hack: the window that -root names and the
// daemon's termination signal. None is part of Win32, and no daemon starts the Windows saver
// this way: on Windows there is no such window, and the run ends only as its window closes.
#pragma once

#include "winapi.h"

#if defined(_WIN32)
namespace standin::hack {
inline HWND RootTargetWindow() { return nullptr; }
inline void CloseWindowsOnTermination() {}
}  // namespace standin::hack
#else
#include "../win32/hack_host.h"
#endif
