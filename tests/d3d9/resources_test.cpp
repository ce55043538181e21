// Resources: textures with their mip levels, surfaces, buffers and vertex declarations, what
// may be locked, and the copies between pools.
#include <cstring>

#include "device_fixture.h"
#include "vertex_format.h"

namespace d3d9test {
namespace {

using ResourcesTest = DeviceTest;

TEST_F(ResourcesTest, TexturesHaveTheFullChainOrTheLevelsAskedFor) {
  struct Case {
    UINT width, height, levels;
    UINT expectedLevels;
    UINT lastWidth, lastHeight;
  };
  const Case cases[] = {
      {512, 512, 0, 10, 1, 1},                               // the halo image
      {1024, 512, 0, 11, 1, 1},                              // the object images: the short side stays at 1
      {640, 480, 0, 10, 1, 1},  {512, 512, 1, 1, 512, 512},  // the offscreen target's single level
      {6, 3, 2, 2, 3, 1},
  };
  for (const Case& c : cases) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(c.width, c.height, c.levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), c.expectedLevels) << c.width << "x" << c.height;
    D3DSURFACE_DESC description{};
    ASSERT_EQ(texture->GetLevelDesc(c.expectedLevels - 1, &description), D3D_OK);
    EXPECT_EQ(description.Width, c.lastWidth);
    EXPECT_EQ(description.Height, c.lastHeight);
    EXPECT_EQ(description.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(description.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(description.Type, D3DRTYPE_SURFACE);
    EXPECT_EQ(texture->Release(), 0u);
  }
}

TEST_F(ResourcesTest, EachLevelLocksWithItsOwnPitchAndKeepsItsPixels) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, static_cast<INT>(4 * (8 >> level)));
    static_cast<uint32_t*>(locked.pBits)[0] = 0xABC00000u + level;
    EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3DERR_INVALIDCALL) << "already locked";
    ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(level), D3DERR_INVALIDCALL) << "not locked";
  }
  // A rectangle lock points at the rectangle's first pixel of the same memory.
  IDirect3DSurface9* level1 = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(1, &level1), D3D_OK);
  D3DLOCKED_RECT whole{};
  ASSERT_EQ(level1->LockRect(&whole, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<uint32_t*>(whole.pBits)[0], 0xABC00001u);
  level1->UnlockRect();
  const RECT part{1, 1, 3, 2};
  D3DLOCKED_RECT partial{};
  ASSERT_EQ(level1->LockRect(&partial, &part, 0), D3D_OK);
  EXPECT_EQ(static_cast<uint8_t*>(partial.pBits) - static_cast<uint8_t*>(whole.pBits), whole.Pitch + 4);
  level1->UnlockRect();
  level1->Release();
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(ResourcesTest, OnlyMemoryTheCallerMayTouchLocks) {
  struct Case {
    const char* what;
    IDirect3DSurface9* surface;
    bool lockable;
  };
  IDirect3DTexture9* renderTarget = nullptr;
  IDirect3DTexture9* defaultPool = nullptr;
  IDirect3DTexture9* dynamic = nullptr;
  IDirect3DTexture9* systemMemory = nullptr;
  IDirect3DSurface9* depth = nullptr;
  IDirect3DSurface9* plain = nullptr;
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(
      device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &renderTarget, nullptr),
      D3D_OK);
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &defaultPool, nullptr), D3D_OK);
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &dynamic, nullptr),
            D3D_OK);
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &systemMemory, nullptr), D3D_OK);
  ASSERT_EQ(device_->CreateDepthStencilSurface(4, 4, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &depth, nullptr),
            D3D_OK);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &plain, nullptr), D3D_OK);
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  IDirect3DSurface9* levels[4] = {};
  renderTarget->GetSurfaceLevel(0, &levels[0]);
  defaultPool->GetSurfaceLevel(0, &levels[1]);
  dynamic->GetSurfaceLevel(0, &levels[2]);
  systemMemory->GetSurfaceLevel(0, &levels[3]);

  const Case cases[] = {
      {"render-target texture", levels[0], false},
      {"default-pool texture", levels[1], false},
      {"dynamic texture", levels[2], true},
      {"system-memory texture", levels[3], true},
      {"depth surface", depth, false},
      {"plain surface", plain, true},
      {"back buffer", backBuffer, false},
  };
  for (const Case& c : cases) {
    D3DLOCKED_RECT locked{};
    const HRESULT result = c.surface->LockRect(&locked, nullptr, 0);
    EXPECT_EQ(result, c.lockable ? D3D_OK : D3DERR_INVALIDCALL) << c.what;
    if (SUCCEEDED(result)) c.surface->UnlockRect();
  }
  for (IDirect3DSurface9* level : levels) level->Release();
  for (IUnknown* object :
       std::initializer_list<IUnknown*>{renderTarget, defaultPool, dynamic, systemMemory, depth, plain, backBuffer}) {
    object->Release();
  }
}

