// The scene's texture calls on the reference device itself, in a hidden window.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "../support/reference_device_fixture.h"
#include "d3d9api.h"
#include "gfxsupport/textures/surface_saving.h"
#include "gfxsupport/textures/texture_loading.h"
#include "image_encoders.h"

namespace {

using ReferenceDevice = ReferenceDeviceTest;

TEST_F(ReferenceDevice, MakesTheSceneTexturesWithFullChains) {
  struct Case {
    uint32_t width, height;
    UINT expectedWidth, expectedHeight, expectedLevels;
  };
  for (const Case& c : {Case{512, 512, 512, 512, 10}, Case{640, 480, 1024, 512, 11}}) {
    std::vector<uint8_t> rgba(size_t{c.width} * c.height * 4, 0);
    for (size_t i = 0; i < rgba.size(); i += 4) {
      rgba[i] = 200, rgba[i + 1] = 100, rgba[i + 2] = 50, rgba[i + 3] = 255;
    }
    rgba[0] = rgba[1] = rgba[2] = 0;  // one opaque black pixel, keyed out
    const auto png = EncodePng(c.width, c.height, 4, rgba);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        CreateTextureFromMemory(device_, png.data(), static_cast<UINT>(png.size()), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                D3DPOOL_MANAGED, FilterLinear, FilterLinear, 0xFF000000, nullptr, nullptr, &texture),
        D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), c.expectedLevels);
    D3DSURFACE_DESC description{};
    ASSERT_EQ(texture->GetLevelDesc(0, &description), D3D_OK);
    EXPECT_EQ(description.Width, c.expectedWidth);
    EXPECT_EQ(description.Height, c.expectedHeight);
    EXPECT_EQ(description.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(description.Pool, D3DPOOL_MANAGED);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(c.expectedLevels - 1, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    uint32_t last;
    std::memcpy(&last, locked.pBits, 4);
    texture->UnlockRect(c.expectedLevels - 1);
    EXPECT_EQ(last, 0xFFC86432u);  // the smallest level sees only the flat middle
    if (c.width == c.expectedWidth) {
      ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
      uint32_t first[2];
      std::memcpy(first, locked.pBits, 8);
      texture->UnlockRect(0);
      EXPECT_EQ(first[0], 0x00000000u);
      EXPECT_EQ(first[1], 0xFFC86432u);
    }
    EXPECT_EQ(texture->Release(), 0u);
  }
}

// The screenshot path: a scratch surface of the device, a rectangle of it, a BMP file.
TEST_F(ReferenceDevice, SavesARectangleOfAScratchSurface) {
  IDirect3DSurface9* surface = nullptr;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &surface, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < 8; ++y) {
    for (UINT x = 0; x < 8; ++x) {
      const uint32_t value = 0x80000000u | (y << 8) | x;
      std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + 4 * x, &value, 4);
    }
  }
  surface->UnlockRect();
  const std::string path = testing::TempDir() + "orbelune-device-shot.bmp";
  const RECT rect{2, 3, 5, 5};
  ASSERT_EQ(SaveSurfaceToFile(path.c_str(), ImageFileFormatBmp, surface, nullptr, &rect), D3D_OK);
  surface->Release();
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::remove(path.c_str());
  ASSERT_EQ(file.size(), 80u);
  uint32_t first;
  std::memcpy(&first, &file[54], 4);
  EXPECT_EQ(first, 0x80000402u);  // row 4 (the rectangle's last), column 2
  std::memcpy(&first, &file[66], 4);
  EXPECT_EQ(first, 0x80000302u);
}

}  // namespace
