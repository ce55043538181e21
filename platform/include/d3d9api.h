// The one door from the system code to the Direct3D 9 subset it uses.
// On Windows this is the real platform; elsewhere it is our stand-in in platform/d3d9,
// drawing with the reference device.
#pragma once

#include "winapi.h"

#if defined(_WIN32)
#include <d3d9.h>
#else
#include "../d3d9/d3d9.h"
#endif
