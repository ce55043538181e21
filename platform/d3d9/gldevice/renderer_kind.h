// Whether an OpenGL implementation may serve as the hardware device: a renderer that draws on
// the processor (Mesa's llvmpipe, softpipe and swrast, and the like) counts as no hardware,
// since the reference device is faster there; ORBELUNE_HAL=software admits one anyway, for
// tests on machines without a GPU.
// Implements: the classification of a GL_RENDERER string and the switch.
// Leaves out: any query of the GL itself (the backend passes the string).
#pragma once

#include <string_view>

namespace gldevice {

bool IsSoftwareRenderer(std::string_view renderer);

// ORBELUNE_HAL=software: a software renderer is admitted as the hardware device.
bool SoftwareRendererAdmitted();

}  // namespace gldevice
