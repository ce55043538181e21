// The renderer's process-wide objects (defined in renderer.cpp).
#pragma once

#include "render/graphics_device.h"
#include "render/kaleido_scene.h"

extern GraphicsDevice g_graphicsDevice;
extern KaleidoScene g_kaleidoScene;
