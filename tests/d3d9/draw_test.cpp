// Drawing through the API: the translation of vertex formats and states into the reference
// device's description, checked on pixels that the rasterization rules fix exactly.
#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "device_fixture.h"

namespace d3d9test {
namespace {

// The renderer's quad vertex: FVF D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1 (0x142).
struct SceneVertex {
  float x, y, z;
  D3DCOLOR diffuse;
  float u, v;
};
static_assert(sizeof(SceneVertex) == 24);

constexpr DWORD kSceneFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kWhite = 0xFFFFFFFFu;

// A strip covering a width x height target from pixel edge -0.5 to size - 0.5, so that with
// identity transforms each pixel centre (x, y) samples u = (x + 0.5) / width: texels land on
// pixels without ties.
std::vector<SceneVertex> FullTargetQuad(int width, int height, float z = 0.5f, D3DCOLOR diffuse = kWhite) {
  const float left = -1.0f - 1.0f / width, right = 1.0f - 1.0f / width;
  const float top = 1.0f + 1.0f / height, bottom = -1.0f + 1.0f / height;
  return {{left, top, z, diffuse, 0, 0},
          {right, top, z, diffuse, 1, 0},
          {left, bottom, z, diffuse, 0, 1},
          {right, bottom, z, diffuse, 1, 1}};
}

// Pixel (x, y) of a width x height target covered by FullTargetQuad with a point-sampled
// texture of texWidth x texHeight texels.
uint32_t TexelAt(const std::vector<uint32_t>& texels, int texWidth, int texHeight, int x, int y, int width,
                 int height) {
  const int column = (2 * x + 1) * texWidth / (2 * width);
  const int row = (2 * y + 1) * texHeight / (2 * height);
  return texels[row * texWidth + column];
}

std::vector<uint32_t> Opaque(std::vector<uint32_t> pixels) {
  for (uint32_t& pixel : pixels) pixel |= 0xFF000000u;
  return pixels;
}

class DrawTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_NE(device_, nullptr);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  }

  IDirect3DVertexBuffer9* CreateBuffer(const void* data, UINT bytes, DWORD fvf) {
    IDirect3DVertexBuffer9* buffer = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    void* mapped = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &mapped, 0), D3D_OK);
    std::memcpy(mapped, data, bytes);
    buffer->Unlock();
    return buffer;
  }

  // Draws a quad with FVF 0x142 from a vertex buffer as a strip of two triangles.
  HRESULT DrawQuad(const std::vector<SceneVertex>& quad) {
    IDirect3DVertexBuffer9* buffer = CreateBuffer(quad.data(), 96, kSceneFvf);
    device_->SetStreamSource(0, buffer, 0, sizeof(SceneVertex));
    device_->SetFVF(kSceneFvf);
    device_->BeginScene();
    const HRESULT result = device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device_->EndScene();
    device_->SetStreamSource(0, nullptr, 0, 0);
    buffer->Release();
    return result;
  }

  void ClearBackBuffer(D3DCOLOR color) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0), D3D_OK);
  }

  // The picture of the round trip test: a 2 x 2 texture drawn into the back buffer.
  std::vector<uint32_t> DrawTexturedQuadWith(const std::function<HRESULT()>& draw) {
    IDirect3DTexture9* texture = CreateFilledTexture(2, 2, {kRed, kGreen, kBlue, kWhite});
    device_->SetTexture(0, texture);
    ClearBackBuffer(0xFF000000u);
    device_->BeginScene();
    EXPECT_EQ(draw(), D3D_OK);
    device_->EndScene();
    device_->SetTexture(0, nullptr);
    texture->Release();
    return ReadBackBuffer();
  }
};

