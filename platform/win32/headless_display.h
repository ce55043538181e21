// Controls of the headless display backend, for tests that run without a display.
// Not part of Win32. Each call fails (returns false) when another backend is in use.
#pragma once

#include "win32_types.h"

namespace standin::headless {

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
