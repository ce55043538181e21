// CreateTextureFromMemory and CreateTextureFromResource: decode, choose size, levels and
// format, create the texture and fill every level.
#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "gfxsupport/textures/argb32_levels.h"
#include "gfxsupport/textures/pixel_conversion.h"
#include "gfxsupport/textures/pixel_format_table.h"
#include "gfxsupport/textures/texture_loading.h"
#include "gfxsupport/read_failure.h"

using namespace gfx::textures;

using gfx::ClearReadFailure;
using gfx::RefuseWith;

namespace {

// T8 and T4: the 3- and 2-bit channel levels of R3G3B2 widened to 8 bits.
constexpr BYTE kLevels3[8] = {0, 36, 73, 109, 146, 182, 219, 255};
constexpr BYTE kLevels2[4] = {0, 85, 170, 255};

// Owns the decoded image for the length of the call.
struct DecodedImageHolder {
  DecodedImage image = EmptyDecodedImage();
  ~DecodedImageHolder() { FreeDecodedImage(&image); }
};

// Owns a texture until it is handed out.
struct TextureHolder {
  IDirect3DTexture9* texture = nullptr;
  ~TextureHolder() {
    if (texture != nullptr) texture->Release();
  }
  IDirect3DTexture9* Take() { return std::exchange(texture, nullptr); }
};

UINT ChooseSize(UINT requested, UINT imageSize) {
  if (requested == SizeDefaultNonPow2 || requested == FromFile || imageSize > INT_MAX) return imageSize;
  if (requested == 0 || requested == SizeDefault) return std::bit_ceil(std::max<UINT>(imageSize, 1));
  return requested;
}

bool IsGreyRamp(const ImagePaletteEntry* palette) {
  for (int i = 0; i < 256; ++i) {
    const ImagePaletteEntry& entry = palette[i];
    if (entry.red != i || entry.green != i || entry.blue != i || entry.alpha != 255) return false;
  }
  return true;
}

bool IsR3G3B2Palette(const ImagePaletteEntry* palette) {
  for (int i = 0; i < 256; ++i) {
    const ImagePaletteEntry& entry = palette[i];
    if (entry.red != kLevels3[i >> 5] || entry.green != kLevels3[(i >> 2) & 7] || entry.blue != kLevels2[i & 3] ||
        entry.alpha != 255)
      return false;
  }
  return true;
}

bool AnyTranslucentEntry(const ImagePaletteEntry* palette) {
  for (int i = 0; i < 256; ++i) {
    if (palette[i].alpha != 255) return true;
  }
  return false;
}

// A format like `format` that has a 1-bit alpha channel, for colour-keyed images of a format
// without alpha; `format` itself when there is none.
D3DFORMAT FormatWithKeyAlpha(D3DFORMAT format) {
  const PixelFormatDescriptor* descriptor = FindPixelFormat(format);
  if (descriptor == nullptr || descriptor->HasAlpha() || descriptor->layout != PixelLayout::PackedFields) return format;
  FormatRequest request = RequestFor(*descriptor);
  request.format = D3DFMT_UNKNOWN;
  request.widths[MatchAlpha] = 1;
  const D3DFORMAT chosen = ChooseBestFormat(request, AllPixelFormatCodes(), [](D3DFORMAT candidate) {
    const PixelFormatDescriptor* d = FindPixelFormat(candidate);
    return d->layout == PixelLayout::PackedFields && d->HasAlpha();
  });
  return chosen != D3DFMT_UNKNOWN ? chosen : format;
}

// What is known about the image once it is decoded and its palette examined.
struct SourceImage {
  const DecodedImage* levels;
  UINT levelCount;
  D3DFORMAT format;  // the decoded format, or L8 / R3G3B2 for palettes that are exactly those
  bool hasPalette;
  ImagePaletteEntry palette[256];
  D3DCOLOR colourKey;  // 0 once a palette has taken the key in
};

void PrepareSource(const DecodedImage& image, D3DFORMAT requested, D3DCOLOR colourKey, SourceImage* source) {
  source->levels = &image;
  source->levelCount = CountDecodedLevels(image);
  source->format = static_cast<D3DFORMAT>(image.format);
  source->hasPalette = image.palette != nullptr;
  source->colourKey = colourKey;
  if (!source->hasPalette) {
    std::memset(source->palette, 0xFF, sizeof source->palette);
    return;
  }
  std::memcpy(source->palette, image.palette, sizeof source->palette);
  if (colourKey != 0) {
    const ImagePaletteEntry key{static_cast<BYTE>(colourKey >> 16), static_cast<BYTE>(colourKey >> 8),
                                static_cast<BYTE>(colourKey), static_cast<BYTE>(colourKey >> 24)};
    for (ImagePaletteEntry& entry : source->palette) {
      if (std::memcmp(&entry, &key, sizeof key) == 0) entry = {0, 0, 0, 0};
    }
    source->colourKey = 0;
  }
  if (requested != D3DFMT_P8 && source->format == D3DFMT_P8) {
    if (IsGreyRamp(source->palette)) {
      source->format = D3DFMT_L8;
    } else if (IsR3G3B2Palette(source->palette)) {
      source->format = D3DFMT_R3G3B2;
    }
  }
}

// The texture format from the image's, for a format argument of 0 or FromFile.
D3DFORMAT FormatFromImage(const SourceImage& source, D3DPOOL pool) {
  D3DFORMAT format = source.format;
  if (source.colourKey != 0) format = FormatWithKeyAlpha(format);
  if (format == kFormatCodeAL16) format = D3DFMT_A8L8;
  if (format == kFormatCodeR16) format = D3DFMT_A16B16G16R16;
  if (pool != D3DPOOL_SCRATCH && format == D3DFMT_R8G8B8) format = D3DFMT_X8R8G8B8;
  return format;
}

RECT LevelRect(const DecodedImage& level) {
  return {static_cast<LONG>(level.sourceBox.left), static_cast<LONG>(level.sourceBox.top),
          static_cast<LONG>(level.sourceBox.right), static_cast<LONG>(level.sourceBox.bottom)};
}

// Loads one source level into level `index` of the texture.
HRESULT LoadLevel(IDirect3DTexture9* texture, UINT index, const DecodedImage& level, const SourceImage& source,
                  const ImagePaletteEntry* paletteOut, DWORD filter) {
  IDirect3DSurface9* surface = nullptr;
  HRESULT result = texture->GetSurfaceLevel(index, &surface);
  if (FAILED(result)) return result;
  const RECT rect = LevelRect(level);
  const D3DFORMAT format =
      level.format == static_cast<DWORD>(D3DFMT_P8) ? source.format : static_cast<D3DFORMAT>(level.format);
  result = LoadSurfaceFromMemory(surface, paletteOut, nullptr, level.pixels, format, level.rowPitch, source.palette,
                                 &rect, filter, source.colourKey);
  surface->Release();
  return result;
}

// Fills level `index` from level `index - 1` of the same texture with the mip filter.
HRESULT FilterLevelFromAbove(IDirect3DTexture9* texture, UINT index, const ImagePaletteEntry* palette,
                             DWORD mipFilter) {
  IDirect3DSurface9* above = nullptr;
  IDirect3DSurface9* below = nullptr;
  HRESULT result = texture->GetSurfaceLevel(index - 1, &above);
  if (SUCCEEDED(result)) result = texture->GetSurfaceLevel(index, &below);
  D3DSURFACE_DESC description{};
  if (SUCCEEDED(result)) result = above->GetDesc(&description);
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(result)) result = above->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  if (SUCCEEDED(result)) {
    const RECT rect{0, 0, static_cast<LONG>(description.Width), static_cast<LONG>(description.Height)};
    result = LoadSurfaceFromMemory(below, palette, nullptr, locked.pBits, description.Format,
                                   static_cast<UINT>(locked.Pitch), palette, &rect, mipFilter, 0);
    above->UnlockRect();
  }
  if (below != nullptr) below->Release();
  if (above != nullptr) above->Release();
  return result;
}