TEST_F(DrawTest, AQuadDrawnIntoATextureIsSampledBackTexelForPixel) {
  const std::vector<uint32_t> source = {kRed, kGreen, kBlue, kWhite};
  IDirect3DTexture9* picture = CreateFilledTexture(2, 2, source);
  IDirect3DTexture9* offscreen = nullptr;
  ASSERT_EQ(
      device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &offscreen, nullptr),
      D3D_OK);
  IDirect3DSurface9* offscreenSurface = nullptr;
  ASSERT_EQ(offscreen->GetSurfaceLevel(0, &offscreenSurface), D3D_OK);
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(0, &backBuffer), D3D_OK);

  // Pass 1: the picture into the 8 x 8 texture.
  ASSERT_EQ(device_->SetRenderTarget(0, offscreenSurface), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), D3D_OK);
  device_->SetTexture(0, picture);
  ASSERT_EQ(DrawQuad(FullTargetQuad(8, 8)), D3D_OK);
  std::vector<uint32_t> expectedOffscreen;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) expectedOffscreen.push_back(TexelAt(source, 2, 2, x, y, 8, 8));
  }
  EXPECT_EQ(ReadPixels(offscreenSurface), expectedOffscreen);

  // Pass 2: the texture just drawn, sampled onto the back buffer in the same frame.
  ASSERT_EQ(device_->SetRenderTarget(0, backBuffer), D3D_OK);
  device_->SetTexture(0, offscreen);
  ASSERT_EQ(DrawQuad(FullTargetQuad(kWindowWidth, kWindowHeight)), D3D_OK);
  std::vector<uint32_t> expectedBack;
  for (int y = 0; y < kWindowHeight; ++y) {
    for (int x = 0; x < kWindowWidth; ++x) {
      expectedBack.push_back(TexelAt(expectedOffscreen, 8, 8, x, y, kWindowWidth, kWindowHeight));
    }
  }
  EXPECT_EQ(Opaque(ReadBackBuffer()), expectedBack);

  device_->SetTexture(0, nullptr);
  backBuffer->Release();
  offscreenSurface->Release();
  offscreen->Release();
  picture->Release();
}

TEST_F(DrawTest, DeclarationsFvfCodesAndCallerMemoryGiveTheSamePixels) {
  const std::vector<SceneVertex> quad = FullTargetQuad(kWindowWidth, kWindowHeight);
  IDirect3DVertexBuffer9* buffer = CreateBuffer(quad.data(), 96, kSceneFvf);

  const std::vector<uint32_t> withFvf = DrawTexturedQuadWith([&] {
    device_->SetStreamSource(0, buffer, 0, sizeof(SceneVertex));
    device_->SetFVF(kSceneFvf);
    return device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  });
  std::vector<uint32_t> expected;
  for (int y = 0; y < kWindowHeight; ++y) {
    for (int x = 0; x < kWindowWidth; ++x) {
      expected.push_back(TexelAt({kRed, kGreen, kBlue, kWhite}, 2, 2, x, y, kWindowWidth, kWindowHeight));
    }
  }
  EXPECT_EQ(Opaque(withFvf), expected);

  const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                        {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
                                        {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
                                        D3DDECL_END()};
  IDirect3DVertexDeclaration9* declaration = nullptr;
  ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration), D3D_OK);
  EXPECT_EQ(DrawTexturedQuadWith([&] {
              device_->SetStreamSource(0, buffer, 0, sizeof(SceneVertex));
              device_->SetVertexDeclaration(declaration);
              return device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
            }),
            withFvf);

  // The same vertices split over two streams (positions; colour and coordinates), which the
  // stand-in repacks for the rasterizer.
  std::vector<float> positions;
  std::vector<uint8_t> rest;
  for (const SceneVertex& vertex : quad) {
    positions.insert(positions.end(), {vertex.x, vertex.y, vertex.z});
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&vertex) + 12;
    rest.insert(rest.end(), bytes, bytes + 12);
  }
  IDirect3DVertexBuffer9* positionBuffer = CreateBuffer(positions.data(), 48, 0);
  IDirect3DVertexBuffer9* restBuffer = CreateBuffer(rest.data(), 48, 0);
  const D3DVERTEXELEMENT9 split[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                     {1, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
                                     {1, 4, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
                                     D3DDECL_END()};
  IDirect3DVertexDeclaration9* splitDeclaration = nullptr;
  ASSERT_EQ(device_->CreateVertexDeclaration(split, &splitDeclaration), D3D_OK);
  EXPECT_EQ(DrawTexturedQuadWith([&] {
              device_->SetStreamSource(0, positionBuffer, 0, 12);
              device_->SetStreamSource(1, restBuffer, 0, 12);
              device_->SetVertexDeclaration(splitDeclaration);
              return device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
            }),
            withFvf);

  EXPECT_EQ(DrawTexturedQuadWith([&] {
              device_->SetFVF(kSceneFvf);
              return device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(SceneVertex));
            }),
            withFvf);
  IDirect3DVertexBuffer9* stream = reinterpret_cast<IDirect3DVertexBuffer9*>(0x1);
  UINT offset = 0, stride = 0;
  ASSERT_EQ(device_->GetStreamSource(0, &stream, &offset, &stride), D3D_OK);
  EXPECT_EQ(stream, nullptr) << "drawing from caller memory unbinds stream 0";

  device_->SetStreamSource(1, nullptr, 0, 0);
  device_->SetVertexDeclaration(nullptr);
  splitDeclaration->Release();
  declaration->Release();
  positionBuffer->Release();
  restBuffer->Release();
  buffer->Release();
}

