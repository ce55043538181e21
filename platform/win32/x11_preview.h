// The X server as the window stand-in needs it beside SDL: windows of other programs (a
// preview parent given by its X window id), children made inside them, and the screen's
// contents. Internal to the SDL display backend; not part of Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "display_backend.h"

struct _XDisplay;  // Xlib's connection, kept out of the headers that include this one

namespace standin {

class X11Preview {
 public:
  X11Preview() = default;
  ~X11Preview();
  X11Preview(const X11Preview&) = delete;
  X11Preview& operator=(const X11Preview&) = delete;

  bool WindowExists(uint64_t id);
  bool ClientSize(uint64_t id, int& width, int& height);
  bool CaptureRoot(std::vector<uint32_t>& pixels, int& width, int& height);

  // A child window of a foreign window, shown for one of the stand-in's windows.
  bool OpenChild(HWND window, uint64_t parent, int x, int y, int width, int height);
  bool HasChild(HWND window) const { return children_.count(window) != 0; }
  void CloseChild(HWND window);
  void SetVisible(HWND window, bool visible);
  void Place(HWND window, int x, int y, int width, int height);
  bool ShowPicture(HWND window, const uint32_t* pixels, int width, int height, size_t pitchBytes);

  // Turns what the X server reports about the children and their parents into events;
  // waits up to waitMilliseconds for the first one. False when there was nothing.
  bool Collect(std::vector<DisplayEvent>& events, int waitMilliseconds);
  bool HasChildren() const { return !children_.empty(); }

 private:
  struct Child {
    unsigned long id = 0;
    unsigned long parent = 0;
    int width = 0;
    int height = 0;
    bool gone = false;
  };

  bool Connect();
  HWND WindowOf(unsigned long id) const;

  ::_XDisplay* display_ = nullptr;
  bool connectFailed_ = false;
  std::map<HWND, Child> children_;
};

}  // namespace standin
