// The part that every resource of the stand-in shares.
// Implements: the shared resource part of resource.h.
// Leaves out: private data.
#include "resource.h"

#include <cstring>

#include "device.h"

namespace d3d9 {

Resource::Resource(Device* device, D3DPOOL pool, DWORD usage, Membership membership)
    : Lifetime(membership == Membership::DeviceOwned ? 0 : 1),
      device_(device),
      pool_(pool),
      usage_(usage),
      membership_(membership) {
  if (membership_ == Membership::Standalone) {
    device_->RegisterResource(this);
    device_->AddRef();
  }
}

Resource::~Resource() {
  if (membership_ == Membership::Standalone && device_ != nullptr) device_->UnregisterResource(this);
}

void Resource::PublicReferencesStarted() {
  if (membership_ != Membership::PartOfTexture && device_ != nullptr) device_->AddRef();
}

void Resource::PublicReferencesEnded() {
  if (membership_ != Membership::PartOfTexture && device_ != nullptr) device_->Release();
}

HRESULT Resource::DeviceInterface(IDirect3DDevice9** out) const {
  if (out == nullptr || device_ == nullptr) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *out = device_;
  return D3D_OK;
}

DWORD Resource::ChangePriority(DWORD priority) {
  // Only managed resources have a priority; the others answer 0, as documented.
  if (pool_ != D3DPOOL_MANAGED) return 0;
  const DWORD previous = priority_;
  priority_ = priority;
  return previous;
}

bool MatchesAny(REFIID wanted, std::initializer_list<const IID*> offered) {
  for (const IID* id : offered) {
    if (std::memcmp(&wanted, id, sizeof(IID)) == 0) return true;
  }
  return false;
}

}  // namespace d3d9
