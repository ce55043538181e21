// The hardware device: a device's drawing backend (drawing_backend.h) through OpenGL 2.1 on the
// window's GL context, for D3DDEVTYPE_HAL.
// Implements: creation where the display offers OpenGL 2.1 with framebuffer objects on the
// window and the renderer is hardware (or a software one is admitted, renderer_kind.h).
// Leaves out: what gl_backend.cpp lists.
#pragma once

#include <memory>

#include "drawing_backend.h"

namespace gldevice {

// Null when there is no usable OpenGL for the window.
std::unique_ptr<d3d9::DrawingBackend> CreateBackend(HWND window);

}  // namespace gldevice
