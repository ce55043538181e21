// Controls of the headless display backend, for tests and tools that run without a display.
// Not part of Win32. Each call but Choose fails (returns false) when another backend is in use.
#pragma once

#include "win32_types.h"

namespace standin::headless {

// The largest screen side the headless backend takes.
constexpr int kLargestScreenSide = 16384;

// Makes the headless backend, with a screen of width by height pixels, the display of this
// process, whatever the environment names, as ORBELUNE_DISPLAY=headless and
// ORBELUNE_SCREEN_SIZE would. The display is chosen once, at first use: false when that has
// happened already (or the size is not one a screen can have), and nothing changes then.
bool Choose(int screenWidth, int screenHeight);

// True when the headless backend is the one in use.
bool Active();

// Moves the pointer that GetCursorPos reads (screen coordinates).
bool SetCursorPosition(int x, int y);

// Input the display delivers at the next look at the queue, as if the user had made it.
// A null window stands for the window that has the focus then: the one shown last.
bool QueueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the display was last told about the pointer and text input.
bool CursorVisible();
bool TextInputEnabled();

}  // namespace standin::headless
