// Making Direct3D 9 textures from image files in memory or in the executable's resources, and
// loading pixels of any known format and size into a surface.
//
// Every operation returns an HRESULT: 0 on success, negative on failure (D3DERR_INVALIDCALL for
// missing pointers and bad arguments, the image decoder's codes for data it cannot read,
// D3DERR_NOTAVAILABLE when the device has no fitting format, E_OUTOFMEMORY). Output pointers
// are written only on success.
#pragma once

#include "d3d9api.h"
#include "gfxsupport/images/image_decoding.h"
#include "gfxsupport/textures/texture_filter.h"

// Special values of the width, height and mip-level arguments (and FromFile for the format).
inline constexpr UINT SizeDefault = 0xFFFFFFFF;         // as 0: power of two, full chain
inline constexpr UINT SizeDefaultNonPow2 = 0xFFFFFFFE;  // the image's own size
inline constexpr UINT FromFile = 0xFFFFFFFD;            // exactly what the file holds, or fail
inline constexpr D3DFORMAT kFormatFromFile = static_cast<D3DFORMAT>(FromFile);

// Converts and resamples `sourceRect` of the pixels at `sourcePixels` (format, row pitch and,
// for palette formats, palette) into `destRect` of the surface (none: all of it). `filter` is a
// filter word (kFilterDefault: FilterTriangle | FilterDither); `colourKey` an ARGB value whose
// matching source pixels become transparent black (0: none).
HRESULT LoadSurfaceFromMemory(IDirect3DSurface9* destSurface, const ImagePaletteEntry* destPalette,
                              const RECT* destRect, const void* sourcePixels, D3DFORMAT sourceFormat, UINT sourcePitch,
                              const ImagePaletteEntry* sourcePalette, const RECT* sourceRect, DWORD filter,
                              D3DCOLOR colourKey);

// Adjusts a texture's width, height, mip levels and format (each in-out, each may be none) to
// what the device can create in `pool` with `usage`.
HRESULT CheckTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* mipLevels, DWORD usage,
                                 D3DFORMAT* format, D3DPOOL pool);

// Decodes the image in `data` and makes a texture of it. width, height: 0 or SizeDefault for
// the image size rounded up to powers of two, SizeDefaultNonPow2 or FromFile for the image
// size. mipLevels: 0 or SizeDefault for the full chain, FromFile for the file's own levels.
// format: D3DFMT_UNKNOWN or kFormatFromFile for the image's format. `info` receives the
// image's measurements; `palette` (256 entries) its palette, where one is wanted. The texture
// carries one reference, the caller's.
HRESULT CreateTextureFromMemory(IDirect3DDevice9* device, const void* data, UINT size, UINT width, UINT height,
                                UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                DWORD mipFilter, D3DCOLOR colourKey, ImageInfo* info, ImagePaletteEntry* palette,
                                IDirect3DTexture9** texture);

// The same over resource `id` of `module` (none: the executable), found as a bitmap or as raw
// data.
HRESULT CreateTextureFromResource(IDirect3DDevice9* device, HMODULE module, UINT id, UINT width, UINT height,
                                  UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                  DWORD mipFilter, D3DCOLOR colourKey, ImageInfo* info, ImagePaletteEntry* palette,
                                  IDirect3DTexture9** texture);