TEST_F(DrawTest, IndexedDrawsReadSixteenAndThirtyTwoBitIndicesFromTheBaseVertex) {
  // Two unused vertices first: the draw starts at base vertex 2.
  std::vector<SceneVertex> vertices(2, SceneVertex{9, 9, 9, 0, 0, 0});
  const std::vector<SceneVertex> quad = FullTargetQuad(kWindowWidth, kWindowHeight);
  vertices.insert(vertices.end(), quad.begin(), quad.end());
  IDirect3DVertexBuffer9* buffer =
      CreateBuffer(vertices.data(), static_cast<UINT>(vertices.size() * sizeof(SceneVertex)), kSceneFvf);

  const std::vector<uint32_t> reference = DrawTexturedQuadWith([&] {
    device_->SetStreamSource(0, buffer, 0, sizeof(SceneVertex));
    device_->SetFVF(kSceneFvf);
    return device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 2, 2);
  });

  const uint16_t indices16[] = {0, 1, 2, 2, 1, 3};
  const uint32_t indices32[] = {0, 1, 2, 2, 1, 3};
  for (D3DFORMAT format : {D3DFMT_INDEX16, D3DFMT_INDEX32}) {
    const UINT bytes = format == D3DFMT_INDEX16 ? sizeof indices16 : sizeof indices32;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    ASSERT_EQ(device_->CreateIndexBuffer(bytes, 0, format, D3DPOOL_SYSTEMMEM, &indexBuffer, nullptr), D3D_OK);
    void* mapped = nullptr;
    ASSERT_EQ(indexBuffer->Lock(0, 0, &mapped, 0), D3D_OK);
    std::memcpy(mapped, format == D3DFMT_INDEX16 ? static_cast<const void*>(indices16) : indices32, bytes);
    indexBuffer->Unlock();
    EXPECT_EQ(DrawTexturedQuadWith([&] {
                device_->SetStreamSource(0, buffer, 0, sizeof(SceneVertex));
                device_->SetFVF(kSceneFvf);
                device_->SetIndices(indexBuffer);
                return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 4, 0, 2);
              }),
              reference)
        << (format == D3DFMT_INDEX16 ? "16-bit" : "32-bit");
    // More indices than the buffer holds: refused, nothing drawn.
    device_->BeginScene();
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 4, 3, 2), D3DERR_INVALIDCALL);
    device_->EndScene();
    device_->SetIndices(nullptr);
    indexBuffer->Release();
  }
  EXPECT_EQ(DrawTexturedQuadWith([&] {
              device_->SetFVF(kSceneFvf);
              return device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices16, D3DFMT_INDEX16,
                                                     quad.data(), sizeof(SceneVertex));
            }),
            reference);
  device_->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
}

