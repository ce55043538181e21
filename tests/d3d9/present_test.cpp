// Presentation: frames reach the window, the front buffer is the desktop image, presents are
// paced to the display's refresh, and a vanished window makes the device lost.
#include <chrono>

#include "device_fixture.h"

namespace d3d9test {
namespace {

using PresentTest = DeviceTest;

// The desktop as GetFrontBufferData sees it.
std::vector<uint32_t> FrontBuffer(IDirect3DDevice9* device, UINT& width, UINT& height) {
  D3DDISPLAYMODE mode{};
  EXPECT_EQ(device->GetDisplayMode(0, &mode), D3D_OK);
  width = mode.Width;
  height = mode.Height;
  IDirect3DSurface9* surface = nullptr;
  EXPECT_EQ(
      device->CreateOffscreenPlainSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &surface, nullptr),
      D3D_OK);
  std::vector<uint32_t> pixels;
  if (surface == nullptr) return pixels;
  EXPECT_EQ(device->GetFrontBufferData(0, surface), D3D_OK);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  for (UINT row = 0; row < mode.Height; ++row) {
    const auto* line =
        reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + row * locked.Pitch);
    pixels.insert(pixels.end(), line, line + mode.Width);
  }
  surface->UnlockRect();
  surface->Release();
  return pixels;
}

TEST_F(PresentTest, APresentedFrameIsOnTheDesktopAtTheWindowsPlace) {
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699u, 1.0f, 0), D3D_OK);
  const D3DRECT corner{0, 0, 4, 4};
  ASSERT_EQ(device_->Clear(1, &corner, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

  UINT width = 0, height = 0;
  const std::vector<uint32_t> desktop = FrontBuffer(device_, width, height);
  ASSERT_EQ(desktop.size(), size_t{width} * height);
  POINT origin{0, 0};
  ASSERT_TRUE(ClientToScreen(window_, &origin));
  auto at = [&](LONG x, LONG y) { return desktop[static_cast<size_t>(y) * width + static_cast<size_t>(x)]; };
  EXPECT_EQ(at(origin.x, origin.y), 0xFFFF0000u);
  EXPECT_EQ(at(origin.x + 3, origin.y + 3), 0xFFFF0000u);
  EXPECT_EQ(at(origin.x + 4, origin.y + 4), 0xFF336699u);
  EXPECT_EQ(at(origin.x + kWindowWidth - 1, origin.y + kWindowHeight - 1), 0xFF336699u);
}

TEST_F(PresentTest, FrontBufferDataNeedsADisplaySizedA8R8G8B8SurfaceInMemory) {
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(device_->GetDisplayMode(0, &mode), D3D_OK);
  struct Case {
    const char* what;
    UINT width, height;
    D3DFORMAT format;
    D3DPOOL pool;
  };
  const Case cases[] = {{"smaller than the display", mode.Width - 1, mode.Height, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH},
                        {"X8R8G8B8", mode.Width, mode.Height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM},
                        {"default pool", mode.Width, mode.Height, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT}};
  for (const Case& c : cases) {
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(c.width, c.height, c.format, c.pool, &surface, nullptr), D3D_OK);
    EXPECT_EQ(device_->GetFrontBufferData(0, surface), D3DERR_INVALIDCALL) << c.what;
    surface->Release();
  }
}

TEST_F(PresentTest, PresentationIsRefusedInsideAScene) {
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

// The default interval waits for the display's refresh: presents cannot come faster than it.
TEST_F(PresentTest, TheDefaultIntervalWaitsForEachRefresh) {
  unsetenv("ORBELUNE_NO_VSYNC");
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(device_->GetDisplayMode(0, &mode), D3D_OK);
  ASSERT_GT(mode.RefreshRate, 0u);
  const auto period = std::chrono::microseconds(1000000 / mode.RefreshRate);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  const auto start = std::chrono::steady_clock::now();
  constexpr int kPresents = 4;
  for (int i = 0; i < kPresents; ++i) ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  // Each present waits for its own refresh tick; the clock started a little after the first
  // present's tick, so at least kPresents - 1 whole periods lie in between.
  EXPECT_GE(elapsed, (kPresents - 1) * period);
  setenv("ORBELUNE_NO_VSYNC", "1", 1);
}

TEST_F(PresentTest, AVanishedWindowMakesTheDeviceLost) {
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  DestroyWindow(window_);
  window_ = nullptr;
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  // Drawing goes on being accepted, as the renderer expects while it retries.
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
  D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_X8R8G8B8);
  EXPECT_EQ(device_->Reset(&parameters), D3DERR_INVALIDCALL) << "no window to present into";
}

}  // namespace
}  // namespace d3d9test
