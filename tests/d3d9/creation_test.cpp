// Creation: the Direct3D object, the adapter's answers, and device creation with its
// fallbacks and the switch that makes each attempt fail.
#include <cstring>
#include <string>

#include "device_fixture.h"
#include "test_switches.h"

namespace d3d9test {
namespace {

class CreationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseHeadlessDisplay();
    window_ = CreateTestWindow(10, 20, kWindowWidth, kWindowHeight);
    ASSERT_NE(window_, nullptr);
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d_, nullptr);
  }
  void TearDown() override {
    unsetenv("ORBELUNE_D3D_FAIL");
    if (direct3d_ != nullptr) {
      EXPECT_EQ(direct3d_->Release(), 0u);
    }
    DestroyWindow(window_);
  }

  HRESULT Create(D3DDEVTYPE type, DWORD flags, D3DPRESENT_PARAMETERS& parameters, IDirect3DDevice9** device) {
    return direct3d_->CreateDevice(D3DADAPTER_DEFAULT, type, window_, flags, &parameters, device);
  }

  HWND window_ = nullptr;
  IDirect3D9* direct3d_ = nullptr;
};

TEST(Direct3DCreate9Test, AnswersOnlyItsOwnSdkVersion) {
  UseHeadlessDisplay();
  EXPECT_EQ(Direct3DCreate9(31), nullptr);
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(direct3d, nullptr);
  EXPECT_EQ(direct3d->Release(), 0u);
}

TEST_F(CreationTest, DisplayModeIsTheScreenInX8R8G8B8) {
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(direct3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, static_cast<UINT>(GetSystemMetrics(SM_CXSCREEN)));
  EXPECT_EQ(mode.Height, static_cast<UINT>(GetSystemMetrics(SM_CYSCREEN)));
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_GT(mode.RefreshRate, 0u);

  D3DDISPLAYMODE untouched{1, 2, 3, D3DFMT_A8};
  EXPECT_EQ(direct3d_->GetAdapterDisplayMode(1, &untouched), D3DERR_INVALIDCALL);
  EXPECT_EQ(untouched.Width, 1u);
}

TEST_F(CreationTest, CheckDeviceFormatReportsWhatTheReferenceDeviceRendersAndSamples) {
  struct Case {
    D3DDEVTYPE type;
    DWORD usage;
    D3DRESOURCETYPE resource;
    D3DFORMAT format;
    HRESULT expected;
  };
  const Case cases[] = {
      {D3DDEVTYPE_REF, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
      {D3DDEVTYPE_REF, 0, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, D3D_OK},
      {D3DDEVTYPE_REF, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
      {D3DDEVTYPE_REF, D3DUSAGE_DYNAMIC, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, D3D_OK},
      {D3DDEVTYPE_REF, D3DUSAGE_QUERY_FILTER, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
      {D3DDEVTYPE_REF, D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3DOK_NOAUTOGEN},
      {D3DDEVTYPE_REF, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, D3D_OK},
      {D3DDEVTYPE_REF, D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, D3DFMT_X8R8G8B8, D3D_OK},
      // Formats the rasterizer cannot sample or render are not claimed.
      {D3DDEVTYPE_REF, 0, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, D3DERR_NOTAVAILABLE},
      {D3DDEVTYPE_REF, 0, D3DRTYPE_TEXTURE, D3DFMT_L8, D3DERR_NOTAVAILABLE},
      {D3DDEVTYPE_REF, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT1, D3DERR_NOTAVAILABLE},
      {D3DDEVTYPE_REF, 0, D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16, D3DERR_NOTAVAILABLE},
      {D3DDEVTYPE_REF, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, D3DERR_NOTAVAILABLE},
      {D3DDEVTYPE_REF, D3DUSAGE_QUERY_SRGBREAD, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
      {D3DDEVTYPE_REF, 0, D3DRTYPE_CUBETEXTURE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
      // The OpenGL device keeps the same formats in memory: the answers are the same.
      {D3DDEVTYPE_HAL, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
      {D3DDEVTYPE_HAL, 0, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, D3DERR_NOTAVAILABLE},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(direct3d_->CheckDeviceFormat(D3DADAPTER_DEFAULT, c.type, D3DFMT_X8R8G8B8, c.usage, c.resource, c.format),
              c.expected)
        << "usage " << c.usage << " resource " << c.resource << " format " << c.format;
  }
  EXPECT_EQ(direct3d_->CheckDeviceFormat(1, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
            D3DERR_INVALIDCALL);
}

TEST_F(CreationTest, CapsDescribeTheReferenceDevice) {
  D3DCAPS9 caps{};
  ASSERT_EQ(direct3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, &caps), D3D_OK);
  EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_REF);
  EXPECT_EQ(caps.MaxTextureWidth, 4096u);
  EXPECT_EQ(caps.MaxTextureHeight, 4096u);
  EXPECT_NE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP, 0u);
  EXPECT_EQ(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY), 0u);
  EXPECT_NE(caps.TextureAddressCaps & D3DPTADDRESSCAPS_MIRROR, 0u);
  EXPECT_EQ(caps.AlphaCmpCaps, 0u) << "no alpha test is implemented";

  D3DCAPS9 hal{};
  ASSERT_EQ(direct3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &hal), D3D_OK);
  EXPECT_EQ(hal.DeviceType, D3DDEVTYPE_HAL);

  D3DCAPS9 untouched{};
  untouched.MaxTextureWidth = 7;
  EXPECT_EQ(direct3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_SW, &untouched), D3DERR_INVALIDCALL);
  EXPECT_EQ(untouched.MaxTextureWidth, 7u);
}

// The renderer's fallback order: HAL with hardware, HAL with software vertex processing, REF.
// HAL exists only where the window has OpenGL: in the run of these tests on an X display with
// ORBELUNE_TEST_DEVICE=hal (and ORBELUNE_HAL=software, as Xvfb's GL is software), not on the
// headless display.
TEST_F(CreationTest, HalIsCreatedWhereOpenGlIsAndTheReferenceDeviceEverywhere) {
  const bool halExpected = DeviceTypeUnderTest() == D3DDEVTYPE_HAL;
  D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_X8R8G8B8);
  for (const DWORD flags : {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_SOFTWARE_VERTEXPROCESSING}) {
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(Create(D3DDEVTYPE_HAL, flags, parameters, &device), halExpected ? D3D_OK : D3DERR_NOTAVAILABLE);
    if (!halExpected) {
      EXPECT_EQ(device, nullptr);
      continue;
    }
    D3DCAPS9 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
    // From the GL's limit, and never beyond what the resources can hold in memory.
    EXPECT_GE(caps.MaxTextureWidth, 512u);
    EXPECT_LE(caps.MaxTextureWidth, 4096u);
    EXPECT_EQ(device->Release(), 0u);
  }

  IDirect3DDevice9* device = nullptr;
  ASSERT_EQ(Create(D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING, parameters, &device), D3D_OK);
  ASSERT_NE(device, nullptr);
  D3DDEVICE_CREATION_PARAMETERS creation{};
  ASSERT_EQ(device->GetCreationParameters(&creation), D3D_OK);
  EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_REF);
  EXPECT_EQ(creation.hFocusWindow, window_);
  EXPECT_EQ(creation.BehaviorFlags, static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
  EXPECT_EQ(device->Release(), 0u);
}

