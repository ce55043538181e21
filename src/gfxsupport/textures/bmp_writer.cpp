#include "gfxsupport/textures/bmp_writer.h"

#include <cstring>

namespace gfx::textures {

namespace {

enum class BmpPalette { None, R3G3B2Levels, FromImage, GreyRamp };

struct BmpLayout {
  D3DFORMAT format;
  uint32_t headerSize;
  uint16_t bitsPerPixel;
  uint32_t compression;  // 0 plain, 3 bit fields
  uint32_t masks[4];     // red, green, blue, alpha
  BmpPalette palette;
};

constexpr uint32_t kPlain = 0, kBitFields = 3;

constexpr BmpLayout kLayouts[] = {
    {D3DFMT_P8, 40, 8, kPlain, {}, BmpPalette::FromImage},
    {D3DFMT_L8, 40, 8, kPlain, {}, BmpPalette::GreyRamp},
    {D3DFMT_R3G3B2, 40, 8, kPlain, {}, BmpPalette::R3G3B2Levels},
    {D3DFMT_R8G8B8, 40, 24, kPlain, {}, BmpPalette::None},
    {D3DFMT_X1R5G5B5, 40, 16, kPlain, {}, BmpPalette::None},
    {D3DFMT_X8R8G8B8, 40, 32, kPlain, {}, BmpPalette::None},
    {D3DFMT_A8R8G8B8, 40, 32, kPlain, {}, BmpPalette::None},
    {D3DFMT_R5G6B5, 52, 16, kBitFields, {0xF800, 0x07E0, 0x001F, 0}, BmpPalette::None},
    {D3DFMT_X4R4G4B4, 52, 16, kBitFields, {0x0F00, 0x00F0, 0x000F, 0}, BmpPalette::None},
    {D3DFMT_A1R5G5B5, 56, 16, kBitFields, {0x7C00, 0x03E0, 0x001F, 0x8000}, BmpPalette::None},
    {D3DFMT_A4R4G4B4, 56, 16, kBitFields, {0x0F00, 0x00F0, 0x000F, 0xF000}, BmpPalette::None},
    {D3DFMT_L16, 52, 16, kBitFields, {0xFFFF, 0xFFFF, 0xFFFF, 0}, BmpPalette::None},
    {D3DFMT_A8L8, 56, 16, kBitFields, {0xFF, 0xFF, 0xFF, 0xFF00}, BmpPalette::None},
    {D3DFMT_A8R3G3B2, 56, 16, kBitFields, {0xE0, 0x1C, 0x03, 0xFF00}, BmpPalette::None},
    {D3DFMT_X8B8G8R8, 52, 32, kBitFields, {0xFF, 0xFF00, 0xFF0000, 0}, BmpPalette::None},
    {D3DFMT_A8B8G8R8, 56, 32, kBitFields, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, BmpPalette::None},
    {D3DFMT_A2B10G10R10, 56, 32, kBitFields, {0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000}, BmpPalette::None},
    {D3DFMT_A2R10G10B10, 56, 32, kBitFields, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}, BmpPalette::None},
    {D3DFMT_G16R16, 52, 32, kBitFields, {0xFFFF, 0xFFFF0000, 0, 0}, BmpPalette::None},
};

constexpr D3DFORMAT kWritable[] = {
    D3DFMT_P8,       D3DFMT_L8,          D3DFMT_R3G3B2,      D3DFMT_R8G8B8,   D3DFMT_X1R5G5B5,
    D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8,    D3DFMT_R5G6B5,      D3DFMT_X4R4G4B4, D3DFMT_A1R5G5B5,
    D3DFMT_A4R4G4B4, D3DFMT_L16,         D3DFMT_A8L8,        D3DFMT_A8R3G3B2, D3DFMT_X8B8G8R8,
    D3DFMT_A8B8G8R8, D3DFMT_A2B10G10R10, D3DFMT_A2R10G10B10, D3DFMT_G16R16,
};

constexpr BYTE kLevels3[8] = {0, 36, 73, 109, 146, 182, 219, 255};
constexpr BYTE kLevels2[4] = {0, 85, 170, 255};

const BmpLayout* FindLayout(D3DFORMAT format) {
  for (const BmpLayout& layout : kLayouts) {
    if (layout.format == format) return &layout;
  }
  return nullptr;
}

void Put16(BYTE* at, uint32_t value) {
  at[0] = static_cast<BYTE>(value);
  at[1] = static_cast<BYTE>(value >> 8);
}

void Put32(BYTE* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<BYTE>(value >> (8 * i));
}

// Palette entries in file order: blue, green, red, 0.
void WritePalette(const BmpLayout& layout, const ImagePaletteEntry* source, BYTE* out) {
  for (int i = 0; i < 256; ++i, out += 4) {
    BYTE red = 0, green = 0, blue = 0;
    switch (layout.palette) {
      case BmpPalette::FromImage:
        red = source[i].red, green = source[i].green, blue = source[i].blue;
        break;
      case BmpPalette::GreyRamp:
        red = green = blue = static_cast<BYTE>(i);
        break;
      case BmpPalette::R3G3B2Levels:
        red = kLevels3[i >> 5], green = kLevels3[(i >> 2) & 7], blue = kLevels2[i & 3];
        break;
      case BmpPalette::None:
        break;
    }
    out[0] = blue, out[1] = green, out[2] = red, out[3] = 0;
  }
}

}  // namespace

