// DXT block decoding: two 5-6-5 end-point colours with a 2-bit index per pixel; DXT1 with
// colour0 <= colour1 has three colours and transparent black. DXT2/3 carry 4-bit explicit
// alpha, DXT4/5 two alpha end points with a 3-bit index per pixel.
#include "gfxsupport/images/dxt_blocks.h"

#include <algorithm>

#include "gfxsupport/images/image_reader.h"

namespace gfx::images {

namespace {

struct Rgba {
  BYTE r, g, b, a;
};

Rgba Expand565(uint16_t value) {
  return Rgba{static_cast<BYTE>(ScaleBits(value >> 11, 5, 8)), static_cast<BYTE>(ScaleBits((value >> 5) & 0x3F, 6, 8)),
              static_cast<BYTE>(ScaleBits(value & 0x1F, 5, 8)), 255};
}

BYTE Mix(unsigned a, unsigned b, unsigned weightA, unsigned weightB, unsigned total) {
  return static_cast<BYTE>((a * weightA + b * weightB + total / 2) / total);
}

// The four colours of a block's colour half (8 bytes).
void ColourPalette(const BYTE* block, bool threeColourAllowed, Rgba colours[4]) {
  const uint16_t c0 = ReadLittle16(block), c1 = ReadLittle16(block + 2);
  colours[0] = Expand565(c0);
  colours[1] = Expand565(c1);
  if (c0 > c1 || !threeColourAllowed) {
    colours[2] = Rgba{Mix(colours[0].r, colours[1].r, 2, 1, 3), Mix(colours[0].g, colours[1].g, 2, 1, 3),
                      Mix(colours[0].b, colours[1].b, 2, 1, 3), 255};
    colours[3] = Rgba{Mix(colours[0].r, colours[1].r, 1, 2, 3), Mix(colours[0].g, colours[1].g, 1, 2, 3),
                      Mix(colours[0].b, colours[1].b, 1, 2, 3), 255};
  } else {
    colours[2] = Rgba{Mix(colours[0].r, colours[1].r, 1, 1, 2), Mix(colours[0].g, colours[1].g, 1, 1, 2),
                      Mix(colours[0].b, colours[1].b, 1, 1, 2), 255};
    colours[3] = Rgba{0, 0, 0, 0};
  }
}

// The eight alpha values of a DXT4/5 alpha half.
void AlphaPalette(const BYTE* block, BYTE alphas[8]) {
  const unsigned a0 = block[0], a1 = block[1];
  alphas[0] = static_cast<BYTE>(a0);
  alphas[1] = static_cast<BYTE>(a1);
  if (a0 > a1) {
    for (unsigned i = 1; i <= 6; ++i) alphas[1 + i] = Mix(a0, a1, 7 - i, i, 7);
  } else {
    for (unsigned i = 1; i <= 4; ++i) alphas[1 + i] = Mix(a0, a1, 5 - i, i, 5);
    alphas[6] = 0;
    alphas[7] = 255;
  }
}

void DecodeBlock(DxtKind kind, const BYTE* block, Rgba out[16]) {
  const bool separateAlpha = kind != DxtKind::Dxt1;
  const BYTE* colourHalf = separateAlpha ? block + 8 : block;
  Rgba colours[4];
  ColourPalette(colourHalf, !separateAlpha, colours);
  const uint32_t indices = ReadLittle32(colourHalf + 4);
  for (unsigned i = 0; i < 16; ++i) out[i] = colours[(indices >> (2 * i)) & 3];
  if (kind == DxtKind::Dxt2 || kind == DxtKind::Dxt3) {
    for (unsigned i = 0; i < 16; ++i) out[i].a = static_cast<BYTE>(((block[i / 2] >> (4 * (i % 2))) & 0x0F) * 17);
  } else if (kind == DxtKind::Dxt4 || kind == DxtKind::Dxt5) {
    BYTE alphas[8];
    AlphaPalette(block, alphas);
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
    for (unsigned i = 0; i < 16; ++i) out[i].a = alphas[(bits >> (3 * i)) & 7];
  }
  if (kind == DxtKind::Dxt2 || kind == DxtKind::Dxt4) {
    for (unsigned i = 0; i < 16; ++i) {
      Rgba& p = out[i];
      if (p.a == 0) continue;
      p.r = static_cast<BYTE>(std::min(255u, (p.r * 255u + p.a / 2) / p.a));
      p.g = static_cast<BYTE>(std::min(255u, (p.g * 255u + p.a / 2) / p.a));
      p.b = static_cast<BYTE>(std::min(255u, (p.b * 255u + p.a / 2) / p.a));
    }
  }
}

}  // namespace

size_t DxtBlockBytes(DxtKind kind) { return kind == DxtKind::Dxt1 ? 8 : 16; }

void DecodeDxtImage(DxtKind kind, const BYTE* blocks, UINT width, UINT height, BYTE* pixels, size_t pitch) {
  const size_t blocksAcross = (static_cast<size_t>(width) + 3) / 4;
  const size_t blocksDown = (static_cast<size_t>(height) + 3) / 4;
  const size_t blockBytes = DxtBlockBytes(kind);
  Rgba decoded[16];
  for (size_t by = 0; by < blocksDown; ++by) {
    for (size_t bx = 0; bx < blocksAcross; ++bx) {
      DecodeBlock(kind, blocks + (by * blocksAcross + bx) * blockBytes, decoded);
      for (size_t py = 0; py < 4 && by * 4 + py < height; ++py) {
        BYTE* row = pixels + (by * 4 + py) * pitch;
        for (size_t px = 0; px < 4 && bx * 4 + px < width; ++px) {
          const Rgba& p = decoded[py * 4 + px];
          BYTE* target = row + (bx * 4 + px) * 4;
          target[0] = p.b, target[1] = p.g, target[2] = p.r, target[3] = p.a;
        }
      }
    }
  }
}

}  // namespace gfx::images