TEST_F(ResourcesTest, CreationRulesFollowTheRuntime) {
  struct Case {
    const char* what;
    UINT width, height, levels;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    HRESULT expected;
  };
  const Case cases[] = {
      {"largest texture", 4096, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3D_OK},
      {"beyond the caps", 4097, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
      {"not a sampled format", 16, 16, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
      {"scratch holds any format", 16, 16, 1, 0, D3DFMT_L8, D3DPOOL_SCRATCH, D3D_OK},
      {"scratch DXT", 16, 16, 0, 0, D3DFMT_DXT5, D3DPOOL_SCRATCH, D3D_OK},
      {"managed render target", 16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
      {"managed dynamic", 16, 16, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
      {"too many levels", 16, 16, 6, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
      {"unknown pool", 16, 16, 1, 0, D3DFMT_A8R8G8B8, static_cast<D3DPOOL>(4), D3DERR_INVALIDCALL},
  };
  for (const Case& c : cases) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(c.width, c.height, c.levels, c.usage, c.format, c.pool, &texture, nullptr),
              c.expected)
        << c.what;
    if (texture != nullptr) texture->Release();
  }
}

TEST_F(ResourcesTest, BuffersLockRangesInsideThemselves) {
  IDirect3DVertexBuffer9* vertices = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, 0x142, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
  D3DVERTEXBUFFER_DESC vertexDescription{};
  ASSERT_EQ(vertices->GetDesc(&vertexDescription), D3D_OK);
  EXPECT_EQ(vertexDescription.Size, 96u);
  EXPECT_EQ(vertexDescription.FVF, 0x142u);
  EXPECT_EQ(vertexDescription.Usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY));
  EXPECT_EQ(vertexDescription.Type, D3DRTYPE_VERTEXBUFFER);

  struct Case {
    UINT offset, size;
    HRESULT expected;
  };
  const Case cases[] = {{0, 0, D3D_OK},
                        {0, 96, D3D_OK},
                        {90, 6, D3D_OK},
                        {96, 0, D3D_OK},
                        {90, 7, D3DERR_INVALIDCALL},
                        {97, 0, D3DERR_INVALIDCALL},
                        {8, 0xFFFFFFFFu, D3DERR_INVALIDCALL}};
  void* first = nullptr;
  ASSERT_EQ(vertices->Lock(0, 0, &first, 0), D3D_OK);
  vertices->Unlock();
  for (const Case& c : cases) {
    void* data = nullptr;
    EXPECT_EQ(vertices->Lock(c.offset, c.size, &data, 0), c.expected) << c.offset << "+" << c.size;
    if (SUCCEEDED(c.expected)) {
      EXPECT_EQ(static_cast<uint8_t*>(data) - static_cast<uint8_t*>(first), static_cast<ptrdiff_t>(c.offset));
      vertices->Unlock();
    }
  }
  EXPECT_EQ(vertices->Unlock(), D3DERR_INVALIDCALL);
  EXPECT_EQ(vertices->Release(), 0u);

  // A buffer smaller than one vertex of its format is refused.
  EXPECT_EQ(device_->CreateVertexBuffer(23, 0, 0x142, D3DPOOL_MANAGED, &vertices, nullptr), D3DERR_INVALIDCALL);

  for (D3DFORMAT format : {D3DFMT_INDEX16, D3DFMT_INDEX32}) {
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device_->CreateIndexBuffer(12, 0, format, D3DPOOL_SYSTEMMEM, &indices, nullptr), D3D_OK);
    D3DINDEXBUFFER_DESC description{};
    ASSERT_EQ(indices->GetDesc(&description), D3D_OK);
    EXPECT_EQ(description.Format, format);
    EXPECT_EQ(description.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(description.Size, 12u);
    EXPECT_EQ(indices->Release(), 0u);
  }
  IDirect3DIndexBuffer9* indices = nullptr;
  EXPECT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &indices, nullptr),
            D3DERR_INVALIDCALL);
}

