// The X server as the window stand-in needs it beside SDL: windows of other programs (a
// preview parent given by its X window id), children made inside them, and the screen's
// contents. Internal to the SDL display backend; not part of Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "display_backend.h"
#include "display_bridge.h"

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
  // OpenGL on a child made with a GL visual; null for others, or where GLX refuses.
  std::unique_ptr<GlContext> CreateGlContext(HWND window);
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
    unsigned long colormap = 0;  // the GL visual's own, else none
    unsigned long glVisual = 0;  // the id of the GL visual it was made with, else 0
    // False once the window is destroyed or known gone; its GL context asks before each use.
    std::shared_ptr<bool> exists = std::make_shared<bool>(true);
  };

  bool Connect();
  HWND WindowOf(unsigned long id) const;
  void DestroyChildWindow(const Child& child);
  unsigned long CreateChildWindow(unsigned long parent, int x, int y, int width, int height, Child& made);

  // Shared with the GL contexts, which may be destroyed after this object (the device is).
  std::shared_ptr<::_XDisplay> connection_;
  ::_XDisplay* display_ = nullptr;
  bool connectFailed_ = false;
  std::map<HWND, Child> children_;
};

}  // namespace standin
