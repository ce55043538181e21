// The non-client frame that the stand-in reckons for each window style, so that
// AdjustWindowRect, CreateWindowExA and GetClientRect agree with each other.
// Internal to the window stand-in; not part of Win32.
#pragma once

#include "win32_types.h"

namespace standin {

struct FrameInsets {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

FrameInsets NonClientInsets(DWORD style, bool menu);

}  // namespace standin