TEST_F(ResourcesTest, UpdateTextureCopiesSystemMemoryLevelsIntoTheDefaultPool) {
  IDirect3DTexture9* staging = nullptr;
  IDirect3DTexture9* destination = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &staging, nullptr), D3D_OK);
  // Two levels fewer: the destination's level 0 is the source's level 2.
  ASSERT_EQ(
      device_->CreateTexture(2, 2, 0, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &destination, nullptr),
      D3D_OK);
  for (UINT level = 0; level < staging->GetLevelCount(); ++level) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(staging->LockRect(level, &locked, nullptr, 0), D3D_OK);
    const UINT side = 8 >> level;
    for (UINT row = 0; row < side; ++row) {
      for (UINT column = 0; column < side; ++column) {
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch)[column] =
            0xFF000000u | (level << 16) | (row << 8) | column;
      }
    }
    staging->UnlockRect(level);
  }
  ASSERT_EQ(device_->UpdateTexture(staging, destination), D3D_OK);
  IDirect3DSurface9* top = nullptr;
  ASSERT_EQ(destination->GetSurfaceLevel(0, &top), D3D_OK);
  EXPECT_EQ(ReadPixels(top), (std::vector<uint32_t>{0xFF020000u, 0xFF020001u, 0xFF020100u, 0xFF020101u}));
  top->Release();

  // The wrong way round, or between different formats, nothing is copied.
  EXPECT_EQ(device_->UpdateTexture(destination, staging), D3DERR_INVALIDCALL);
  IDirect3DTexture9* other = nullptr;
  ASSERT_EQ(device_->CreateTexture(2, 2, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &other, nullptr), D3D_OK);
  EXPECT_EQ(device_->UpdateTexture(staging, other), D3DERR_INVALIDCALL);
  other->Release();
  staging->Release();
  destination->Release();
}

TEST_F(ResourcesTest, UpdateSurfaceAndColorFillTouchOnlyTheirRectangles) {
  IDirect3DSurface9* source = nullptr;
  IDirect3DSurface9* destination = nullptr;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &source, nullptr), D3D_OK);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &destination, nullptr),
            D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(source->LockRect(&locked, nullptr, 0), D3D_OK);
  for (UINT row = 0; row < 4; ++row) {
    for (UINT column = 0; column < 4; ++column) {
      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch)[column] =
          0xFF000000u | (row << 4) | column;
    }
  }
  source->UnlockRect();
  ASSERT_EQ(device_->ColorFill(destination, nullptr, 0xFF0000FFu), D3D_OK);
  const RECT fill{3, 0, 4, 4};
  ASSERT_EQ(device_->ColorFill(destination, &fill, 0xFF00FF00u), D3D_OK);
  // Source rows 1-2, columns 0-1, to destination (1, 2).
  const RECT from{0, 1, 2, 3};
  const POINT to{1, 2};
  ASSERT_EQ(device_->UpdateSurface(source, &from, destination, &to), D3D_OK);
  const POINT outside{3, 2};
  EXPECT_EQ(device_->UpdateSurface(source, &from, destination, &outside), D3DERR_INVALIDCALL);

  ASSERT_EQ(destination->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  std::vector<uint32_t> pixels;
  for (UINT row = 0; row < 4; ++row) {
    const auto* line =
        reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + row * locked.Pitch);
    pixels.insert(pixels.end(), line, line + 4);
  }
  destination->UnlockRect();
  const uint32_t B = 0xFF0000FFu, G = 0xFF00FF00u;
  EXPECT_EQ(pixels, (std::vector<uint32_t>{B, B, B, G,                      //
                                           B, B, B, G,                      //
                                           B, 0xFF000010u, 0xFF000011u, G,  //
                                           B, 0xFF000020u, 0xFF000021u, G}));
  source->Release();
  destination->Release();
}

