// The present parameters that every device of the saver is created with.
#pragma once

#include "d3d9api.h"

// Every mode, full screen included, draws into a windowed device: the full-screen run's
// window already covers the screen, and a back buffer size of 0 takes the client area.
D3DPRESENT_PARAMETERS PresentParametersFor(D3DFORMAT displayFormat);
