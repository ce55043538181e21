// The window and the device that a saver frame is drawn with outside the saver, by the tool's
// frame command and by the benchmark: a borderless window at the screen's corner, as the
// full-screen saver's window is, and a device made for it as the saver makes its own, except
// that the caller chooses the device: the reference device, whose pixels are the same on every
// machine, or the OpenGL one, for comparing the two.
#pragma once

#include "render/graphics_device.h"
#include "winapi.h"

// A visible popup window whose client area is width by height pixels; null when it cannot
// be made.
HWND CreateFrameWindow(int width, int height);

// Creates the Direct3D object and a device of the given type for the window, with the saver's
// present parameters, into `graphics`, where the scene finds them. On failure `graphics` holds
// nothing and *failedCall names the call that failed.
HRESULT CreateFrameDevice(HWND window, D3DDEVTYPE type, GraphicsDevice* graphics, const char** failedCall);