// Direct resampling makes every remaining level from the same source level. Reading that
// level once into floats (palette looked up, key applied) spares reading and keying it again
// for each level; the levels come out the same. Not done for sRGB conversions, nor for images
// whose float copy would take more than 64 MB.
constexpr uint64_t kMaxPreparedPixels = 4u << 20;

struct PreparedLevel {
  std::unique_ptr<FloatColour[]> pixels;  // left uninitialised: every pixel is written
  uint32_t width = 0, height = 0;
};

// The level's source box as a block, as LoadLevel hands it to LoadSurfaceFromMemory; no data
// when the format cannot be read pixel by pixel.
SourceBlock LevelSource(const DecodedImage& level, const SourceImage& source) {
  const ImageBox& box = level.sourceBox;
  SourceBlock from;
  from.format = level.format == static_cast<DWORD>(D3DFMT_P8) ? source.format : static_cast<D3DFORMAT>(level.format);
  from.width = box.right - box.left;
  from.height = box.bottom - box.top;
  from.rowPitch = level.rowPitch;
  from.palette = source.palette;
  const PixelFormatDescriptor* descriptor = FindPixelFormat(from.format);
  if (descriptor != nullptr && descriptor->BytesPerPixel() != 0) {
    from.data = level.pixels + size_t{box.top} * level.rowPitch + size_t{box.left} * descriptor->BytesPerPixel();
  }
  return from;
}

