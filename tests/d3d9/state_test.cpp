// Device state: the real defaults, viewports that follow the render target, and Reset.
#include "device_fixture.h"

namespace d3d9test {
namespace {

using StateTest = DeviceTest;

TEST_F(StateTest, ANewDeviceHasTheRealDefaults) {
  struct RenderCase {
    D3DRENDERSTATETYPE state;
    DWORD value;
  };
  const RenderCase renderStates[] = {
      {D3DRS_ZENABLE, D3DZB_TRUE},  // the device has an automatic depth surface
      {D3DRS_ZWRITEENABLE, TRUE},       {D3DRS_ZFUNC, D3DCMP_LESSEQUAL}, {D3DRS_CULLMODE, D3DCULL_CCW},
      {D3DRS_LIGHTING, TRUE},           {D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_SRCBLEND, D3DBLEND_ONE},
      {D3DRS_DESTBLEND, D3DBLEND_ZERO}, {D3DRS_COLORWRITEENABLE, 0xF},   {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
  };
  for (const RenderCase& c : renderStates) {
    DWORD value = 0xDEADBEEF;
    ASSERT_EQ(device_->GetRenderState(c.state, &value), D3D_OK);
    EXPECT_EQ(value, c.value) << "render state " << c.state;
  }
  struct StageCase {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE state;
    DWORD value;
  };
  const StageCase stageStates[] = {
      {0, D3DTSS_COLOROP, D3DTOP_MODULATE}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {0, D3DTSS_COLORARG2, D3DTA_CURRENT}, {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
      {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
      {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},  {3, D3DTSS_TEXCOORDINDEX, 3},
  };
  for (const StageCase& c : stageStates) {
    DWORD value = 0xDEADBEEF;
    ASSERT_EQ(device_->GetTextureStageState(c.stage, c.state, &value), D3D_OK);
    EXPECT_EQ(value, c.value) << "stage " << c.stage << " state " << c.state;
  }
  DWORD value = 0;
  ASSERT_EQ(device_->GetSamplerState(0, D3DSAMP_MINFILTER, &value), D3D_OK);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_POINT));
  ASSERT_EQ(device_->GetSamplerState(0, D3DSAMP_ADDRESSU, &value), D3D_OK);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTADDRESS_WRAP));
  D3DMATRIX world{};
  ASSERT_EQ(device_->GetTransform(D3DTS_WORLD, &world), D3D_OK);
  EXPECT_EQ(world._11, 1.0f);
  EXPECT_EQ(world._41, 0.0f);

  EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(6), 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_DISABLE), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetSamplerState(16, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3DERR_INVALIDCALL);
}

TEST_F(StateTest, SettingARenderTargetResetsTheViewportToTheWholeTarget) {
  const D3DVIEWPORT9 small{2, 3, 10, 11, 0.25f, 0.75f};
  ASSERT_EQ(device_->SetViewport(&small), D3D_OK);
  D3DVIEWPORT9 viewport{};
  ASSERT_EQ(device_->GetViewport(&viewport), D3D_OK);
  EXPECT_EQ(viewport.X, 2u);
  EXPECT_EQ(viewport.MaxZ, 0.75f);

  IDirect3DTexture9* offscreen = nullptr;
  ASSERT_EQ(
      device_->CreateTexture(32, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &offscreen, nullptr),
      D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  ASSERT_EQ(offscreen->GetSurfaceLevel(0, &surface), D3D_OK);
  IDirect3DSurface9* saved = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(0, &saved), D3D_OK);

  ASSERT_EQ(device_->SetRenderTarget(0, surface), D3D_OK);
  ASSERT_EQ(device_->GetViewport(&viewport), D3D_OK);
  EXPECT_EQ(viewport.X, 0u);
  EXPECT_EQ(viewport.Y, 0u);
  EXPECT_EQ(viewport.Width, 32u);
  EXPECT_EQ(viewport.Height, 16u);
  EXPECT_EQ(viewport.MinZ, 0.0f);
  EXPECT_EQ(viewport.MaxZ, 1.0f);
  // A viewport must lie inside the render target.
  const D3DVIEWPORT9 tooWide{0, 0, 33, 16, 0.0f, 1.0f};
  EXPECT_EQ(device_->SetViewport(&tooWide), D3DERR_INVALIDCALL);

  ASSERT_EQ(device_->SetRenderTarget(0, saved), D3D_OK);
  ASSERT_EQ(device_->GetViewport(&viewport), D3D_OK);
  EXPECT_EQ(viewport.Width, static_cast<DWORD>(kWindowWidth));
  EXPECT_EQ(viewport.Height, static_cast<DWORD>(kWindowHeight));

  // Only render-target surfaces can be bound, and target 0 cannot be unbound.
  IDirect3DTexture9* plain = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain, nullptr), D3D_OK);
  IDirect3DSurface9* plainLevel = nullptr;
  plain->GetSurfaceLevel(0, &plainLevel);
  EXPECT_EQ(device_->SetRenderTarget(0, plainLevel), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
  plainLevel->Release();
  plain->Release();
  saved->Release();
  surface->Release();
  offscreen->Release();
}

TEST_F(StateTest, ResetIsRefusedWhileDefaultPoolResourcesAreHeldAndWorksAfterwards) {
  IDirect3DTexture9* offscreen = nullptr;
  ASSERT_EQ(
      device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &offscreen, nullptr),
      D3D_OK);
  IDirect3DTexture9* managed = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);

  D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_X8R8G8B8);
  EXPECT_EQ(device_->Reset(&parameters), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET) << "a refused Reset leaves the device lost";
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);

  // The device's own surfaces held by the caller block Reset too.
  EXPECT_EQ(offscreen->Release(), 0u);
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  EXPECT_EQ(device_->Reset(&parameters), D3DERR_INVALIDCALL);
  backBuffer->Release();

  ASSERT_EQ(device_->Reset(&parameters), D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(parameters.BackBufferWidth, static_cast<UINT>(kWindowWidth));
  DWORD lighting = FALSE;
  ASSERT_EQ(device_->GetRenderState(D3DRS_LIGHTING, &lighting), D3D_OK);
  EXPECT_EQ(lighting, static_cast<DWORD>(TRUE)) << "Reset restores the default state";
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

  // Managed resources survive Reset.
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(managed->LockRect(0, &locked, nullptr, 0), D3D_OK);
  managed->UnlockRect(0);
  EXPECT_EQ(managed->Release(), 0u);
}

TEST_F(StateTest, ADefaultPoolResourceOnlyTheDeviceHoldsDoesNotBlockReset) {
  IDirect3DTexture9* offscreen = nullptr;
  ASSERT_EQ(
      device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &offscreen, nullptr),
      D3D_OK);
  ASSERT_EQ(device_->SetTexture(0, offscreen), D3D_OK);
  EXPECT_EQ(offscreen->Release(), 0u);
  D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_X8R8G8B8);
  EXPECT_EQ(device_->Reset(&parameters), D3D_OK);
  IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(0x1);
  ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
  EXPECT_EQ(bound, nullptr) << "Reset unbinds everything";
}

}  // namespace
}  // namespace d3d9test
