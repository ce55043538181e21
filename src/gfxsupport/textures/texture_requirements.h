// The rules that fit a texture request to a device, apart from the device itself, so that
// they can be applied to any set of caps and supported formats.
#pragma once

#include <functional>

#include "d3d9api.h"

namespace gfx::textures {

struct TextureRequest {
  UINT* width = nullptr;  // each in-out and each may be none
  UINT* height = nullptr;
  UINT* mipLevels = nullptr;
  D3DFORMAT* format = nullptr;
  DWORD usage = 0;
  D3DPOOL pool = D3DPOOL_MANAGED;
};

// `supportsFormat` tells whether the device can make textures of a format for the request's
// usage (only asked outside the scratch pool).
HRESULT FitTextureRequest(const D3DCAPS9& caps, const std::function<bool(D3DFORMAT)>& supportsFormat,
                          const TextureRequest& request);

// Usage bits a texture request may not carry.
inline constexpr DWORD kInvalidTextureUsage = 0xFFE039EC;

}  // namespace gfx::textures