bool PrepareLevel(const DecodedImage& level, const SourceImage& source, DWORD filter, PreparedLevel* prepared) {
  const SourceBlock from = LevelSource(level, source);
  const uint32_t width = from.width, height = from.height;
  if ((filter & kFilterSrgb) != 0 || from.data == nullptr || width == 0 || height == 0 ||
      uint64_t{width} * height > kMaxPreparedPixels)
    return false;
  prepared->pixels.reset(new (std::nothrow) FloatColour[size_t{width} * height]);
  if (prepared->pixels == nullptr) return false;
  DestinationBlock to;
  to.format = D3DFMT_A32B32G32R32F;
  to.width = width;
  to.height = height;
  to.rowPitch = size_t{width} * sizeof(FloatColour);
  to.data = reinterpret_cast<BYTE*>(prepared->pixels.get());
  prepared->width = width;
  prepared->height = height;
  return SUCCEEDED(ConvertPixelBlock(to, from, FilterNone, source.colourKey));
}

HRESULT LoadPreparedLevel(IDirect3DTexture9* texture, UINT index, const PreparedLevel& prepared, DWORD filter) {
  IDirect3DSurface9* surface = nullptr;
  HRESULT result = texture->GetSurfaceLevel(index, &surface);
  if (FAILED(result)) return result;
  const RECT rect{0, 0, static_cast<LONG>(prepared.width), static_cast<LONG>(prepared.height)};
  result = LoadSurfaceFromMemory(surface, nullptr, nullptr, prepared.pixels.get(), D3DFMT_A32B32G32R32F,
                                 static_cast<UINT>(prepared.width * sizeof(FloatColour)), nullptr, &rect, filter, 0);
  surface->Release();
  return result;
}

bool SameSizeAsLevel(IDirect3DTexture9* texture, UINT index, const DecodedImage& level) {
  D3DSURFACE_DESC description{};
  if (FAILED(texture->GetLevelDesc(index, &description))) return false;
  const ImageBox& box = level.sourceBox;
  return description.Width == box.right - box.left && description.Height == box.bottom - box.top;
}

// Surfaces of a texture's levels locked together; unlocked and released on the way out.
class LockedLevels {
 public:
  ~LockedLevels() {
    for (IDirect3DSurface9* surface : locked_) surface->UnlockRect();
    for (IDirect3DSurface9* surface : held_) surface->Release();
  }
  HRESULT Lock(IDirect3DTexture9* texture, UINT index, const ImagePaletteEntry* palette, DestinationBlock* block) {
    IDirect3DSurface9* surface = nullptr;
    HRESULT result = texture->GetSurfaceLevel(index, &surface);
    if (FAILED(result)) return result;
    held_.push_back(surface);
    D3DSURFACE_DESC description{};
    result = surface->GetDesc(&description);
    if (FAILED(result)) return result;
    D3DLOCKED_RECT locked{};
    result = surface->LockRect(&locked, nullptr, 0);
    if (FAILED(result)) return result;
    locked_.push_back(surface);
    block->format = description.Format;
    block->width = description.Width;
    block->height = description.Height;
    block->rowPitch = static_cast<size_t>(locked.Pitch);
    block->palette = palette;
    block->data = static_cast<BYTE*>(locked.pBits);
    return S_OK;
  }

 private:
  std::vector<IDirect3DSurface9*> held_, locked_;
};

