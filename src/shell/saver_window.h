// The saver window: its class, its shape in each run mode, and its window procedure.
#pragma once

#include "winapi.h"

struct SaverWindowShape {
  HWND parent = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  int width = 0;
  int height = 0;
  const char* title = "";
};

// Registers "WindowsScreenSaverClass"; false when registration fails.
bool RegisterSaverClass();

// The window for the current mode: a child covering the parent's client area in preview mode
// and in a hack run,
// an 800 by 600 client area with a caption in windowed test mode, a topmost popup covering the
// screen in full-screen mode.
SaverWindowShape ChooseSaverWindowShape(HWND parent);

// Creates the saver window at 0, 0; null when that fails.
HWND CreateSaverWindow(const SaverWindowShape& shape);

// First stage: cursor and input method, preview painting, help requests, system commands, and
// a hack run's frames following its window's size.
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Second stage: in full-screen mode, the rules that end the run; then the default handling.
LRESULT SaverInputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints bitmap 128 stretched over the whole client area.
void PaintPreviewPicture(HWND window);
