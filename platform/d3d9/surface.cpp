// IDirect3DSurface9 of the stand-in.
// Implements: the surface of surface.h.
// Leaves out: GetDC/ReleaseDC.
#include "surface.h"

#include <new>

#include "device.h"
#include "texture.h"

namespace d3d9 {

Surface* Surface::Create(Device* device, const Description& description, Membership membership, Texture* container) {
  const std::optional<ImageSize> size = SizeOfImage(description.format, description.width, description.height);
  if (!size) return nullptr;
  std::unique_ptr<uint8_t[]> bits(new (std::nothrow) uint8_t[size->totalBytes]());
  if (!bits) return nullptr;
  return new (std::nothrow) Surface(device, description, membership, container, *size, std::move(bits));
}

Surface::Surface(Device* device, const Description& description, Membership membership, Texture* container,
                 const ImageSize& size, std::unique_ptr<uint8_t[]> bits)
    : ResourceInterface(device, description.pool, description.usage, membership),
      description_(description),
      container_(container),
      size_(size),
      bits_(std::move(bits)) {}

Surface::~Surface() = default;

HRESULT Surface::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (!MatchesAny(riid, {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DSurface9})) return E_NOINTERFACE;
  AddRef();
  *ppvObject = static_cast<IDirect3DSurface9*>(this);
  return S_OK;
}

ULONG Surface::AddRef() {
  if (container_ != nullptr) return container_->AddRef();
  return AddPublicReference();
}

ULONG Surface::Release() {
  if (container_ != nullptr) return container_->Release();
  return ReleasePublicReference();
}

void Surface::Unused() {
  // The device's own surfaces and texture levels are destroyed by their owner.
  if (membership() == Membership::Standalone) delete this;
}

Lifetime& Surface::LifetimeRoot() {
  if (container_ != nullptr) return *container_;
  return *this;
}

HRESULT Surface::GetContainer(REFIID riid, void** ppContainer) {
  if (ppContainer == nullptr) return D3DERR_INVALIDCALL;
  if (container_ != nullptr) return container_->QueryInterface(riid, ppContainer);
  // Surfaces that no texture holds are contained by their device.
  IDirect3DDevice9* device = nullptr;
  if (FAILED(DeviceInterface(&device))) return D3DERR_INVALIDCALL;
  const HRESULT result = device->QueryInterface(riid, ppContainer);
  device->Release();
  return result;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* pDesc) {
  if (pDesc == nullptr) return D3DERR_INVALIDCALL;
  pDesc->Format = description_.format;
  pDesc->Type = D3DRTYPE_SURFACE;
  pDesc->Usage = description_.usage;
  pDesc->Pool = description_.pool;
  pDesc->MultiSampleType = D3DMULTISAMPLE_NONE;
  pDesc->MultiSampleQuality = 0;
  pDesc->Width = description_.width;
  pDesc->Height = description_.height;
  return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  if (pLockedRect == nullptr || !description_.lockable || locked_) return D3DERR_INVALIDCALL;
  size_t offset = 0;
  if (pRect != nullptr) {
    const RECT& r = *pRect;
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom ||
        static_cast<UINT>(r.right) > description_.width || static_cast<UINT>(r.bottom) > description_.height) {
      return D3DERR_INVALIDCALL;
    }
    const FormatLayout layout = *LayoutOf(description_.format);
    size_t column = static_cast<size_t>(r.left);
    size_t row = static_cast<size_t>(r.top);
    if (layout.blockCompressed) {
      // Compressed blocks cannot be split: the rectangle starts on a block.
      if (column % 4 != 0 || row % 4 != 0) return D3DERR_INVALIDCALL;
      column /= 4;
      row /= 4;
    }
    offset = row * size_.pitchBytes + column * layout.bytesPerUnit;
  }
  if (Device* device = OwningDevice(); device != nullptr) device->Backend().BringToMemory(*this);
  locked_ = true;
  readOnlyLock_ = (Flags & D3DLOCK_READONLY) != 0;
  pLockedRect->Pitch = static_cast<INT>(size_.pitchBytes);
  pLockedRect->pBits = bits_.get() + offset;
  return D3D_OK;
}

HRESULT Surface::UnlockRect() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  if (Device* device = OwningDevice(); device != nullptr && !readOnlyLock_) {
    device->Backend().MemoryChanged(container_ != nullptr ? static_cast<const Resource&>(*container_) : *this);
  }
  return D3D_OK;
}

}  // namespace d3d9
