// A saver run in full-screen, windowed test or preview mode.
#pragma once

#include "winapi.h"

// The whole life of a run: the single-instance guard (not for a preview), the class and the
// window for the mode, the renderer start, the main loop, the timer resolution. `parent` is
// the preview's parent window, or null. Returns the run's exit code: the code of the quit
// message that ended the loop; 1 when the loop never ran (no window, or the renderer could
// not start and left no quit message of its own).
int RunSaver(HWND parent);

// A hack run inside `host`, a window that an X screen saver daemon or its settings program
// gave: the frames fill a child covering the host and follow its size; input ends nothing and
// there is no single-instance guard; the host's destruction, or the daemon's termination
// signal, ends the run with 0.
int RunHack(HWND host);

// Dispatches waiting messages and draws a frame whenever the queue is empty (never in preview
// mode) until the quit message comes; returns its code.
int RunMainLoop(HWND window);
