#include "device_fixture.h"

#include <cstring>
#include <string_view>

namespace d3d9test {

namespace {

LRESULT CALLBACK TestWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

const char* RegisterTestClass() {
  static const char* name = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TestWindowProcedure;
    windowClass.lpszClassName = "D3D9StandInTest";
    RegisterClassA(&windowClass);
    return "D3D9StandInTest";
  }();
  return name;
}

}  // namespace

HWND CreateTestWindow(int x, int y, int width, int height) {
  return CreateWindowExA(0, RegisterTestClass(), "test", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                         nullptr, nullptr);
}

D3DPRESENT_PARAMETERS SaverParameters(D3DFORMAT backBufferFormat) {
  D3DPRESENT_PARAMETERS parameters;
  std::memset(&parameters, 0, sizeof parameters);
  parameters.BackBufferFormat = backBufferFormat;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D16;
  parameters.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
  return parameters;
}

D3DDEVTYPE DeviceTypeUnderTest() {
  const char* chosen = std::getenv("ORBELUNE_TEST_DEVICE");
  return chosen != nullptr && std::string_view(chosen) == "hal" ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF;
}

void DeviceTest::SetUp() {
  UseHeadlessDisplay();
  window_ = CreateTestWindow(100, 50, kWindowWidth, kWindowHeight);
  ASSERT_NE(window_, nullptr);
  direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(direct3d_, nullptr);
  parameters_ = SaverParameters(D3DFMT_X8R8G8B8);
  const D3DDEVTYPE type = DeviceTypeUnderTest();
  ASSERT_EQ(direct3d_->CreateDevice(D3DADAPTER_DEFAULT, type, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                    &parameters_, &device_),
            D3D_OK)
      << (type == D3DDEVTYPE_HAL ? "no OpenGL device on this display" : "no reference device");
}

void DeviceTest::TearDown() {
  if (device_ != nullptr) {
    EXPECT_EQ(device_->Release(), 0u) << "a test left references on the device";
  }
  if (direct3d_ != nullptr) {
    EXPECT_EQ(direct3d_->Release(), 0u);
  }
  if (window_ != nullptr) DestroyWindow(window_);
}

std::vector<uint32_t> DeviceTest::ReadPixels(IDirect3DSurface9* target) {
  D3DSURFACE_DESC description{};
  EXPECT_EQ(target->GetDesc(&description), D3D_OK);
  IDirect3DSurface9* copy = nullptr;
  EXPECT_EQ(device_->CreateOffscreenPlainSurface(description.Width, description.Height, description.Format,
                                                 D3DPOOL_SYSTEMMEM, &copy, nullptr),
            D3D_OK);
  std::vector<uint32_t> pixels;
  if (copy == nullptr) return pixels;
  EXPECT_EQ(device_->GetRenderTargetData(target, copy), D3D_OK);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  for (UINT row = 0; row < description.Height; ++row) {
    const auto* line =
        reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + row * locked.Pitch);
    pixels.insert(pixels.end(), line, line + description.Width);
  }
  copy->UnlockRect();
  copy->Release();
  return pixels;
}

std::vector<uint32_t> DeviceTest::ReadBackBuffer() {
  IDirect3DSurface9* backBuffer = nullptr;
  EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  std::vector<uint32_t> pixels = ReadPixels(backBuffer);
  backBuffer->Release();
  return pixels;
}

IDirect3DTexture9* DeviceTest::CreateFilledTexture(UINT width, UINT height, const std::vector<uint32_t>& texels,
                                                   D3DFORMAT format) {
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (UINT row = 0; row < height; ++row) {
    std::memcpy(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch, texels.data() + row * width, width * 4);
  }
  texture->UnlockRect(0);
  return texture;
}

}  // namespace d3d9test
