// What the saver window asks of the renderer.
#pragma once

#include "winapi.h"

// Reads the settings, creates the device for the window and sets up the scene. A preview
// starts nothing and succeeds at once. On failure the user has already been told, where
// there is something to tell.
BOOL StartRenderer(HWND window, BOOL previewMode);

// Draws and presents one frame with the settings read at start.
void RenderIdleFrame(HWND window, BOOL screenshotRequested);

// Makes the frames as large as the window's client area is now: a window given by another
// program (a hack run's) changes size under the saver. Does nothing before the renderer starts.
void FollowWindowSize();
