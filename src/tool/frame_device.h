// The window and the device that a saver frame is drawn with outside the saver, by the tool's
// frame command and by the benchmark: a borderless window at the screen's corner, as the
// full-screen saver's window is, and a device made for it as the saver makes its own, except
// that it is always the reference device, whose pixels are the same on every machine.
#pragma once

#include "render/graphics_device.h"
#include "winapi.h"

// A visible popup window whose client area is width by height pixels; null when it cannot
// be made.
HWND CreateFrameWindow(int width, int height);

// Creates the Direct3D object and a reference device for the window, with the saver's present
// parameters, into `graphics`, where the scene finds them. On failure `graphics` holds nothing
// and *failedCall names the call that failed.
HRESULT CreateReferenceDevice(HWND window, GraphicsDevice* graphics, const char** failedCall);
