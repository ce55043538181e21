// The display services that the Direct3D 9 stand-in needs from the window stand-in.
// Not part of Win32: only platform/d3d9 includes this header, never the system code.
// Pixels are 32-bit words 0xXXRRGGBB (D3DFMT_X8R8G8B8 in memory, little-endian), rows top-down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "win32_types.h"

namespace standin {

// Shows a frame in the window's client area, scaled to it if the sizes differ.
// Returns false when the window is gone or the display refused the frame.
bool PresentToWindow(HWND window, const uint32_t* pixels, int width, int height, size_t pitchBytes);

// Refresh rate, in Hz, of the display that shows the window (60 when it cannot be known).
int DisplayRefreshRate(HWND window);

// The whole desktop as it is shown: the X server's root window where there is one, else the
// last frame presented by each saver window at its position on a black desktop of the screen's
// size. Fails only when there is no screen at all.
bool CaptureDesktop(std::vector<uint32_t>& pixels, int& width, int& height);

// OpenGL on a window's client area, for the hardware device: a context with a 16-bit depth
// buffer, current on the calling thread from its creation.
class GlContext {
 public:
  virtual ~GlContext() = default;
  // The address of a GL function, or null.
  virtual void* ProcAddress(const char* name) = 0;
  virtual bool MakeCurrent() = 0;
  // Shows what was drawn; false when the window is gone.
  virtual bool Swap() = 0;
  // 1: every swap waits for the display's refresh; 0: none does. False when refused.
  virtual bool SetSwapInterval(int interval) = 0;
  // The client area's size in pixels.
  virtual void DrawableSize(int& width, int& height) = 0;
};

// Null where the window does not exist or the display offers no OpenGL on it (the headless
// display, a child of another program's window on an X server without GLX).
std::unique_ptr<GlContext> CreateGlContext(HWND window);

}  // namespace standin
