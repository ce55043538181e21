// A saver-like setting for the Direct3D 9 stand-in's tests: the headless display, one small
// popup window, the Direct3D object and a reference device with the presentation parameters
// the renderer uses, plus helpers that read pixels back through the API.
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