TEST_F(DrawTest, DrawsThatCannotBeDoneFaithfullyAreRefused) {
  const std::vector<SceneVertex> quad = FullTargetQuad(kWindowWidth, kWindowHeight);
  struct Case {
    const char* what;
    std::function<void()> set;
    std::function<void()> undo;
    HRESULT expected;
  };
  auto renderState = [&](D3DRENDERSTATETYPE state, DWORD value, DWORD previous) {
    return std::make_pair(std::function<void()>([=, this] { device_->SetRenderState(state, value); }),
                          std::function<void()>([=, this] { device_->SetRenderState(state, previous); }));
  };
  auto stageState = [&](DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value, DWORD previous) {
    return std::make_pair(std::function<void()>([=, this] { device_->SetTextureStageState(stage, state, value); }),
                          std::function<void()>([=, this] { device_->SetTextureStageState(stage, state, previous); }));
  };
  const std::pair<std::function<void()>, std::function<void()>> alphaTest =
      renderState(D3DRS_ALPHATESTENABLE, TRUE, FALSE);
  const auto fog = renderState(D3DRS_FOGENABLE, TRUE, FALSE);
  const auto colorMask = renderState(D3DRS_COLORWRITEENABLE, 0x7, 0xF);
  const auto blendOp = std::make_pair(std::function<void()>([this] {
                                        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
                                        device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_MAX);
                                      }),
                                      std::function<void()>([this] {
                                        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
                                        device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
                                      }));
  const auto dot3 = stageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3, D3DTOP_MODULATE);
  const auto factor = stageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR, D3DTA_TEXTURE);
  const auto alphaArg = stageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_TEXTURE);
  const auto secondStage = stageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE, D3DTOP_DISABLE);
  const auto border = std::make_pair(
      std::function<void()>([this] { device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_BORDER); }),
      std::function<void()>([this] { device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP); }));
  const Case cases[] = {
      {"alpha test", alphaTest.first, alphaTest.second, D3DERR_CONFLICTINGRENDERSTATE},
      {"fog", fog.first, fog.second, D3DERR_CONFLICTINGRENDERSTATE},
      {"colour write mask", colorMask.first, colorMask.second, D3DERR_CONFLICTINGRENDERSTATE},
      {"blend operation", blendOp.first, blendOp.second, D3DERR_CONFLICTINGRENDERSTATE},
      {"dot product", dot3.first, dot3.second, D3DERR_UNSUPPORTEDCOLOROPERATION},
      {"texture factor", factor.first, factor.second, D3DERR_UNSUPPORTEDCOLORARG},
      {"complemented alpha", alphaArg.first, alphaArg.second, D3DERR_UNSUPPORTEDALPHAARG},
      {"second stage", secondStage.first, secondStage.second, D3DERR_TOOMANYOPERATIONS},
      {"border addressing", border.first, border.second, D3DERR_CONFLICTINGTEXTUREFILTER},
  };
  device_->SetFVF(kSceneFvf);
  for (const Case& c : cases) {
    c.set();
    device_->BeginScene();
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(SceneVertex)), c.expected) << c.what;
    device_->EndScene();
    c.undo();
  }

  device_->BeginScene();
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_POINTLIST, 4, quad.data(), sizeof(SceneVertex)), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(SceneVertex)), D3D_OK);
  device_->SetFVF(0);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(SceneVertex)), D3DERR_INVALIDCALL)
      << "no vertex format";
  device_->EndScene();
  device_->SetFVF(kSceneFvf);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(SceneVertex)), D3DERR_INVALIDCALL)
      << "outside BeginScene/EndScene";

  // A buffer holding fewer vertices than the draw reads.
  IDirect3DVertexBuffer9* buffer = CreateBuffer(quad.data(), 96, kSceneFvf);
  device_->SetStreamSource(0, buffer, 0, sizeof(SceneVertex));
  device_->BeginScene();
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);
  device_->EndScene();
  device_->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
}

TEST_F(DrawTest, LitVerticesTakeTheAmbientLightAndAreBlackWithoutIt) {
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  device_->SetFVF(kSceneFvf);
  const std::vector<SceneVertex> quad = FullTargetQuad(kWindowWidth, kWindowHeight, 0.5f, 0x8040C0FFu);
  auto draw = [&] {
    ClearBackBuffer(0xFF123456u);
    device_->BeginScene();
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(SceneVertex)), D3D_OK);
    device_->EndScene();
    return Opaque(ReadBackBuffer())[kWindowWidth * 10 + 10];
  };
  EXPECT_EQ(draw(), 0xFF40C0FFu) << "lighting off: the vertex colour";

  device_->SetRenderState(D3DRS_LIGHTING, TRUE);
  EXPECT_EQ(draw(), 0xFF000000u) << "no lights, black default material";

  // Ambient light 0x80 on each channel, the vertex colour as ambient material.
  device_->SetRenderState(D3DRS_AMBIENT, 0x00808080u);
  device_->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
  EXPECT_EQ(draw(), 0xFF206080u);
}

TEST_F(DrawTest, WithoutATextureTheDefaultStageShowsTheVertexColour) {
  // Default stage 0: colour = texture x diffuse, alpha = texture; an empty stage reads white.
  device_->SetFVF(kSceneFvf);
  const std::vector<SceneVertex> quad = FullTargetQuad(kWindowWidth, kWindowHeight, 0.5f, 0x8040C0FFu);
  ClearBackBuffer(0xFF000000u);
  device_->BeginScene();
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(SceneVertex)), D3D_OK);
  device_->EndScene();
  EXPECT_EQ(Opaque(ReadBackBuffer())[kWindowWidth * 10 + 10], 0xFF40C0FFu);
}

