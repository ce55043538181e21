// Test control of the stand-in clock behind timeGetTime. Not part of Win32: only tests and
// tools include this header.
#pragma once

#include "win32_types.h"

// From now on timeGetTime reads `now` and keeps advancing with the monotonic clock.
void TimerSetCurrentTime(DWORD now);
// From now on timeGetTime returns exactly `now` until TimerResume.
void TimerFreeze(DWORD now);
// Lets a frozen clock advance again from the value it was frozen at.
void TimerResume(void);
// Back to the plain monotonic clock.
void TimerReset(void);
