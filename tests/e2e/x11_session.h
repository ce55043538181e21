// The virtual display as the end-to-end tests see it: finding the program's windows, making a
// window to host a preview, reading pixels, asking a window to close.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct WindowGeometry {
  int x = 0;  // of the window's inside, on the screen
  int y = 0;
  int width = 0;
  int height = 0;
  bool viewable = false;
};

class X11Session {
 public:
  X11Session();
  ~X11Session();
  bool Connected() const { return display_ != nullptr; }

  // A viewable top-level window of the given process (_NET_WM_PID) with this exact title,
  // waiting up to `seconds` for it. Windows of programs that just ended can linger a moment.
  std::optional<::Window> WaitForWindow(const std::string& title, long processId, double seconds);
  WindowGeometry Geometry(::Window window);
  int ScreenWidth() const;
  int ScreenHeight() const;

  // A plain top-level window filled with one colour, to be a preview's parent.
  ::Window CreateHost(int width, int height, unsigned long colour);
  void Resize(::Window window, int width, int height);
  void Move(::Window window, int x, int y);
  void Destroy(::Window window);

  // The window's pixels as shown (0x00RRGGBB, rows top-down), children included.
  std::vector<uint32_t> Pixels(::Window window, int& width, int& height);
  std::vector<::Window> Children(::Window window);

  // Waits up to `seconds` until the middle of the window shows anything but black: the first
  // frame of a run that draws. False when it stayed black that long.
  bool WaitForPicture(::Window window, double seconds);

 private:
  long ProcessOf(::Window window);

  Display* display_ = nullptr;
};

}  // namespace e2e
