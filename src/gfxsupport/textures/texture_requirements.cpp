#include "gfxsupport/textures/texture_requirements.h"

#include <algorithm>
#include <bit>

#include "gfxsupport/textures/pixel_format_table.h"
#include "gfxsupport/textures/texture_loading.h"

namespace gfx::textures {

namespace {

bool IsBlockFormat(D3DFORMAT format) {
  const PixelFormatDescriptor* descriptor = FindPixelFormat(format);
  return descriptor != nullptr && descriptor->layout == PixelLayout::Blocks;
}

UINT RoundUpToPowerOfTwo(UINT value) {
  return value > 0x80000000u ? 0x80000000u : std::bit_ceil(std::max<UINT>(value, 1));
}

UINT FullChainLength(UINT width, UINT height) {
  return static_cast<UINT>(std::bit_width(std::max({width, height, UINT{1}})));
}

// The device's format for the request: the requested one when supported, else the best match
// among the supported formats the graphics support knows.
HRESULT ChooseDeviceFormat(const std::function<bool(D3DFORMAT)>& supportsFormat, D3DFORMAT requested,
                           D3DFORMAT* chosen) {
  if (requested == D3DFMT_UNKNOWN) requested = D3DFMT_A8R8G8B8;
  const PixelFormatDescriptor* descriptor = FindPixelFormat(requested);
  if (descriptor == nullptr) {
    if (!supportsFormat(requested)) return D3DERR_NOTAVAILABLE;
    *chosen = requested;
    return S_OK;
  }
  const D3DFORMAT best = ChooseBestFormat(RequestFor(*descriptor), AllPixelFormatCodes(), supportsFormat);
  if (best == D3DFMT_UNKNOWN) return D3DERR_NOTAVAILABLE;
  *chosen = best;
  return S_OK;
}

}  // namespace

HRESULT FitTextureRequest(const D3DCAPS9& caps, const std::function<bool(D3DFORMAT)>& supportsFormat,
                          const TextureRequest& request) {
  const bool scratch = request.pool == D3DPOOL_SCRATCH;
  DWORD usage = request.usage == 0xFFFFFFFF ? 0 : request.usage;
  if (usage & kInvalidTextureUsage) return D3DERR_INVALIDCALL;

  D3DFORMAT format = request.format != nullptr ? *request.format : D3DFMT_A8R8G8B8;
  if (scratch) {
    if (format == D3DFMT_UNKNOWN) format = D3DFMT_A8R8G8B8;
  } else {
    const HRESULT result = ChooseDeviceFormat(supportsFormat, format, &format);
    if (FAILED(result)) return result;
  }

  const bool hasWidth = request.width != nullptr && *request.width != SizeDefault;
  const bool hasHeight = request.height != nullptr && *request.height != SizeDefault;
  UINT width = hasWidth ? *request.width : hasHeight ? *request.height : 256;
  UINT height = hasHeight ? *request.height : hasWidth ? *request.width : 256;
  width = std::max<UINT>(width, 1);
  height = std::max<UINT>(height, 1);
  const UINT requestedLevels = request.mipLevels != nullptr ? *request.mipLevels : 0;

  if (!scratch) {
    if (caps.MaxTextureWidth != 0) width = std::min<UINT>(width, caps.MaxTextureWidth);
    if (caps.MaxTextureHeight != 0) height = std::min<UINT>(height, caps.MaxTextureHeight);
    const uint64_t aspect = (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) ? 1 : caps.MaxTextureAspectRatio;
    if (aspect != 0) {
      width = static_cast<UINT>(std::min<uint64_t>(width, aspect * height));
      height = static_cast<UINT>(std::min<uint64_t>(height, aspect * width));
    }
    const bool conditionalNonPow2 =
        (caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) && requestedLevels == 1 && !IsBlockFormat(format);
    if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) && !conditionalNonPow2) {
      width = RoundUpToPowerOfTwo(width);
      height = RoundUpToPowerOfTwo(height);
    }
  }
  if (IsBlockFormat(format)) {
    width = (std::min<UINT>(width, 0xFFFFFFFCu) + 3) & ~UINT{3};
    height = (std::min<UINT>(height, 0xFFFFFFFCu) + 3) & ~UINT{3};
  }

  UINT levels = FullChainLength(width, height);
  const bool nonPow2 = !std::has_single_bit(width) || !std::has_single_bit(height);
  if (!scratch && (!(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) ||
                   ((caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) && nonPow2))) {
    levels = 1;
  } else if (requestedLevels != 0 && requestedLevels != SizeDefault && requestedLevels < levels) {
    levels = requestedLevels;
  }
  if ((usage & D3DUSAGE_AUTOGENMIPMAP) && levels > 1) levels = 0;

  if (request.width != nullptr) *request.width = width;
  if (request.height != nullptr) *request.height = height;
  if (request.mipLevels != nullptr) *request.mipLevels = levels;
  if (request.format != nullptr) *request.format = format;
  return S_OK;
}

}  // namespace gfx::textures

using gfx::textures::FitTextureRequest;
using gfx::textures::kInvalidTextureUsage;
using gfx::textures::TextureRequest;

HRESULT CheckTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* mipLevels, DWORD usage,
                                 D3DFORMAT* format, D3DPOOL pool) {
  if (device == nullptr || pool < D3DPOOL_DEFAULT || pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
  if (usage != 0xFFFFFFFF && (usage & kInvalidTextureUsage)) return D3DERR_INVALIDCALL;
  if (usage == 0xFFFFFFFF) usage = 0;

  D3DCAPS9 caps{};
  HRESULT result = device->GetDeviceCaps(&caps);
  if (FAILED(result)) return result;
  D3DDEVICE_CREATION_PARAMETERS creation{};
  result = device->GetCreationParameters(&creation);
  if (FAILED(result)) return result;
  D3DDISPLAYMODE mode{};
  result = device->GetDisplayMode(0, &mode);
  if (FAILED(result)) return result;
  IDirect3D9* direct3d = nullptr;
  result = device->GetDirect3D(&direct3d);
  if (FAILED(result)) return result;

  auto supportsFormat = [&](D3DFORMAT candidate) {
    return direct3d->CheckDeviceFormat(creation.AdapterOrdinal, creation.DeviceType, mode.Format, usage,
                                       D3DRTYPE_TEXTURE, candidate) == D3D_OK;
  };
  const TextureRequest request{width, height, mipLevels, format, usage, pool};
  result = FitTextureRequest(caps, supportsFormat, request);
  direct3d->Release();
  return result;
}