// Levels [first, end) of a 32-bit ARGB texture straight from one 32-bit ARGB source level,
// the pixels LoadLevel gives each: a level of the source's own size by itself, all others
// together in one pass over the source.
HRESULT LoadArgb32Levels(IDirect3DTexture9* texture, UINT first, UINT end, const DecodedImage& level,
                         const SourceImage& source, const ImagePaletteEntry* paletteOut, DWORD filter) {
  LockedLevels locked;
  std::vector<DestinationBlock> blocks;
  for (UINT index = first; index < end; ++index) {
    HRESULT result;
    if (SameSizeAsLevel(texture, index, level)) {
      result = LoadLevel(texture, index, level, source, paletteOut, filter);
    } else {
      blocks.emplace_back();
      result = locked.Lock(texture, index, paletteOut, &blocks.back());
    }
    if (FAILED(result)) return result;
  }
  return ResampleArgb32Levels(LevelSource(level, source), blocks, filter, source.colourKey);
}

HRESULT FillLevels(IDirect3DTexture9* texture, const SourceImage& source, const ImagePaletteEntry* paletteOut,
                   DWORD filter, DWORD mipFilter, bool chainFiltering) {
  const UINT textureLevels = texture->GetLevelCount();
  if (textureLevels == 0) return S_OK;
  const UINT loadedLevels = std::min(textureLevels, source.levelCount);
  D3DSURFACE_DESC description{};
  HRESULT result = texture->GetLevelDesc(0, &description);
  if (FAILED(result)) return result;
  const PixelFormatDescriptor* textureFormat = FindPixelFormat(description.Format);
  // A palette texture keeps choosing among its entries from the source itself.
  const bool paletteTexture = textureFormat != nullptr && textureFormat->layout == PixelLayout::PaletteIndex;

  const DecodedImage* level = source.levels;
  for (UINT index = 0; index + 1 < loadedLevels; ++index, level = level->nextLevel) {
    result = LoadLevel(texture, index, *level, source, paletteOut, filter);
    if (FAILED(result)) return result;
  }
  const DecodedImage& lastUsed = *level;
  const UINT lastIndex = loadedLevels - 1;

  const bool directResampling = !chainFiltering && !paletteTexture && textureLevels > loadedLevels;
  if (directResampling && ResamplesAsArgb32Levels(LevelSource(lastUsed, source), description.Format, filter))
    return LoadArgb32Levels(texture, lastIndex, textureLevels, lastUsed, source, paletteOut, filter);
  PreparedLevel prepared;
  if (directResampling && PrepareLevel(lastUsed, source, filter, &prepared)) {
    // A same-size level converts fastest straight from the source.
    result = SameSizeAsLevel(texture, lastIndex, lastUsed)
                 ? LoadLevel(texture, lastIndex, lastUsed, source, paletteOut, filter)
                 : LoadPreparedLevel(texture, lastIndex, prepared, filter);
    for (UINT index = lastIndex + 1; SUCCEEDED(result) && index < textureLevels; ++index)
      result = LoadPreparedLevel(texture, index, prepared, filter);
    return result;
  }

  result = LoadLevel(texture, lastIndex, lastUsed, source, paletteOut, filter);
  // A palette texture's levels keep the caller's palette; conversions read it too.
  const ImagePaletteEntry* chainPalette = paletteOut != nullptr ? paletteOut : source.palette;
  for (UINT index = lastIndex + 1; SUCCEEDED(result) && index < textureLevels; ++index) {
    result = chainFiltering ? FilterLevelFromAbove(texture, index, chainPalette, mipFilter)
                            : LoadLevel(texture, index, lastUsed, source, paletteOut, filter);
  }
  return result;
}

}  // namespace