// A software OpenGL draws on the processor, where the reference device is faster: it is no
// HAL unless the switch admits it.
TEST_F(CreationTest, ASoftwareOpenGlIsNoHalWithoutTheSwitch) {
  const char* admitted = std::getenv("ORBELUNE_HAL");
  const std::string saved = admitted != nullptr ? admitted : "";
  unsetenv("ORBELUNE_HAL");
  D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_X8R8G8B8);
  IDirect3DDevice9* device = nullptr;
  EXPECT_EQ(Create(D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, parameters, &device), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(device, nullptr);
  if (admitted != nullptr) setenv("ORBELUNE_HAL", saved.c_str(), 1);
}

TEST_F(CreationTest, CreationCompletesThePresentationParametersFromTheWindow) {
  IDirect3DDevice9* device = nullptr;
  D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_UNKNOWN);
  ASSERT_EQ(Create(D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING, parameters, &device), D3D_OK);
  EXPECT_EQ(parameters.BackBufferWidth, static_cast<UINT>(kWindowWidth));
  EXPECT_EQ(parameters.BackBufferHeight, static_cast<UINT>(kWindowHeight));
  EXPECT_EQ(parameters.BackBufferFormat, D3DFMT_X8R8G8B8);

  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  D3DSURFACE_DESC description{};
  ASSERT_EQ(backBuffer->GetDesc(&description), D3D_OK);
  EXPECT_EQ(description.Width, static_cast<UINT>(kWindowWidth));
  EXPECT_EQ(description.Height, static_cast<UINT>(kWindowHeight));
  backBuffer->Release();

  IDirect3DSurface9* depth = nullptr;
  ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
  ASSERT_EQ(depth->GetDesc(&description), D3D_OK);
  EXPECT_EQ(description.Format, D3DFMT_D16);
  EXPECT_EQ(description.Width, static_cast<UINT>(kWindowWidth));
  depth->Release();
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(CreationTest, InvalidCreationRequestsFailAndLeaveTheOutputAlone) {
  struct Case {
    const char* what;
    void (*change)(D3DPRESENT_PARAMETERS&);
    DWORD flags;
    HRESULT expected;
  };
  const Case cases[] = {
      {"no vertex processing", [](D3DPRESENT_PARAMETERS&) {}, 0, D3DERR_INVALIDCALL},
      {"two kinds of vertex processing", [](D3DPRESENT_PARAMETERS&) {},
       D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DERR_INVALIDCALL},
      {"exclusive full screen", [](D3DPRESENT_PARAMETERS& p) { p.Windowed = FALSE; },
       D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DERR_NOTAVAILABLE},
      {"multisampling", [](D3DPRESENT_PARAMETERS& p) { p.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES; },
       D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DERR_NOTAVAILABLE},
      {"16-bit back buffer", [](D3DPRESENT_PARAMETERS& p) { p.BackBufferFormat = D3DFMT_R5G6B5; },
       D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DERR_NOTAVAILABLE},
      {"24-bit depth", [](D3DPRESENT_PARAMETERS& p) { p.AutoDepthStencilFormat = D3DFMT_D24S8; },
       D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DERR_NOTAVAILABLE},
      {"swap effect", [](D3DPRESENT_PARAMETERS& p) { p.SwapEffect = static_cast<D3DSWAPEFFECT>(9); },
       D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DERR_INVALIDCALL},
      {"presentation interval", [](D3DPRESENT_PARAMETERS& p) { p.PresentationInterval = 5; },
       D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DERR_INVALIDCALL},
  };
  for (const Case& c : cases) {
    D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_X8R8G8B8);
    c.change(parameters);
    const D3DPRESENT_PARAMETERS before = parameters;
    IDirect3DDevice9* sentinel = reinterpret_cast<IDirect3DDevice9*>(0x1234);
    IDirect3DDevice9* device = sentinel;
    EXPECT_EQ(Create(D3DDEVTYPE_REF, c.flags, parameters, &device), c.expected) << c.what;
    EXPECT_EQ(device, sentinel) << c.what;
    EXPECT_EQ(std::memcmp(&parameters, &before, sizeof parameters), 0) << c.what;
  }
  D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_X8R8G8B8);
  IDirect3DDevice9* device = nullptr;
  EXPECT_EQ(direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                    &parameters, &device),
            D3DERR_INVALIDCALL)
      << "no window";
}

