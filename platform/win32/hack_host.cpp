// Implements: the X11 host services of a hack run (hack_host.h). The root window is asked of a
// connection of our own, opened and closed at once; the window stand-in then treats the id as
// any foreign window's. The termination request goes through termination_signal.h.
// Leaves out: several screens of one display (the default screen's root is taken).
#include "hack_host.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "termination_signal.h"

namespace standin::hack {
namespace {

// XScreenSaver writes the id as 0x hex; decimal is accepted too. Null for anything else.
HWND ParseWindowId(const char* text) {
  const std::string value = text;
  const bool hex = value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X');
  const std::string digits = hex ? value.substr(2) : value;
  if (digits.empty() || digits.size() > 10) return nullptr;
  uint64_t id = 0;
  for (char digit : digits) {
    int number = -1;
    if (digit >= '0' && digit <= '9') number = digit - '0';
    if (hex && digit >= 'a' && digit <= 'f') number = digit - 'a' + 10;
    if (hex && digit >= 'A' && digit <= 'F') number = digit - 'A' + 10;
    if (number < 0) return nullptr;
    id = id * (hex ? 16 : 10) + static_cast<uint64_t>(number);
  }
  return id > 0xFFFFFFFFu ? nullptr : reinterpret_cast<HWND>(static_cast<uintptr_t>(id));
}

}  // namespace

HWND RootTargetWindow() {
  if (const char* named = std::getenv("XSCREENSAVER_WINDOW"); named != nullptr && *named != '\0') {
    return ParseWindowId(named);
  }
  ::Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  const ::Window root = DefaultRootWindow(display);
  XCloseDisplay(display);
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(root));
}

void CloseWindowsOnTermination() { CatchTerminationSignal(); }

}  // namespace standin::hack
