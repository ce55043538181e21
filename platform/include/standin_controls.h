// The controls of the Linux stand-ins that a tool needs to run the saver's code on its own
// terms: no display, a clock that reads what the tool says, a registry file of its choosing.
// None is part of Win32. Such tools are built for Linux only; on Windows this header merely
// declares them, so that the system code that calls them still compiles there.
#pragma once

#include "winapi.h"

#if defined(_WIN32)
void TimerFreeze(DWORD now);
bool RegistryUseFile(const char* path);
namespace standin::headless {
bool Choose(int screenWidth, int screenHeight);
}
#else
#include "../win32/headless_display.h"
#include "../win32/registry_control.h"
#include "../win32/timer_control.h"
#endif
