// Counted references: every object handed out, by a Create or a Get, carries one reference;
// failures write nothing; bound objects outlive their callers' references.
#include "device_fixture.h"

namespace d3d9test {
namespace {

using LifetimeTest = DeviceTest;

TEST_F(LifetimeTest, GetMethodsHandOutOneReferenceEach) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  EXPECT_EQ(CountOf(texture), 1u);

  // Levels count on their texture.
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(1, &level), D3D_OK);
  EXPECT_EQ(CountOf(texture), 2u);
  IDirect3DTexture9* container = nullptr;
  ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(&container)), D3D_OK);
  EXPECT_EQ(container, texture);
  EXPECT_EQ(CountOf(texture), 3u);
  container->Release();
  EXPECT_EQ(level->Release(), 1u);

  // Binding keeps no public reference; GetTexture hands one out.
  ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
  EXPECT_EQ(CountOf(texture), 1u);
  IDirect3DBaseTexture9* bound = nullptr;
  ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
  EXPECT_EQ(bound, static_cast<IDirect3DBaseTexture9*>(texture));
  EXPECT_EQ(CountOf(texture), 2u);
  bound->Release();

  // Every resource holds the device while referenced, and GetDevice hands out one more.
  const ULONG deviceCount = CountOf(device_);
  IDirect3DDevice9* owner = nullptr;
  ASSERT_EQ(texture->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, device_);
  EXPECT_EQ(CountOf(device_), deviceCount + 1);
  owner->Release();

  device_->SetTexture(0, nullptr);
  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(CountOf(device_), deviceCount - 1);
}

TEST_F(LifetimeTest, TargetsAndStreamsAreHandedOutCounted) {
  IDirect3DSurface9* target = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(0, &target), D3D_OK);
  IDirect3DSurface9* again = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(0, &again), D3D_OK);
  EXPECT_EQ(again, target);
  EXPECT_EQ(again->Release(), 1u);
  EXPECT_EQ(target->Release(), 0u);

  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(96, 0, 0x142, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, buffer, 0, 24), D3D_OK);
  IDirect3DVertexBuffer9* stream = nullptr;
  UINT offset = 99;
  UINT stride = 99;
  ASSERT_EQ(device_->GetStreamSource(0, &stream, &offset, &stride), D3D_OK);
  EXPECT_EQ(stream, buffer);
  EXPECT_EQ(offset, 0u);
  EXPECT_EQ(stride, 24u);
  EXPECT_EQ(CountOf(buffer), 2u);
  stream->Release();
  device_->SetStreamSource(0, nullptr, 0, 0);
  EXPECT_EQ(buffer->Release(), 0u);
}

TEST_F(LifetimeTest, FailedCallsWriteNoOutput) {
  IDirect3DTexture9* const textureSentinel = reinterpret_cast<IDirect3DTexture9*>(0x1111);
  IDirect3DSurface9* const surfaceSentinel = reinterpret_cast<IDirect3DSurface9*>(0x2222);
  IDirect3DTexture9* texture = textureSentinel;
  EXPECT_EQ(device_->CreateTexture(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, textureSentinel);

  IDirect3DSurface9* surface = surfaceSentinel;
  EXPECT_EQ(device_->GetRenderTarget(1, &surface), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), D3D_OK);
  EXPECT_EQ(device_->GetDepthStencilSurface(&surface), D3DERR_NOTFOUND);
  EXPECT_EQ(device_->CreateDepthStencilSurface(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &surface, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(surface, surfaceSentinel);

  IDirect3DTexture9* real = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &real, nullptr), D3D_OK);
  EXPECT_EQ(real->GetSurfaceLevel(2, &surface), D3DERR_INVALIDCALL);
  EXPECT_EQ(surface, surfaceSentinel);
  D3DLOCKED_RECT locked{7, reinterpret_cast<void*>(0x3333)};
  const RECT outside{0, 0, 9, 8};
  EXPECT_EQ(real->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(locked.Pitch, 7);
  EXPECT_EQ(locked.pBits, reinterpret_cast<void*>(0x3333));
  void* queried = reinterpret_cast<void*>(0x4444);
  EXPECT_EQ(real->QueryInterface(IID_IDirect3DVertexBuffer9, &queried), E_NOINTERFACE);
  EXPECT_EQ(queried, reinterpret_cast<void*>(0x4444));
  EXPECT_EQ(CountOf(real), 1u) << "a failed call takes no reference";
  EXPECT_EQ(real->Release(), 0u);
}

TEST_F(LifetimeTest, ABoundObjectOutlivesItsCallersLastReference) {
  IDirect3DTexture9* texture = CreateFilledTexture(2, 2, {0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u});
  ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
  EXPECT_EQ(texture->Release(), 0u);

  // Still there for the device, and handed out again with a fresh reference.
  IDirect3DBaseTexture9* bound = nullptr;
  ASSERT_EQ(device_->GetTexture(0, &bound), D3D_OK);
  ASSERT_NE(bound, nullptr);
  EXPECT_EQ(bound->GetType(), D3DRTYPE_TEXTURE);
  EXPECT_EQ(static_cast<IDirect3DTexture9*>(bound)->GetLevelCount(), 1u);
  EXPECT_EQ(bound->Release(), 0u);
  EXPECT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
}

TEST(LifetimeOrderTest, ResourcesKeepTheirDeviceAfterTheCallerReleasesIt) {
  UseHeadlessDisplay();
  HWND window = CreateTestWindow(0, 0, 16, 16);
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS parameters = SaverParameters(D3DFMT_X8R8G8B8);
  IDirect3DDevice9* device = nullptr;
  ASSERT_EQ(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                   &parameters, &device),
            D3D_OK);
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(64, 0, 0, D3DPOOL_SYSTEMMEM, &buffer, nullptr), D3D_OK);
  ASSERT_EQ(device->SetStreamSource(0, buffer, 0, 16), D3D_OK);

  EXPECT_EQ(device->Release(), 1u) << "the buffer holds the device";
  void* data = nullptr;
  EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
  EXPECT_EQ(buffer->Unlock(), D3D_OK);
  EXPECT_EQ(CountOf(direct3d), 2u);
  // The last reference goes: the buffer, then the device (which still had it bound), go away.
  EXPECT_EQ(buffer->Release(), 0u);
  EXPECT_EQ(CountOf(direct3d), 1u);
  EXPECT_EQ(direct3d->Release(), 0u);
  DestroyWindow(window);
}

}  // namespace
}  // namespace d3d9test
