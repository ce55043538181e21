// Multimedia timer and thread sleep.
// Implements: timeGetTime (CLOCK_MONOTONIC in unsigned 32-bit milliseconds that wrap),
// timeBeginPeriod/timeEndPeriod (accepted and counted: the monotonic clock already advances in
// 1 ms steps), Sleep. Tests move the clock through timer_control.h.
// Leaves out: timeSetEvent, timeGetDevCaps, SleepEx and alertable waits.
#pragma once

#include "win32_types.h"

typedef UINT MMRESULT;

#define TIMERR_BASE 96
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO (TIMERR_BASE + 1)
#define TIMERR_STRUCT (TIMERR_BASE + 33)

#define INFINITE 0xFFFFFFFF

DWORD WINAPI timeGetTime(void);
MMRESULT WINAPI timeBeginPeriod(UINT uPeriod);
MMRESULT WINAPI timeEndPeriod(UINT uPeriod);
void WINAPI Sleep(DWORD dwMilliseconds);
