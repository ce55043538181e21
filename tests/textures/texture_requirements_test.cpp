#include <gtest/gtest.h>

#include <vector>

#include "gfxsupport/textures/texture_requirements.h"

using namespace gfx::textures;  // the texture library's internals under test

namespace {

constexpr DWORD kMip = D3DPTEXTURECAPS_MIPMAP;
constexpr DWORD kPow2 = D3DPTEXTURECAPS_POW2;
constexpr DWORD kConditional = D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
constexpr DWORD kSquare = D3DPTEXTURECAPS_SQUAREONLY;
constexpr UINT kMissing = 0xFFFFFFFF;

struct FitCase {
  const char* what;
  DWORD textureCaps;
  DWORD maxSize;  // width and height limit
  DWORD aspect;
  UINT width, height, levels;
  D3DFORMAT format;
  D3DPOOL pool;
  DWORD usage;
  HRESULT result;
  UINT expectedWidth, expectedHeight, expectedLevels;
  D3DFORMAT expectedFormat;
};

class FitTexture : public testing::TestWithParam<FitCase> {};

TEST_P(FitTexture, FollowsTheCaps) {
  const FitCase& c = GetParam();
  D3DCAPS9 caps{};
  caps.TextureCaps = c.textureCaps;
  caps.MaxTextureWidth = caps.MaxTextureHeight = c.maxSize;
  caps.MaxTextureAspectRatio = c.aspect;
  // The reference device samples only 32-bit colour.
  auto supports = [](D3DFORMAT f) { return f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8; };
  UINT width = c.width, height = c.height, levels = c.levels;
  D3DFORMAT format = c.format;
  TextureRequest request{&width, &height, &levels, &format, c.usage, c.pool};
  ASSERT_EQ(FitTextureRequest(caps, supports, request), c.result) << c.what;
  if (FAILED(c.result)) return;
  EXPECT_EQ(width, c.expectedWidth) << c.what;
  EXPECT_EQ(height, c.expectedHeight) << c.what;
  EXPECT_EQ(levels, c.expectedLevels) << c.what;
  EXPECT_EQ(format, c.expectedFormat) << c.what;
}

constexpr D3DFORMAT kArgb = D3DFMT_A8R8G8B8;
constexpr D3DPOOL kManaged = D3DPOOL_MANAGED;

INSTANTIATE_TEST_SUITE_P(
    Cases, FitTexture,
    testing::Values(
        FitCase{"scene object texture", kMip | kPow2, 4096, 0, 1024, 512, 0, kArgb, kManaged, 0, S_OK, 1024, 512, 11,
                kArgb},
        FitCase{"scene mask texture", kMip | kPow2, 4096, 0, 512, 512, 0, kArgb, kManaged, 0, S_OK, 512, 512, 10,
                kArgb},
        FitCase{"one level asked", kMip, 4096, 0, 64, 64, 1, kArgb, kManaged, 0, S_OK, 64, 64, 1, kArgb},
        FitCase{"more levels than the chain", kMip, 4096, 0, 64, 16, 20, kArgb, kManaged, 0, S_OK, 64, 16, 7, kArgb},
        FitCase{"no mipmaps", kPow2, 4096, 0, 64, 64, 0, kArgb, kManaged, 0, S_OK, 64, 64, 1, kArgb},
        FitCase{"powers of two", kMip | kPow2, 4096, 0, 640, 480, 0, kArgb, kManaged, 0, S_OK, 1024, 512, 11, kArgb},
        FitCase{"conditional: one level keeps the size", kMip | kPow2 | kConditional, 4096, 0, 640, 480, 1, kArgb,
                kManaged, 0, S_OK, 640, 480, 1, kArgb},
        FitCase{"conditional: a chain rounds up", kMip | kPow2 | kConditional, 4096, 0, 640, 480, 0, kArgb, kManaged, 0,
                S_OK, 1024, 512, 11, kArgb},
        FitCase{"conditional without rounding: no chain", kMip | kConditional, 4096, 0, 640, 480, 0, kArgb, kManaged, 0,
                S_OK, 640, 480, 1, kArgb},
        FitCase{"square only", kMip | kSquare, 4096, 0, 1024, 512, 0, kArgb, kManaged, 0, S_OK, 512, 512, 10, kArgb},
        FitCase{"aspect limit", kMip, 4096, 2, 2048, 256, 0, kArgb, kManaged, 0, S_OK, 512, 256, 10, kArgb},
        FitCase{"size limit", kMip, 256, 0, 1024, 512, 0, kArgb, kManaged, 0, S_OK, 256, 256, 9, kArgb},
        FitCase{"width missing takes the height", kMip, 4096, 0, kMissing, 100, 1, kArgb, kManaged, 0, S_OK, 100, 100,
                1, kArgb},
        FitCase{"both missing", kMip, 4096, 0, kMissing, kMissing, 0, kArgb, kManaged, 0, S_OK, 256, 256, 9, kArgb},
        FitCase{"zero becomes one", kMip, 4096, 0, 0, 0, 0, kArgb, kManaged, 0, S_OK, 1, 1, 1, kArgb},
        FitCase{"automatic mipmaps", kMip, 4096, 0, 64, 64, 0, kArgb, kManaged, D3DUSAGE_AUTOGENMIPMAP, S_OK, 64, 64, 0,
                kArgb},
        FitCase{"scratch ignores the device", 0, 16, 0, 100, 60, 0, D3DFMT_UNKNOWN, D3DPOOL_SCRATCH, 0, S_OK, 100, 60,
                7, kArgb},
        FitCase{"compressed blocks round to 4", 0, 0, 0, 5, 3, 1, D3DFMT_DXT1, D3DPOOL_SCRATCH, 0, S_OK, 8, 4, 1,
                D3DFMT_DXT1},
        FitCase{"unsupported format gets a stand-in", kMip, 4096, 0, 8, 8, 1, D3DFMT_A8L8, kManaged, 0, S_OK, 8, 8, 1,
                kArgb},
        FitCase{"grey gets opaque colour", kMip, 4096, 0, 8, 8, 1, D3DFMT_L8, kManaged, 0, S_OK, 8, 8, 1,
                D3DFMT_X8R8G8B8},
        FitCase{"floats have no stand-in", kMip, 4096, 0, 8, 8, 1, D3DFMT_A32B32G32R32F, kManaged, 0,
                D3DERR_NOTAVAILABLE, 0, 0, 0, kArgb},
        FitCase{"usage a texture cannot have", kMip, 4096, 0, 8, 8, 1, kArgb, kManaged, D3DUSAGE_WRITEONLY,
                D3DERR_INVALIDCALL, 0, 0, 0, kArgb}));

}  // namespace
