// The thread's message queue, as seen by the rest of the window stand-in.
// Internal to the window stand-in; not part of Win32.
#pragma once

#include "win32_types.h"

namespace standin {

// Forgets the messages still queued for a window that is being destroyed.
void DropMessagesFor(HWND window);

// Takes what the display backend has to report and turns it into messages and window state.
void PumpDisplay(int waitMilliseconds);

}  // namespace standin
