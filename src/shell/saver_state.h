// The process-wide state of the screen-saver shell: the run mode flags that the entry and the
// saver run set, and what the saver window keeps between messages. All zero at start.
#pragma once

#include "winapi.h"

// The program's own module, for its icon, bitmap and dialogs. Stored first thing on entry.
extern HINSTANCE appInstance;

// 1 in windowed test and preview modes, 0 in full-screen mode. While it is 1 the window leaves
// the cursor and input method alone, ignores the rules that end a full-screen run and hands
// help requests to its parent.
extern LONG windowedOrPreview;

// 1 while the saver window is a child of a given parent window (preview mode).
extern LONG previewMode;

// 1 while the saver draws into a window that an X screen saver daemon or its settings program
// gave (a hack run): windowedOrPreview is 1 as well, so input ends nothing, yet frames are drawn.
extern LONG hackMode;

// Where the pointer was when the main loop started, or when the mouse rule last fired.
extern POINT lastCursorPos;

// The largest pointer movement, in pixels of Manhattan distance from lastCursorPos, that does
// not end a full-screen run.
constexpr DWORD MouseMoveThreshold = 4;

// 1 asks the next frame to save a screenshot; cleared after every frame. F12 in the windowed
// test mode raises it.
extern LONG screenshotRequested;