TEST_F(DrawTest, TheLargestMipLevelFollowsMaxMipLevelAndTheLevelOfDetail) {
  // Level 0 red, level 1 green, drawn one texel per pixel of level 0 without mip filtering.
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  for (UINT level = 0; level < 2; ++level) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
    for (UINT row = 0; row < (4u >> level); ++row) {
      auto* line = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch);
      std::fill(line, line + (4u >> level), level == 0 ? kRed : kGreen);
    }
    texture->UnlockRect(level);
  }
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
            D3D_OK);
  IDirect3DSurface9* targetSurface = nullptr;
  target->GetSurfaceLevel(0, &targetSurface);
  IDirect3DSurface9* saved = nullptr;
  device_->GetRenderTarget(0, &saved);
  device_->SetRenderTarget(0, targetSurface);
  device_->SetTexture(0, texture);
  device_->SetFVF(kSceneFvf);
  const std::vector<SceneVertex> quad = FullTargetQuad(4, 4);
  auto centre = [&] {
    device_->BeginScene();
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(SceneVertex)), D3D_OK);
    device_->EndScene();
    return ReadPixels(targetSurface)[5];
  };
  EXPECT_EQ(centre(), kRed);
  device_->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 1);
  EXPECT_EQ(centre(), kGreen);
  device_->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0);
  EXPECT_EQ(texture->SetLOD(1), 0u);
  EXPECT_EQ(centre(), kGreen);

  device_->SetTexture(0, nullptr);
  device_->SetRenderTarget(0, saved);
  saved->Release();
  targetSurface->Release();
  target->Release();
  texture->Release();
}

TEST_F(DrawTest, TheRenderersBlendingDoublesTheAlphaAndMixesSourceOverDestination) {
  // The object pass: colour texture x diffuse, alpha 2 x texture x diffuse, source-alpha blend.
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE2X);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
  IDirect3DTexture9* texture = CreateFilledTexture(1, 1, {0x80FFFFFFu});
  device_->SetTexture(0, texture);
  device_->SetFVF(kSceneFvf);
  const std::vector<SceneVertex> quad = FullTargetQuad(kWindowWidth, kWindowHeight, 0.5f, 0x80FFFFFFu);
  auto blended = [&] {
    ClearBackBuffer(0xFF000000u);
    device_->BeginScene();
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(SceneVertex)), D3D_OK);
    device_->EndScene();
    return ReadBackBuffer()[kWindowWidth * 10 + 10] & 0xFFu;
  };
  // alpha = 2 x 128/255 x 128/255 = 0.504: white over black gives about 0x80.
  const uint32_t sourceAlpha = blended();
  EXPECT_NEAR(static_cast<double>(sourceAlpha), 128.5, 1.5);
  // The legacy "both" factor names the same pair.
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BOTHSRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
  EXPECT_EQ(blended(), sourceAlpha);
  device_->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(DrawTest, DepthIsTestedLessOrEqualAndWrittenWhenEnabled) {
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device_->SetFVF(kSceneFvf);
  const std::vector<SceneVertex> nearRed = FullTargetQuad(kWindowWidth, kWindowHeight, 0.25f, kRed);
  const std::vector<SceneVertex> farGreen = FullTargetQuad(kWindowWidth, kWindowHeight, 0.75f, kGreen);
  const std::vector<SceneVertex> sameRedBlue = FullTargetQuad(kWindowWidth, kWindowHeight, 0.25f, kBlue);
  auto drawBoth = [&](DWORD zEnable) {
    device_->SetRenderState(D3DRS_ZENABLE, zEnable);
    ClearBackBuffer(0xFF000000u);
    device_->BeginScene();
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, nearRed.data(), sizeof(SceneVertex));
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, farGreen.data(), sizeof(SceneVertex));
    device_->EndScene();
    return Opaque(ReadBackBuffer())[kWindowWidth * 20 + 30];
  };
  EXPECT_EQ(drawBoth(D3DZB_TRUE), kRed);
  EXPECT_EQ(drawBoth(D3DZB_FALSE), kGreen);

  // Equal depth passes LESSEQUAL.
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device_->BeginScene();
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, nearRed.data(), sizeof(SceneVertex));
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, sameRedBlue.data(), sizeof(SceneVertex));
  device_->EndScene();
  EXPECT_EQ(Opaque(ReadBackBuffer())[kWindowWidth * 20 + 30], kBlue);

  // A depth surface smaller than the render target cannot be used.
  IDirect3DSurface9* small = nullptr;
  ASSERT_EQ(device_->CreateDepthStencilSurface(8, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &small, nullptr),
            D3D_OK);
  IDirect3DSurface9* saved = nullptr;
  ASSERT_EQ(device_->GetDepthStencilSurface(&saved), D3D_OK);
  device_->SetDepthStencilSurface(small);
  device_->BeginScene();
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, nearRed.data(), sizeof(SceneVertex)), D3DERR_INVALIDCALL);
  device_->EndScene();
  device_->SetDepthStencilSurface(saved);
  saved->Release();
  small->Release();
}

