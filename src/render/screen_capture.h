// The screenshot: the saver window's client area, cut from the desktop image as it is shown
// on screen, written as a BMP file.
#pragma once

#include "d3d9api.h"
#include "winapi.h"

// A relative name: the file lands in the process's current directory, replacing any older one.
inline constexpr char kScreenshotFileName[] = "OrbeluneSS.bmp";

// Copies the whole desktop into a scratch surface of the display mode's size and writes the
// part under the window's client area (whose size the present parameters record) to the file.
// Fails when the desktop image cannot be had; a file that cannot be written is not a failure
// of the capture.
HRESULT CaptureClientArea(IDirect3D9* direct3D, IDirect3DDevice9* device, HWND window,
                          const D3DPRESENT_PARAMETERS& presentParams, const char* fileName);

// The client area of the window in screen coordinates, `width` by `height` from its top-left
// corner.
RECT ClientAreaOnScreen(HWND window, UINT width, UINT height);