std::span<const D3DFORMAT> BmpWritableFormats() { return kWritable; }

HRESULT BuildBmpFile(const SourceBlock& pixels, std::vector<BYTE>* file) {
  const BmpLayout* layout = FindLayout(pixels.format);
  if (layout == nullptr || file == nullptr || pixels.data == nullptr) return D3DERR_INVALIDCALL;
  if (layout->palette == BmpPalette::FromImage && pixels.palette == nullptr) return D3DERR_INVALIDCALL;
  if (pixels.width == 0 || pixels.height == 0 || pixels.width > INT32_MAX || pixels.height > INT32_MAX)
    return D3DERR_INVALIDCALL;

  const uint64_t rowBytes = uint64_t{pixels.width} * (layout->bitsPerPixel / 8);
  const uint64_t stride = (rowBytes + 3) & ~uint64_t{3};
  const uint64_t paletteSize = layout->palette == BmpPalette::None ? 0 : 1024;
  const uint64_t pixelOffset = 14 + layout->headerSize + paletteSize;
  const uint64_t fileSize = (pixelOffset + stride * pixels.height + 3) & ~uint64_t{3};
  if (fileSize > UINT32_MAX) return D3DERR_INVALIDCALL;

  file->assign(fileSize, 0);
  BYTE* out = file->data();
  out[0] = 'B', out[1] = 'M';
  Put32(out + 2, static_cast<uint32_t>(fileSize));
  Put32(out + 10, static_cast<uint32_t>(pixelOffset));
  BYTE* info = out + 14;
  Put32(info + 0, layout->headerSize);
  Put32(info + 4, pixels.width);
  Put32(info + 8, pixels.height);  // positive: rows stored bottom-up
  Put16(info + 12, 1);
  Put16(info + 14, layout->bitsPerPixel);
  Put32(info + 16, layout->compression);
  Put32(info + 24, 2834);  // 72 dots per inch, in pixels per metre
  Put32(info + 28, 2834);
  if (layout->headerSize >= 52) {
    for (int i = 0; i < 3; ++i) Put32(info + 40 + 4 * i, layout->masks[i]);
  }
  if (layout->headerSize >= 56) Put32(info + 52, layout->masks[3]);
  if (paletteSize != 0) WritePalette(*layout, pixels.palette, info + layout->headerSize);

  BYTE* row = out + pixelOffset;
  for (uint32_t y = pixels.height; y-- > 0; row += stride) {
    std::memcpy(row, pixels.data + y * pixels.rowPitch, rowBytes);
  }
  return S_OK;
}

}  // namespace gfx::textures