TEST_F(DrawTest, ClearFillsTheViewportAndTheGivenRectanglesOnly) {
  ClearBackBuffer(0xFF000000u);
  const D3DVIEWPORT9 viewport{10, 5, 20, 10, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3D_OK);
  const D3DRECT rects[] = {{0, 0, 12, 7}, {28, 13, 64, 48}};  // cut down to the viewport
  ASSERT_EQ(device_->Clear(2, rects, D3DCLEAR_TARGET, kGreen, 1.0f, 0), D3D_OK);
  const std::vector<uint32_t> pixels = Opaque(ReadBackBuffer());
  for (int y = 0; y < kWindowHeight; ++y) {
    for (int x = 0; x < kWindowWidth; ++x) {
      uint32_t expected = 0xFF000000u;
      if (x >= 10 && x < 30 && y >= 5 && y < 15) {
        const bool inRect = (x < 12 && y < 7) || (x >= 28 && y >= 13);
        expected = inRect ? kGreen : kRed;
      }
      ASSERT_EQ(pixels[y * kWindowWidth + x], expected) << x << "," << y;
    }
  }
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL) << "D16 has no stencil";
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
  device_->SetDepthStencilSurface(nullptr);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL) << "no depth surface";
}

TEST_F(DrawTest, ATextureCannotBeSampledWhileItIsTheRenderTarget) {
  IDirect3DTexture9* offscreen = nullptr;
  ASSERT_EQ(
      device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &offscreen, nullptr),
      D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  offscreen->GetSurfaceLevel(0, &surface);
  IDirect3DSurface9* saved = nullptr;
  device_->GetRenderTarget(0, &saved);
  device_->SetRenderTarget(0, surface);
  device_->SetTexture(0, offscreen);
  device_->SetFVF(kSceneFvf);
  const std::vector<SceneVertex> quad = FullTargetQuad(8, 8);
  device_->BeginScene();
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(SceneVertex)), D3DERR_INVALIDCALL);
  device_->EndScene();
  device_->SetTexture(0, nullptr);
  device_->SetRenderTarget(0, saved);
  saved->Release();
  surface->Release();
  offscreen->Release();
}

TEST_F(DrawTest, CullingDropsTheWindingTheCullModeNames) {
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device_->SetFVF(kSceneFvf);
  // Clockwise on screen: top-left, top-right, bottom-left.
  const SceneVertex clockwise[] = {{-1, 1, 0.5f, kRed, 0, 0}, {1, 1, 0.5f, kRed, 0, 0}, {-1, -1, 0.5f, kRed, 0, 0}};
  struct Case {
    D3DCULL mode;
    bool drawn;
  };
  for (const Case& c : {Case{D3DCULL_NONE, true}, Case{D3DCULL_CCW, true}, Case{D3DCULL_CW, false}}) {
    device_->SetRenderState(D3DRS_CULLMODE, c.mode);
    ClearBackBuffer(0xFF000000u);
    device_->BeginScene();
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, sizeof(SceneVertex)), D3D_OK);
    device_->EndScene();
    EXPECT_EQ(Opaque(ReadBackBuffer())[kWindowWidth * 2 + 2], c.drawn ? kRed : 0xFF000000u) << "cull mode " << c.mode;
  }
}

}  // namespace
}  // namespace d3d9test
