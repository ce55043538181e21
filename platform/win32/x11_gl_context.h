// OpenGL through GLX on the children of foreign X11 windows (a hack's -root or -window-id, a
// preview), for the hardware device, on the X11 code's own connection.
// Not part of Win32: used by the X11 code of the SDL display backend.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

#include "display_bridge.h"

namespace standin {

// A true-colour visual with double-buffered RGB and a 16-bit depth buffer, for a child that
// may carry OpenGL. False when the server has no GLX or no such visual.
bool ChooseGlVisual(::Display* display, XVisualInfo& chosen);

// A context current on `window` from its creation, or null. windowExists tells whether the
// window still exists as far as the X11 code knows; no GL request names it after that. The
// context keeps the connection open until it is destroyed.
std::unique_ptr<GlContext> CreateX11GlContext(std::shared_ptr<::Display> connection, VisualID visual, ::Window window,
                                              std::shared_ptr<const bool> windowExists);

}  // namespace standin
