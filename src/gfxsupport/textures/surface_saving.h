// Writing a rectangle of a Direct3D 9 surface to an image file.
#pragma once

#include "d3d9api.h"
#include "gfxsupport/images/image_decoding.h"

// Writes `rect` of `surface` (none: the whole surface) to `path` as `fileFormat`. BMP and DIB
// files are written for every surface format that can be converted: the surface's own format
// where a BMP can hold it, otherwise the closest one that can. `palette` (256 entries) is
// needed for palette surfaces.
// D3DERR_INVALIDCALL: path or surface missing, a rectangle outside the surface or inverted, a
// file format that cannot be written, a surface format with no stand-in; ErrInvalidData: the
// file cannot be created; E_FAIL: a write failed; E_OUTOFMEMORY. Nothing is written when the
// arguments are refused.
HRESULT SaveSurfaceToFile(LPCSTR path, DWORD fileFormat, IDirect3DSurface9* surface, const ImagePaletteEntry* palette,
                          const RECT* rect);