// ORBELUNE_D3D_FAIL lets tests make each step of the renderer's start fail, on either device.
TEST_F(CreationTest, TheFailureSwitchMakesEachStepFail) {
  struct Case {
    const char* value;
    bool hardwareHalFails;
    bool softwareHalFails;
    bool referenceFails;
  };
  const Case cases[] = {{"ref", false, false, true},          {"all", true, true, true},
                        {"hal-hw,hal-sw", true, true, false}, {" hal-sw , ref ", false, true, true},
                        {"refx", false, false, false},        {"", false, false, false}};
  const bool halExists = DeviceTypeUnderTest() == D3DDEVTYPE_HAL;
  auto expectCreation = [&](D3DDEVTYPE type, DWORD flags, bool made, const char* value) {
    D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_X8R8G8B8);
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(Create(type, flags, parameters, &device), made ? D3D_OK : D3DERR_NOTAVAILABLE)
        << value << " type " << type << " flags " << flags;
    EXPECT_EQ(device != nullptr, made);
    if (device != nullptr) {
      EXPECT_EQ(device->Release(), 0u);
    }
  };
  for (const Case& c : cases) {
    setenv("ORBELUNE_D3D_FAIL", c.value, 1);
    expectCreation(D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, halExists && !c.hardwareHalFails, c.value);
    expectCreation(D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING, halExists && !c.softwareHalFails, c.value);
    expectCreation(D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING, !c.referenceFails, c.value);
  }

  setenv("ORBELUNE_D3D_FAIL", "displaymode", 1);
  D3DDISPLAYMODE mode{};
  EXPECT_EQ(direct3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3DERR_NOTAVAILABLE);
  setenv("ORBELUNE_D3D_FAIL", "create", 1);
  EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
}

TEST_F(CreationTest, TheDeviceKeepsTheDirect3DObjectAndHandsItOutCounted) {
  D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_X8R8G8B8);
  IDirect3DDevice9* device = nullptr;
  ASSERT_EQ(Create(D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING, parameters, &device), D3D_OK);
  EXPECT_EQ(CountOf(direct3d_), 2u);
  IDirect3D9* fromDevice = nullptr;
  ASSERT_EQ(device->GetDirect3D(&fromDevice), D3D_OK);
  EXPECT_EQ(fromDevice, direct3d_);
  EXPECT_EQ(CountOf(direct3d_), 3u);
  fromDevice->Release();
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(CountOf(direct3d_), 1u);
}

// ORBELUNE_REF_SIMD names the widest level the reference device draws with; anything else
// leaves it the widest the processor runs.
TEST(ReferenceSimdSwitch, NamesTheWidestLevel) {
  struct Case {
    const char* value;  // null: unset
    refdevice::SimdLevel level;
  };
  const Case cases[] = {{"scalar", refdevice::SimdLevel::Scalar}, {"sse2", refdevice::SimdLevel::Sse2},
                        {"avx2", refdevice::SimdLevel::Avx2},     {nullptr, refdevice::SimdLevel::Avx2},
                        {"", refdevice::SimdLevel::Avx2},         {"SSE2 ", refdevice::SimdLevel::Avx2}};
  for (const Case& c : cases) {
    if (c.value != nullptr) {
      setenv("ORBELUNE_REF_SIMD", c.value, 1);
    } else {
      unsetenv("ORBELUNE_REF_SIMD");
    }
    EXPECT_EQ(d3d9::ReferenceSimdLimit(), c.level) << (c.value != nullptr ? c.value : "unset");
  }
  unsetenv("ORBELUNE_REF_SIMD");
}

}  // namespace
}  // namespace d3d9test