HRESULT CreateTextureFromMemory(IDirect3DDevice9* device, const void* data, UINT size, UINT width, UINT height,
                                UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                DWORD mipFilter, D3DCOLOR colourKey, ImageInfo* info, ImagePaletteEntry* palette,
                                IDirect3DTexture9** texture) {
  if (device == nullptr || data == nullptr || size == 0 || texture == nullptr)
    return RefuseWith(D3DERR_INVALIDCALL, "no device, no data or nowhere to put the texture");
  if (pool < D3DPOOL_DEFAULT || pool > D3DPOOL_SCRATCH)
    return RefuseWith(D3DERR_INVALIDCALL, "memory pool %d is none of Direct3D's", static_cast<int>(pool));
  if (filter == kFilterDefault) filter = kDefaultImageFilter;
  if (mipFilter == kFilterDefault) mipFilter = kDefaultMipFilter;
  FilterOptions imageOptions, mipOptions;
  if (FAILED(ParseFilter(filter, &imageOptions)) || FAILED(ParseFilter(mipFilter, &mipOptions)))
    return RefuseWith(D3DERR_INVALIDCALL, "filter 0x%lX or mip filter 0x%lX is not a filter word",
                      static_cast<unsigned long>(filter), static_cast<unsigned long>(mipFilter));

  const bool widthFromFile = width == FromFile;
  const bool heightFromFile = height == FromFile;
  const bool levelsFromFile = mipLevels == FromFile;
  const bool formatFromFile = format == kFormatFromFile;

  DecodedImageHolder decoded;
  ImageInfo imageInfo{};
  HRESULT result = DecodeImage(data, size, &decoded.image, &imageInfo);
  if (FAILED(result)) return result;
  SourceImage source;
  PrepareSource(decoded.image, format, colourKey, &source);

  if (levelsFromFile) mipLevels = source.levelCount;
  if (mipLevels == SizeDefault) mipLevels = 0;
  width = ChooseSize(width, decoded.image.width);
  height = ChooseSize(height, decoded.image.height);
  const bool chainFiltering =
      imageOptions.code == FilterNone || mipOptions.code == FilterPoint || mipOptions.code == FilterBox;

  if (format == D3DFMT_UNKNOWN || formatFromFile) format = FormatFromImage(source, pool);
  // A palette texture's levels use the working palette, which is what the caller receives.
  const ImagePaletteEntry* texturePalette = palette != nullptr ? source.palette : nullptr;
  const bool keepPaletteFormat = palette != nullptr && source.hasPalette;
  if (!keepPaletteFormat && (format == D3DFMT_A8P8 || format == D3DFMT_P8)) {
    if (formatFromFile)
      return RefuseWith(D3DERR_INVALIDCALL, "the file's palette format is asked for without a palette");
    format = format == D3DFMT_A8P8 || AnyTranslucentEntry(source.palette) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  }
  const bool staging = pool == D3DPOOL_DEFAULT && !(usage & D3DUSAGE_DYNAMIC);

  const UINT askedWidth = width, askedHeight = height, askedLevels = mipLevels;
  const D3DFORMAT askedFormat = format;
  result = CheckTextureRequirements(device, &width, &height, &mipLevels, usage, &format, pool);
  if (FAILED(result)) return RefuseWith(result, "the device makes no texture of this usage and format");
  if ((widthFromFile && width != askedWidth) || (heightFromFile && height != askedHeight) ||
      (levelsFromFile && mipLevels != askedLevels) || (formatFromFile && format != askedFormat))
    return RefuseWith(D3DERR_NOTAVAILABLE, "the device cannot take the file's own size, levels or format");

  TextureHolder created, staged;
  result = device->CreateTexture(width, height, mipLevels, usage & 0xFFE07FFF, format, pool, &created.texture, nullptr);
  if (FAILED(result)) return RefuseWith(result, "the device cannot create a texture of %u x %u", width, height);
  if (staging) {
    result = device->CreateTexture(width, height, created.texture->GetLevelCount(), 0, format, D3DPOOL_SYSTEMMEM,
                                   &staged.texture, nullptr);
    if (FAILED(result)) return RefuseWith(result, "the device cannot create a texture of %u x %u", width, height);
  }
  IDirect3DTexture9* filled = staging ? staged.texture : created.texture;
  result = FillLevels(filled, source, texturePalette, filter, mipFilter, chainFiltering);
  if (FAILED(result)) return RefuseWith(result, "the pixels cannot be converted into the texture");
  if (staging) {
    result = device->UpdateTexture(staged.texture, created.texture);
    if (FAILED(result)) return RefuseWith(result, "the texture cannot be copied to the device");
  }
  if (info != nullptr) *info = imageInfo;
  if (palette != nullptr) std::memcpy(palette, source.palette, sizeof source.palette);
  *texture = created.Take();
  ClearReadFailure();
  return S_OK;
}

HRESULT CreateTextureFromResource(IDirect3DDevice9* device, HMODULE module, UINT id, UINT width, UINT height,
                                  UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                  DWORD mipFilter, D3DCOLOR colourKey, ImageInfo* info, ImagePaletteEntry* palette,
                                  IDirect3DTexture9** texture) {
  const void* data = nullptr;
  UINT size = 0;
  const HRESULT result = FindResourceData(module, id, &data, &size);
  if (FAILED(result)) return result;
  return CreateTextureFromMemory(device, data, size, width, height, mipLevels, usage, format, pool, filter, mipFilter,
                                 colourKey, info, palette, texture);
}
