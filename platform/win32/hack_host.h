// What a run as an XScreenSaver hack needs of the X11 host beside the Win32 subset: the
// window that -root names, and the daemon's way of ending a hack (SIGTERM).
// The system code reaches it through platform/include/hack_host.h; not part of Win32.
#pragma once

#include "win32_types.h"

namespace standin::hack {

// The window a -root run draws into: the one XSCREENSAVER_WINDOW names (decimal or 0x hex),
// or, when the variable is unset or empty, the root window of the display. Null when the
// variable names no number, or when no display can be opened.
HWND RootTargetWindow();

// SIGTERM from now on asks the program's windows to close (WM_CLOSE) instead of killing the
// process, so the run ends the way closing its window ends it.
void CloseWindowsOnTermination();

}  // namespace standin::hack