TEST_F(ResourcesTest, VertexDeclarationsRoundTripAndRejectMalformedLists) {
  const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                        {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
                                        {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
                                        D3DDECL_END()};
  IDirect3DVertexDeclaration9* declaration = nullptr;
  ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration), D3D_OK);
  UINT count = 0;
  ASSERT_EQ(declaration->GetDeclaration(nullptr, &count), D3D_OK);
  EXPECT_EQ(count, 4u) << "the end marker counts";
  D3DVERTEXELEMENT9 copy[4] = {};
  ASSERT_EQ(declaration->GetDeclaration(copy, &count), D3D_OK);
  EXPECT_EQ(std::memcmp(copy, elements, sizeof elements), 0);
  EXPECT_EQ(declaration->Release(), 0u);

  struct Case {
    const char* what;
    D3DVERTEXELEMENT9 element;
  };
  const Case malformed[] = {
      {"repeated usage", {0, 16, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0}},
      {"misaligned offset", {0, 18, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0}},
      {"unknown type", {0, 16, 40, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0}},
      {"stream beyond 15", {16, 0, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0}},
  };
  for (const Case& c : malformed) {
    const D3DVERTEXELEMENT9 list[] = {elements[0], c.element, D3DDECL_END()};
    IDirect3DVertexDeclaration9* rejected = nullptr;
    EXPECT_EQ(device_->CreateVertexDeclaration(list, &rejected), D3DERR_INVALIDCALL) << c.what;
    EXPECT_EQ(rejected, nullptr);
  }
  std::vector<D3DVERTEXELEMENT9> unterminated(70);
  for (size_t i = 0; i < unterminated.size(); ++i) {
    unterminated[i] = {0,
                       static_cast<WORD>(4 * i),
                       D3DDECLTYPE_FLOAT1,
                       D3DDECLMETHOD_DEFAULT,
                       D3DDECLUSAGE_TEXCOORD,
                       static_cast<BYTE>(i % 16)};
    unterminated[i].Usage = static_cast<BYTE>(i / 16);
  }
  IDirect3DVertexDeclaration9* rejected = nullptr;
  EXPECT_EQ(device_->CreateVertexDeclaration(unterminated.data(), &rejected), D3DERR_INVALIDCALL)
      << "no end marker within the longest declaration";
}

}  // namespace
}  // namespace d3d9test

namespace d3d9test {
namespace {

// The vertex sizes the runtime derives from FVF codes; buffers and draws rely on them.
TEST(VertexFormatTest, FvfCodesGiveTheRuntimesVertexSizes) {
  struct Case {
    DWORD fvf;
    UINT size;  // 0: the code is refused
  };
  const Case cases[] = {
      {D3DFVF_XYZ, 12},
      {D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, 24},
      {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32},
      {D3DFVF_XYZRHW | D3DFVF_DIFFUSE, 20},
      {D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1), 32},
      {D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE1(0), 16},
      {D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4, 20},
      {D3DFVF_XYZW | D3DFVF_SPECULAR | D3DFVF_PSIZE, 24},
      {D3DFVF_DIFFUSE, 0},          // no position
      {D3DFVF_XYZ | 0x2000, 0},     // reserved bit
      {D3DFVF_XYZ | (9u << 8), 0},  // more than eight texture sets
  };
  for (const Case& c : cases) EXPECT_EQ(d3d9::FvfVertexSize(c.fvf), c.size) << std::hex << c.fvf;
}

}  // namespace
}  // namespace d3d9test
