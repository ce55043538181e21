// The one internal interface between the window stand-in and whatever shows its windows.
// Two backends fill it in: SDL2 (display_sdl.cpp, with X11 for preview children of foreign
// windows) and a headless one (display_headless.cpp) for machines and tests without a display.
// The window stand-in owns windows, classes and the message queue; a backend only shows
// pictures, reports input and answers questions about the screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display_bridge.h"
#include "win32_types.h"

namespace standin {

// Where and how a window appears. Coordinates are those of the client area: screen
// coordinates for a top-level window, parent client coordinates for a child of a foreign one.
struct WindowShape {
  std::string titleUtf8;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool borderless = false;  // a popup: no frame, no caption
  bool topmost = false;
  bool closeBox = false;       // the frame offers a close box
  uint64_t foreignParent = 0;  // X11 window id of a foreign parent, 0 for a top-level window
};

// Something that happened on the display, for the window stand-in to turn into messages.
struct DisplayEvent {
  enum class Kind {
    Message,     // deliver message/wParam/lParam to the window as a posted message
    Exposed,     // part of the window must be painted again
    Moved,       // the client area now starts at x, y (screen coordinates)
    Resized,     // the client area is now width by height (a foreign parent was resized)
    ParentGone,  // the foreign parent was destroyed, and the window with it
  };
  Kind kind = Kind::Message;
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class DisplayBackend {
 public:
  virtual ~DisplayBackend() = default;

  virtual const char* Name() const = 0;
  virtual void ScreenSize(int& width, int& height) = 0;
  virtual int RefreshRate(HWND window) = 0;

  virtual bool OpenWindow(HWND window, const WindowShape& shape) = 0;
  virtual void CloseWindow(HWND window) = 0;
  virtual void SetVisible(HWND window, bool visible) = 0;
  virtual void Place(HWND window, int x, int y, int width, int height) = 0;
  virtual void SetTitle(HWND window, const std::string& titleUtf8) = 0;
  // Shows a picture (0xXXRRGGBB words, rows top-down) in the client area, scaled to fit.
  virtual bool ShowPicture(HWND window, const uint32_t* pixels, int width, int height, size_t pitchBytes) = 0;

  // Appends what happened since the last call; waits up to waitMilliseconds when nothing has.
  virtual void CollectEvents(std::vector<DisplayEvent>& events, int waitMilliseconds) = 0;

  virtual POINT CursorPosition() = 0;
  virtual void SetCursorVisible(bool visible) = 0;
  virtual void SetTextInput(bool enabled) = 0;

  // Windows of other programs (a preview parent): X11 window ids.
  virtual bool ForeignWindowExists(uint64_t id) = 0;
  virtual bool ForeignClientSize(uint64_t id, int& width, int& height) = 0;

  // The screen as the display shows it; false when the backend cannot read it back.
  virtual bool CaptureScreen(std::vector<uint32_t>& pixels, int& width, int& height) = 0;

  // OpenGL on a window; null where the backend has none.
  virtual std::unique_ptr<GlContext> CreateGlContext(HWND /*window*/) { return nullptr; }
};

// The backend chosen at first use: ORBELUNE_DISPLAY=headless forces the headless one;
// otherwise SDL2 when a display can be opened, else headless.
DisplayBackend& Display();

std::unique_ptr<DisplayBackend> CreateHeadlessDisplay();
// Null when no display can be opened.
std::unique_ptr<DisplayBackend> CreateSdlDisplay();

}  // namespace standin
