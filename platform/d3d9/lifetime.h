// Counted lifetime of the stand-in's objects.
// Implements: the public count that AddRef/Release show to callers, and a separate internal
// count that the device holds on objects bound to it (textures, buffers, surfaces, vertex
// declarations), so that a caller may give back its last reference to a bound object without
// the device reading freed memory. An object is destroyed when both counts are zero.
// Leaves out: thread safety (the device is driven from one thread, as the system requires).
#pragma once

#include "d3d9.h"

namespace d3d9 {

class Lifetime {
 public:
  Lifetime(const Lifetime&) = delete;
  Lifetime& operator=(const Lifetime&) = delete;

  ULONG AddPublicReference();
  // Giving back more references than were taken is ignored (returns 0) instead of freeing twice.
  ULONG ReleasePublicReference();
  void AddInternalReference();
  void ReleaseInternalReference();
  ULONG PublicReferences() const { return publicReferences_; }

 protected:
  // Objects start with one public reference, the creator's; the device's own surfaces with none.
  explicit Lifetime(ULONG initialPublicReferences = 1) : publicReferences_(initialPublicReferences) {}
  virtual ~Lifetime() = default;

  // The public count went from 0 to 1 (a Get handed out a bound object again) ...
  virtual void PublicReferencesStarted() {}
  // ... or from 1 to 0.
  virtual void PublicReferencesEnded() {}
  // Both counts are zero; the default destroys the object.
  virtual void Unused() { delete this; }

 private:
  void DestroyIfUnused();

  ULONG publicReferences_;
  ULONG internalReferences_ = 0;
};

}  // namespace d3d9
