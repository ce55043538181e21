// A saver-like setting for the Direct3D 9 stand-in's tests: the headless display, one small
// popup window, the Direct3D object and a device with the presentation parameters the
// renderer uses, plus helpers that read pixels back through the API. The device is the
// reference device, or the OpenGL one when ORBELUNE_TEST_DEVICE=hal (run on an X display with
// ORBELUNE_HAL=software where there is no GPU): the same tests then hold the second device to
// the same rules.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "d3d9api.h"

namespace d3d9test {

constexpr int kWindowWidth = 64;
constexpr int kWindowHeight = 48;

// The headless display unless the run names another; test processes never wait for the
// display: pacing has its own test.
inline void UseHeadlessDisplay() {
  setenv("ORBELUNE_DISPLAY", "headless", 0);  // a run may choose the SDL display instead
  setenv("ORBELUNE_NO_VSYNC", "1", 1);
  unsetenv("ORBELUNE_D3D_FAIL");
}

HWND CreateTestWindow(int x, int y, int width, int height);

// The renderer's presentation parameters: windowed, size from the window, display format,
// automatic D16 depth, default interval.
D3DPRESENT_PARAMETERS SaverParameters(D3DFORMAT backBufferFormat);

// The device type under test: D3DDEVTYPE_HAL when ORBELUNE_TEST_DEVICE=hal, else the reference.
D3DDEVTYPE DeviceTypeUnderTest();

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The render target's pixels (0xAARRGGBB), read back through a system-memory surface.
  std::vector<uint32_t> ReadPixels(IDirect3DSurface9* target);
  std::vector<uint32_t> ReadBackBuffer();
  IDirect3DTexture9* CreateFilledTexture(UINT width, UINT height, const std::vector<uint32_t>& texels,
                                         D3DFORMAT format = D3DFMT_A8R8G8B8);

  HWND window_ = nullptr;
  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  D3DPRESENT_PARAMETERS parameters_{};
};

// Reference count of an object, read without changing it.
inline ULONG CountOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

}  // namespace d3d9test
