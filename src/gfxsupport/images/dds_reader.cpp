// DirectDraw surfaces: a 128-byte header ("DDS " and the surface description), then for each
// cube face (or the one image) its mip levels from the largest down, each level holding all of
// its depth slices for a volume.
//
// Pixel layouts: bit-field masks (RGB, luminance, alpha only), 8-bit palette indices (a
// 256-entry palette follows the header), DXT1 to DXT5 blocks, and the Direct3D format numbers
// A16B16G16R16 and the 16 and 32-bit float formats in the four-character-code field. Layouts
// that are one of the decoded formats keep their bytes in place; the others are converted:
// DXT blocks and other 8-bit masks to A8R8G8B8 or X8R8G8B8, masks wider than 8 bits and floats
// to A16B16G16R16, A4L4 to A8L8.
//
// A cube map must hold all six faces of a square size; its faces are linked in the order +X,
// -X, +Y, -Y, +Z, -Z and it is reported as a cube texture. A volume is reported as a volume
// texture. Data that ends before the last level is damage. Refused: the DX10 extended header,
// other four-character codes.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "gfxsupport/images/dxt_blocks.h"
#include "gfxsupport/images/image_reader.h"

namespace gfx::images {

namespace {

constexpr size_t kHeaderSize = 128;
constexpr uint32_t kFlagMipCount = 0x20000;
constexpr uint32_t kFlagDepth = 0x800000;
constexpr uint32_t kPixelAlphaPixels = 0x1;
constexpr uint32_t kPixelAlpha = 0x2;
constexpr uint32_t kPixelFourCC = 0x4;
constexpr uint32_t kPixelPalette8 = 0x20;
constexpr uint32_t kPixelRgb = 0x40;
constexpr uint32_t kPixelLuminance = 0x20000;
constexpr uint32_t kCaps2CubeMap = 0x200;
constexpr uint32_t kCaps2AllFaces = 0xFC00;
constexpr uint32_t kCaps2Volume = 0x200000;

// How one layout is read and what it becomes.
enum class Layout {
  InPlace,    // bytes are already the decoded format
  Masked8,    // bit-field masks of at most 8 bits each, to A8R8G8B8 / X8R8G8B8
  Masked16,   // bit-field masks wider than 8 bits, to A16B16G16R16
  AlphaLum4,  // A4L4 to A8L8
  Half,       // 16-bit floats, to A16B16G16R16
  Single,     // 32-bit floats, to A16B16G16R16
  Blocks,     // DXT, to A8R8G8B8
};

struct PixelLayout {
  Layout layout = Layout::InPlace;
  DWORD decodedFormat = 0;
  UINT decodedBytes = 0;    // bytes per decoded pixel
  unsigned storedBits = 0;  // bits per stored pixel (blocks: 0)
  unsigned floatChannels = 0;
  DxtKind dxt = DxtKind::Dxt1;
  uint32_t masks[4] = {0, 0, 0, 0};  // red (or luminance), green, blue, alpha
  bool paletted = false;
};

constexpr DWORD FourCC(char a, char b, char c, char d) { return ImagePixelFormat::FourCC(a, b, c, d); }

HRESULT ChooseLayout(const BYTE* pf, PixelLayout* out) {
  const uint32_t flags = ReadLittle32(pf + 4);
  const uint32_t fourCC = ReadLittle32(pf + 8);
  const uint32_t bits = ReadLittle32(pf + 12);
  uint32_t masks[4] = {ReadLittle32(pf + 16), ReadLittle32(pf + 20), ReadLittle32(pf + 24), ReadLittle32(pf + 28)};
  if (!(flags & (kPixelAlphaPixels | kPixelAlpha))) masks[3] = 0;
  PixelLayout& p = *out;
  std::memcpy(p.masks, masks, sizeof masks);

  if (flags & kPixelFourCC) {
    switch (fourCC) {
      case FourCC('D', 'X', 'T', '1'):
        p.dxt = DxtKind::Dxt1;
        break;
      case FourCC('D', 'X', 'T', '2'):
        p.dxt = DxtKind::Dxt2;
        break;
      case FourCC('D', 'X', 'T', '3'):
        p.dxt = DxtKind::Dxt3;
        break;
      case FourCC('D', 'X', 'T', '4'):
        p.dxt = DxtKind::Dxt4;
        break;
      case FourCC('D', 'X', 'T', '5'):
        p.dxt = DxtKind::Dxt5;
        break;
      case 36:  // A16B16G16R16
        p = PixelLayout{Layout::InPlace, ImagePixelFormat::A16B16G16R16, 8, 64};
        return S_OK;
      case 111:
        p = PixelLayout{Layout::Half, ImagePixelFormat::A16B16G16R16, 8, 16, 1};
        return S_OK;
      case 112:
        p = PixelLayout{Layout::Half, ImagePixelFormat::A16B16G16R16, 8, 32, 2};
        return S_OK;
      case 113:
        p = PixelLayout{Layout::Half, ImagePixelFormat::A16B16G16R16, 8, 64, 4};
        return S_OK;
      case 114:
        p = PixelLayout{Layout::Single, ImagePixelFormat::A16B16G16R16, 8, 32, 1};
        return S_OK;
      case 115:
        p = PixelLayout{Layout::Single, ImagePixelFormat::A16B16G16R16, 8, 64, 2};
        return S_OK;
      case 116:
        p = PixelLayout{Layout::Single, ImagePixelFormat::A16B16G16R16, 8, 128, 4};
        return S_OK;
      default:
        if (fourCC < 256) return Refuse("pixel format %u is not read", fourCC);
        return Refuse("pixel format \"%.4s\" is not read", reinterpret_cast<const char*>(pf + 8));
    }
    p.layout = Layout::Blocks;
    p.decodedFormat = ImagePixelFormat::A8R8G8B8;
    p.decodedBytes = 4;
    p.storedBits = 0;
    return S_OK;
  }
  if (flags & kPixelPalette8) {
    if (bits != 8) return Refuse("palette indices of %u bits", bits);
    p.layout = Layout::InPlace, p.decodedFormat = ImagePixelFormat::P8, p.decodedBytes = 1, p.storedBits = 8;
    p.paletted = true;
    return S_OK;
  }
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return Refuse("%u bits per pixel", bits);
  p.storedBits = bits;
  if (bits < 32) {
    for (uint32_t& mask : p.masks) mask &= (1u << bits) - 1;
  }
  const uint32_t* m = p.masks;
  if (flags & kPixelLuminance) {
    if (bits == 8 && m[0] == 0xFF && m[3] == 0) {
      p.layout = Layout::InPlace, p.decodedFormat = ImagePixelFormat::L8, p.decodedBytes = 1;
    } else if (bits == 16 && m[0] == 0xFF && m[3] == 0xFF00) {
      p.layout = Layout::InPlace, p.decodedFormat = ImagePixelFormat::A8L8, p.decodedBytes = 2;
    } else if (bits == 16 && m[0] == 0xFFFF && m[3] == 0) {
      p.layout = Layout::InPlace, p.decodedFormat = ImagePixelFormat::L16, p.decodedBytes = 2;
    } else if (bits == 8 && m[0] == 0x0F && m[3] == 0xF0) {
      p.layout = Layout::AlphaLum4, p.decodedFormat = ImagePixelFormat::A8L8, p.decodedBytes = 2;
    } else {
      return Refuse("luminance masks of an unknown layout");
    }
    return S_OK;
  }
  if (flags & kPixelRgb) {
    struct Direct {
      unsigned bits;
      uint32_t r, g, b, a;
      DWORD format;
    };
    static constexpr Direct kDirect[] = {
        {24, 0xFF0000, 0xFF00, 0xFF, 0, ImagePixelFormat::R8G8B8},
        {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u, ImagePixelFormat::A8R8G8B8},
        {32, 0xFF0000, 0xFF00, 0xFF, 0, ImagePixelFormat::X8R8G8B8},
        {16, 0x7C00, 0x3E0, 0x1F, 0x8000, ImagePixelFormat::A1R5G5B5},
        {16, 0x7C00, 0x3E0, 0x1F, 0, ImagePixelFormat::X1R5G5B5},
        {8, 0xE0, 0x1C, 0x03, 0, ImagePixelFormat::R3G3B2},
    };
    for (const Direct& d : kDirect) {
      if (d.bits == bits && d.r == m[0] && d.g == m[1] && d.b == m[2] && d.a == m[3]) {
        p.layout = Layout::InPlace, p.decodedFormat = d.format, p.decodedBytes = bits / 8;
        return S_OK;
      }
    }
  } else if (!(flags & kPixelAlpha)) {
    return Refuse("pixel format flags name no known kind of pixels");
  } else {
    p.masks[0] = p.masks[1] = p.masks[2] = 0;  // alpha only
  }
  if ((p.masks[0] | p.masks[1] | p.masks[2] | p.masks[3]) == 0) return Refuse("colour masks are all 0");
  bool wide = false;
  for (uint32_t mask : p.masks) {
    unsigned width = 0;
    for (uint32_t v = mask; v != 0; v >>= 1) width += v & 1u;
    wide = wide || width > 8;
  }
  if (wide) {
    p.layout = Layout::Masked16, p.decodedFormat = ImagePixelFormat::A16B16G16R16, p.decodedBytes = 8;
  } else {
    p.layout = Layout::Masked8, p.decodedBytes = 4;
    p.decodedFormat = p.masks[3] != 0 ? ImagePixelFormat::A8R8G8B8 : ImagePixelFormat::X8R8G8B8;
  }
  return S_OK;
}

// Bytes one stored level of width x height x depth takes.
bool StoredLevelBytes(const PixelLayout& p, UINT width, UINT height, UINT depth, size_t* bytes) {
  size_t rowBytes, rows;
  if (p.layout == Layout::Blocks) {
    rowBytes = ((static_cast<size_t>(width) + 3) / 4) * DxtBlockBytes(p.dxt);
    rows = (static_cast<size_t>(height) + 3) / 4;
  } else {
    rowBytes = (static_cast<size_t>(width) * p.storedBits + 7) / 8;
    rows = height;
  }
  return MultiplySize(rowBytes, rows, bytes) && MultiplySize(*bytes, depth, bytes);
}

size_t StoredRowBytes(const PixelLayout& p, UINT width) { return (static_cast<size_t>(width) * p.storedBits + 7) / 8; }

uint32_t ReadStoredPixel(const BYTE* p, unsigned bits) {
  switch (bits) {
    case 8:
      return p[0];
    case 16:
      return ReadLittle16(p);
    case 24:
      return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    default:
      return ReadLittle32(p);
  }
}

float HalfToFloat(uint16_t half) {
  const unsigned sign = half >> 15, exponent = (half >> 10) & 0x1F, mantissa = half & 0x3FF;
  float value;
  if (exponent == 0) {
    value = std::ldexp(static_cast<float>(mantissa), -24);
  } else if (exponent == 31) {
    value = mantissa ? NAN : INFINITY;
  } else {
    value = std::ldexp(static_cast<float>(mantissa | 0x400), static_cast<int>(exponent) - 25);
  }
  return sign ? -value : value;
}

// Converts one level (all slices) from its stored layout into the allocated decoded block.
void ConvertLevel(const PixelLayout& p, const BYTE* stored, DecodedImage* level) {
  BYTE* pixels = WritablePixels(level);
  const size_t rows = static_cast<size_t>(level->height) * level->depth;
  if (p.layout == Layout::Blocks) {
    for (UINT slice = 0; slice < level->depth; ++slice) {
      size_t sliceBytes = 0;
      StoredLevelBytes(p, level->width, level->height, 1, &sliceBytes);
      DecodeDxtImage(p.dxt, stored + slice * sliceBytes, level->width, level->height,
                     pixels + static_cast<size_t>(slice) * level->slicePitch, level->rowPitch);
    }
    return;
  }
  const size_t storedRow = StoredRowBytes(p, level->width);
  MaskChannel shapes[4];
  for (int c = 0; c < 4; ++c) shapes[c] = DescribeMask(p.masks[c]);
  for (size_t row = 0; row < rows; ++row) {
    const BYTE* source = stored + row * storedRow;
    BYTE* target = pixels + row * level->rowPitch;
    for (size_t x = 0; x < level->width; ++x) {
      switch (p.layout) {
        case Layout::Masked8: {
          const uint32_t pixel = ReadStoredPixel(source + x * (p.storedBits / 8), p.storedBits);
          target[4 * x + 0] = static_cast<BYTE>(ExtractChannel(pixel, shapes[2], 8));
          target[4 * x + 1] = static_cast<BYTE>(ExtractChannel(pixel, shapes[1], 8));
          target[4 * x + 2] = static_cast<BYTE>(ExtractChannel(pixel, shapes[0], 8));
          target[4 * x + 3] = p.masks[3] ? static_cast<BYTE>(ExtractChannel(pixel, shapes[3], 8)) : 0xFF;
          break;
        }
        case Layout::Masked16: {
          const uint32_t pixel = ReadStoredPixel(source + x * (p.storedBits / 8), p.storedBits);
          // A colour channel the layout lacks (blue of G16R16) reads 1, as the device samples it.
          for (int c = 0; c < 3; ++c)
            WriteLittle16(target + 8 * x + 2 * c,
                          p.masks[c] ? static_cast<uint16_t>(ExtractChannel(pixel, shapes[c], 16)) : 0xFFFF);
          WriteLittle16(target + 8 * x + 6,
                        p.masks[3] ? static_cast<uint16_t>(ExtractChannel(pixel, shapes[3], 16)) : 0xFFFF);
          break;
        }
        case Layout::AlphaLum4: {
          const BYTE value = source[x];
          target[2 * x + 0] = static_cast<BYTE>((value & 0x0F) * 17);
          target[2 * x + 1] = static_cast<BYTE>((value >> 4) * 17);
          break;
        }
        case Layout::Half:
        case Layout::Single: {
          // Channels r, g, b, a in that order; channels the format lacks read 1, as the
          // device samples them.
          float values[4] = {0, 1, 1, 1};
          for (unsigned c = 0; c < p.floatChannels; ++c) {
            if (p.layout == Layout::Half) {
              values[c] = HalfToFloat(ReadLittle16(source + (x * p.floatChannels + c) * 2));
            } else {
              const uint32_t bits = ReadLittle32(source + (x * p.floatChannels + c) * 4);
              std::memcpy(&values[c], &bits, sizeof(float));
            }
          }
          for (int c = 0; c < 4; ++c) WriteLittle16(target + 8 * x + 2 * c, UnitFloatTo16(values[c]));
          break;
        }
        default:
          break;
      }
    }
  }
}

struct DdsHeader {
  UINT width;
  UINT height;
  UINT depth;
  UINT levels;
  UINT faces;
  DWORD resourceType;
  PixelLayout layout;
};

HRESULT ParseHeader(const BYTE* data, size_t size, DdsHeader* header) {
  if (size < kHeaderSize || std::memcmp(data, "DDS ", 4) != 0) return E_FAIL;  // not a DDS file at all
  const BYTE* h = data + 4;
  if (ReadLittle32(h) != 124) return Refuse("header size %u (it is 124)", ReadLittle32(h));
  const uint32_t flags = ReadLittle32(h + 4);
  header->height = ReadLittle32(h + 8);
  header->width = ReadLittle32(h + 12);
  const uint32_t depth = ReadLittle32(h + 20);
  const uint32_t mipCount = ReadLittle32(h + 24);
  const uint32_t caps2 = ReadLittle32(h + 108);
  if (ReadLittle32(h + 72) != 32) return Refuse("pixel-format size %u (it is 32)", ReadLittle32(h + 72));
  if (header->width == 0 || header->height == 0) return Refuse("width or height is 0");
  if (header->width > kMaxImageDimension || header->height > kMaxImageDimension)
    return Refuse("%u x %u pixels are more than an image may have", header->width, header->height);
  const HRESULT layout = ChooseLayout(h + 72, &header->layout);
  if (FAILED(layout)) return layout;

  header->depth = 1;
  header->faces = 1;
  header->resourceType = ImageResourceType::Texture;
  if (caps2 & kCaps2CubeMap) {
    if ((caps2 & kCaps2AllFaces) != kCaps2AllFaces) return Refuse("cube map without all six faces");
    if (header->width != header->height) return Refuse("cube map faces that are not square");
    header->faces = 6;
    header->resourceType = ImageResourceType::CubeTexture;
  } else if ((caps2 & kCaps2Volume) && (flags & kFlagDepth) && depth > 1) {
    if (depth > kMaxImageDimension) return Refuse("depth %u is more than an image may have", depth);
    header->depth = depth;
    header->resourceType = ImageResourceType::VolumeTexture;
  }

  // The chain cannot be longer than the halvings down to 1 x 1 x 1.
  UINT fullChain = 1;
  for (UINT largest = std::max({header->width, header->height, header->depth}); largest > 1; largest /= 2) ++fullChain;
  header->levels = (flags & kFlagMipCount) && mipCount > 0 ? mipCount : 1;
  if (header->levels > fullChain) header->levels = fullChain;
  return S_OK;
}

UINT Halve(UINT size) { return size > 1 ? size / 2 : 1; }

HRESULT ReadFace(const BYTE* data, size_t size, size_t* at, const DdsHeader& header, DecodedImage* face,
                 const ImagePaletteEntry* palette) {
  UINT width = header.width, height = header.height, depth = header.depth;
  DecodedImage* level = face;
  for (UINT i = 0; i < header.levels; ++i) {
    if (i > 0) {
      level->nextLevel = new (std::nothrow) DecodedImage(EmptyDecodedImage());
      if (level->nextLevel == nullptr) return E_OUTOFMEMORY;
      level = level->nextLevel;
      level->decodePixels = face->decodePixels;
      level->resourceType = face->resourceType;
      level->fileFormat = face->fileFormat;
      level->palette = palette;  // shared with level 0 of the first face, which owns it
    }
    size_t storedBytes = 0;
    if (!StoredLevelBytes(header.layout, width, height, depth, &storedBytes) || storedBytes > size - *at)
      return Refuse("mip level %u runs past the end of the file", i);
    const BYTE* stored = data + *at;
    const PixelLayout& p = header.layout;
    HRESULT hr;
    if (p.layout == Layout::InPlace) {
      hr = ReferenceImageLevel(level, p.decodedFormat, width, height, depth, p.decodedBytes, stored,
                               static_cast<UINT>(StoredRowBytes(p, width)));
    } else {
      hr = AllocateImageLevel(level, p.decodedFormat, width, height, depth, p.decodedBytes);
      if (SUCCEEDED(hr) && level->decodePixels) ConvertLevel(p, stored, level);
    }
    if (FAILED(hr)) return hr;
    *at += storedBytes;
    width = Halve(width), height = Halve(height), depth = Halve(depth);
  }
  return S_OK;
}

}  // namespace

HRESULT RecogniseDds(const BYTE* data, size_t size, DecodedImage* image) {
  DdsHeader header{};
  const HRESULT parsed = ParseHeader(data, size, &header);
  if (FAILED(parsed)) return parsed;
  image->fileFormat = ImageFileFormatDds;
  image->resourceType = header.resourceType;

  size_t at = kHeaderSize;
  ImagePaletteEntry* palette = nullptr;
  if (header.layout.paletted) {
    if (size - at < 1024) return Refuse("palette runs past the end of the file");
    if (image->decodePixels) {
      const HRESULT hr = AllocatePalette(image, ImagePaletteEntry{0, 0, 0, 255}, &palette);
      if (FAILED(hr)) return hr;
      std::memcpy(palette, data + at, 1024);
    }
    at += 1024;
  }
  // The information path checks the sizes too, so that it accepts exactly what decodes.
  DecodedImage* face = image;
  for (UINT f = 0; f < header.faces; ++f) {
    if (f > 0) {
      face->nextFace = new (std::nothrow) DecodedImage(EmptyDecodedImage());
      if (face->nextFace == nullptr) return E_OUTOFMEMORY;
      face = face->nextFace;
      face->decodePixels = image->decodePixels;
      face->resourceType = image->resourceType;
      face->fileFormat = image->fileFormat;
      face->palette = palette;
    }
    const HRESULT hr = ReadFace(data, size, &at, header, face, palette);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace gfx::images
