#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfxsupport/textures/texture_loading.h"
#include "tool/memory_surface.h"

namespace {

uint32_t Pixel(MemorySurface& surface, UINT x, UINT y) {
  uint32_t value;
  std::memcpy(&value, surface.Row(y) + 4 * x, 4);
  return value;
}

TEST(LoadSurface, FillsOnlyTheDestinationRectangleFromTheSourceRectangle) {
  // A 4 by 3 source; its rectangle (1, 1)-(3, 3) goes to (1, 2)-(3, 4) of a 4 by 4 surface.
  std::vector<uint32_t> source(4 * 3);
  for (uint32_t i = 0; i < source.size(); ++i) source[i] = 0xFF000000u | i;
  MemorySurface surface(D3DFMT_A8R8G8B8, 4, 4);
  const RECT from{1, 1, 3, 3}, to{1, 2, 3, 4};
  ASSERT_EQ(
      LoadSurfaceFromMemory(&surface, nullptr, &to, source.data(), D3DFMT_A8R8G8B8, 16, nullptr, &from, FilterNone, 0),
      S_OK);
  EXPECT_EQ(Pixel(surface, 1, 2), 0xFF000005u);
  EXPECT_EQ(Pixel(surface, 2, 2), 0xFF000006u);
  EXPECT_EQ(Pixel(surface, 1, 3), 0xFF000009u);
  EXPECT_EQ(Pixel(surface, 2, 3), 0xFF00000Au);
  EXPECT_EQ(Pixel(surface, 0, 2), 0xCDCDCDCDu);  // untouched around the rectangle
  EXPECT_EQ(Pixel(surface, 3, 3), 0xCDCDCDCDu);
  EXPECT_EQ(Pixel(surface, 1, 1), 0xCDCDCDCDu);
  EXPECT_FALSE(surface.Locked());
}

TEST(LoadSurface, DitherPatternStaysFixedToTheSurface) {
  // The same half-step value written at x = 0 and at x = 1 of the surface takes the
  // offsets of its own columns (0.96875 and 0.46875 in row 0).
  const uint16_t half[4] = {0x80, 0, 0, 0xFFFF};  // red 0.498 of a step
  MemorySurface surface(D3DFMT_A8R8G8B8, 2, 1);
  const RECT from{0, 0, 1, 1}, left{0, 0, 1, 1}, right{1, 0, 2, 1};
  for (const RECT* to : {&left, &right}) {
    ASSERT_EQ(LoadSurfaceFromMemory(&surface, nullptr, to, half, D3DFMT_A16B16G16R16, 8, nullptr, &from,
                                    FilterNone | FilterDither, 0),
              S_OK);
  }
  EXPECT_EQ((Pixel(surface, 0, 0) >> 16) & 0xFF, 1u);
  EXPECT_EQ((Pixel(surface, 1, 0) >> 16) & 0xFF, 0u);
}

TEST(LoadSurface, RefusesBadArgumentsWithoutTouchingTheSurface) {
  const uint32_t source[4] = {};
  MemorySurface surface(D3DFMT_A8R8G8B8, 4, 4);
  const RECT whole{0, 0, 2, 2};
  struct Case {
    const char* what;
    IDirect3DSurface9* surface;
    const void* pixels;
    const RECT* from;
    RECT to;
    bool useTo;
    UINT pitch;
    DWORD filter;
  };
  const RECT inverted{2, 0, 0, 2};
  const Case cases[] = {
      {"no surface", nullptr, source, &whole, {}, false, 8, FilterNone},
      {"no pixels", &surface, nullptr, &whole, {}, false, 8, FilterNone},
      {"no source rectangle", &surface, source, nullptr, {}, false, 8, FilterNone},
      {"inverted source rectangle", &surface, source, &inverted, {}, false, 8, FilterNone},
      {"rows longer than the pitch", &surface, source, &whole, {}, false, 4, FilterNone},
      {"destination past the surface", &surface, source, &whole, {2, 2, 5, 4}, true, 8, FilterNone},
      {"bad filter", &surface, source, &whole, {}, false, 8, 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadSurfaceFromMemory(c.surface, nullptr, c.useTo ? &c.to : nullptr, c.pixels, D3DFMT_A8R8G8B8, c.pitch,
                                    nullptr, c.from, c.filter, 0),
              D3DERR_INVALIDCALL)
        << c.what;
  }
  EXPECT_EQ(surface.LockCount(), 0);
}

}  // namespace
