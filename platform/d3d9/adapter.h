// The one adapter of the stand-in and what the reference device on it can do.
// Implements: the current display mode (screen size from the window stand-in, X8R8G8B8, the
// display's refresh rate), the device capabilities, and the answers of CheckDeviceFormat:
// A8R8G8B8 and X8R8G8B8 textures, render targets and plain surfaces, D16 depth surfaces,
// vertex data and 16/32-bit indices. Nothing else is claimed: the rasterizer reads and writes
// only 32-bit colour and 16-bit depth.
// Leaves out: other adapters, display mode enumeration, HAL capabilities.
#pragma once

#include "d3d9.h"

namespace d3d9 {

// Largest texture side the reference device accepts (also its MaxTextureWidth/Height caps).
constexpr UINT kMaxTextureExtent = 4096;
// Largest side of other surfaces (back buffers, plain surfaces): room for wide desktops.
constexpr UINT kMaxSurfaceExtent = 16384;

// False when there is no screen.
bool CurrentDisplayMode(D3DDISPLAYMODE& mode);

D3DCAPS9 ReferenceDeviceCaps();

// D3D_OK, D3DOK_NOAUTOGEN (supported without automatic mipmaps) or D3DERR_NOTAVAILABLE.
HRESULT CheckReferenceFormat(DWORD usage, D3DRESOURCETYPE resourceType, D3DFORMAT format);

}  // namespace d3d9
