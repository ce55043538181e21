// The part that every resource of the stand-in shares: its device, pool and usage, and the
// IDirect3DResource9 methods.
// Implements: a counted reference on the device for as long as callers hold the resource (as
// the real runtime does, so releasing the device first leaves no resource dangling), the
// device's registry of live resources (Reset refuses while default-pool ones are held),
// GetDevice, priorities (kept for managed resources, as documented) and PreLoad (nothing to do).
// Leaves out: private data.
#pragma once

#include <initializer_list>

#include "d3d9.h"
#include "lifetime.h"

namespace d3d9 {

class Device;

class Resource : public Lifetime {
 public:
  enum class Membership {
    Standalone,     // created by the caller: registered, holds the device while referenced
    DeviceOwned,    // the back buffer and automatic depth surface: holds the device while referenced
    PartOfTexture,  // a texture level: its counts are the texture's
  };

  D3DPOOL Pool() const { return pool_; }
  DWORD Usage() const { return usage_; }
  Device* OwningDevice() const { return device_; }

  // Called by a device that is going away while this object is still alive (only possible
  // through internal references being dropped during the device's destruction).
  void DetachFromDevice() { device_ = nullptr; }

 protected:
  Resource(Device* device, D3DPOOL pool, DWORD usage, Membership membership);
  ~Resource() override;

  void PublicReferencesStarted() override;
  void PublicReferencesEnded() override;

  HRESULT DeviceInterface(IDirect3DDevice9** out) const;
  DWORD ChangePriority(DWORD priority);
  DWORD CurrentPriority() const { return pool_ == D3DPOOL_MANAGED ? priority_ : 0; }

  Membership membership() const { return membership_; }

 private:
  Device* device_;
  D3DPOOL pool_;
  DWORD usage_;
  Membership membership_;
  DWORD priority_ = 0;
};

// The IUnknown and IDirect3DResource9 methods of one interface, over Resource.
template <class Interface>
class ResourceInterface : public Interface, public Resource {
 public:
  ULONG AddRef() override { return AddPublicReference(); }
  ULONG Release() override { return ReleasePublicReference(); }
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override { return DeviceInterface(ppDevice); }
  DWORD SetPriority(DWORD PriorityNew) override { return ChangePriority(PriorityNew); }
  DWORD GetPriority() override { return CurrentPriority(); }
  void PreLoad() override {}

 protected:
  using Resource::Resource;
};

// Answers QueryInterface for an object that offers the given identifiers; on success the
// object gains a reference. The output is written only on success.
bool MatchesAny(REFIID wanted, std::initializer_list<const IID*> offered);

}  // namespace d3d9
