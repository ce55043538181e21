// What the Direct3D 9 stand-in asks of the window stand-in.
// Implements: whether a window exists, the size of its client area, and the size of the screen,
// so that the device code depends on the window system through these three questions and
// display_bridge.h alone.
// Leaves out: everything else of windows (the device never changes a window).
#pragma once

#include "d3d9.h"

namespace d3d9 {

bool WindowExists(HWND window);
// False when the window is gone.
bool ClientAreaSize(HWND window, UINT& width, UINT& height);
// False when there is no screen.
bool ScreenSize(UINT& width, UINT& height);

}  // namespace d3d9
