// The stand-in's own windows and classes: what a handle stands for.
// Internal to the window stand-in; not part of Win32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win32_types.h"
#include "window.h"

namespace standin {

struct WindowClass {
  std::string name;  // compared without regard to case, as Windows does
  WNDCLASSA description{};
};

// The last picture a window showed: what GDI painted or the Direct3D stand-in presented.
struct WindowPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top-down, width words per row
};

struct Window {
  HWND handle = nullptr;
  const WindowClass* windowClass = nullptr;
  WNDPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  HWND parent = nullptr;  // an own window, a foreign X11 window, or null
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string title;  // as given (code page 932)
  RECT windowRect{};  // outer rectangle: screen coordinates, or parent client ones for a child
  RECT clientRect{};  // client area in the same coordinates as windowRect
  bool visible = false;
  bool needsPaint = false;
  bool eraseOnPaint = false;
  bool destroying = false;
  bool shownByDisplay = false;  // the display backend has a window for it
  WindowPicture picture;
};

// Own handles lie above 2^32, so a decimal X11 window id never names one of them.
bool IsOwnHandle(HWND handle);

Window* FindOwnWindow(HWND handle);  // null for foreign handles and destroyed windows
Window& AddWindow();
void RemoveWindow(HWND handle);
std::vector<HWND> AllWindows();

const WindowClass* FindClass(const char* name);
const WindowClass* AddClass(const WNDCLASSA& description);
bool RemoveClass(const char* name);

// Foreign windows are X11 window ids, which fit in 32 bits.
uint64_t ForeignId(HWND handle);

// Counts anything shown or handled; the queue uses it to notice a caller that only polls.
void NoteActivity();
uint64_t ActivityCount();

}  // namespace standin
