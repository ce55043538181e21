// LoadSurfaceFromMemory: pixel conversion into a locked rectangle of a surface.
#include "gfxsupport/textures/pixel_conversion.h"
#include "gfxsupport/textures/pixel_format_table.h"
#include "gfxsupport/textures/texture_loading.h"

using namespace gfx::textures;

namespace {

bool RectangleInside(const RECT& rect, UINT width, UINT height) {
  return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
         static_cast<UINT>(rect.right) <= width && static_cast<UINT>(rect.bottom) <= height;
}

}  // namespace

HRESULT LoadSurfaceFromMemory(IDirect3DSurface9* destSurface, const ImagePaletteEntry* destPalette,
                              const RECT* destRect, const void* sourcePixels, D3DFORMAT sourceFormat, UINT sourcePitch,
                              const ImagePaletteEntry* sourcePalette, const RECT* sourceRect, DWORD filter,
                              D3DCOLOR colourKey) {
  if (destSurface == nullptr || sourcePixels == nullptr || sourceRect == nullptr) return D3DERR_INVALIDCALL;
  if (filter == kFilterDefault) filter = kDefaultImageFilter;
  FilterOptions options;
  if (FAILED(ParseFilter(filter, &options))) return D3DERR_INVALIDCALL;

  // The source rectangle lies in memory that only the caller can measure: it must at least be
  // ordered, start at a pixel, and fit its rows into the pitch.
  const PixelFormatDescriptor* sourceDescriptor = FindPixelFormat(sourceFormat);
  if (sourceDescriptor == nullptr || sourceDescriptor->BytesPerPixel() == 0) return D3DERR_INVALIDCALL;
  const RECT& from = *sourceRect;
  if (from.left < 0 || from.top < 0 || from.left >= from.right || from.top >= from.bottom) return D3DERR_INVALIDCALL;
  const uint64_t bytesPerPixel = sourceDescriptor->BytesPerPixel();
  if (static_cast<uint64_t>(from.right) * bytesPerPixel > sourcePitch) return D3DERR_INVALIDCALL;

  D3DSURFACE_DESC description{};
  HRESULT result = destSurface->GetDesc(&description);
  if (FAILED(result)) return result;
  const RECT whole{0, 0, static_cast<LONG>(description.Width), static_cast<LONG>(description.Height)};
  const RECT to = destRect != nullptr ? *destRect : whole;
  if (!RectangleInside(to, description.Width, description.Height)) return D3DERR_INVALIDCALL;

  SourceBlock source;
  source.format = sourceFormat;
  source.width = static_cast<uint32_t>(from.right - from.left);
  source.height = static_cast<uint32_t>(from.bottom - from.top);
  source.rowPitch = sourcePitch;
  source.palette = sourcePalette;
  source.data =
      static_cast<const BYTE*>(sourcePixels) + uint64_t(from.top) * sourcePitch + uint64_t(from.left) * bytesPerPixel;

  D3DLOCKED_RECT locked{};
  result = destSurface->LockRect(&locked, destRect != nullptr ? &to : nullptr, 0);
  if (FAILED(result)) return result;
  DestinationBlock destination;
  destination.format = description.Format;
  destination.width = static_cast<uint32_t>(to.right - to.left);
  destination.height = static_cast<uint32_t>(to.bottom - to.top);
  destination.rowPitch = static_cast<size_t>(locked.Pitch);
  destination.palette = destPalette;
  destination.data = static_cast<BYTE*>(locked.pBits);
  destination.x = static_cast<uint32_t>(to.left);
  destination.y = static_cast<uint32_t>(to.top);

  result = ConvertPixelBlock(destination, source, filter, colourKey);
  destSurface->UnlockRect();
  return result;
}
