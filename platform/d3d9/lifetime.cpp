// Counted lifetime of the stand-in's objects.
// Implements: the counts of lifetime.h.
// Leaves out: thread safety.
#include "lifetime.h"

namespace d3d9 {

ULONG Lifetime::AddPublicReference() {
  if (++publicReferences_ == 1) {
    // Hooks may drop the last internal reference (the device releasing its bindings); the
    // temporary one keeps this object alive until the hook has returned.
    ++internalReferences_;
    PublicReferencesStarted();
    --internalReferences_;
  }
  return publicReferences_;
}

ULONG Lifetime::ReleasePublicReference() {
  if (publicReferences_ == 0) return 0;
  const ULONG left = --publicReferences_;
  if (left == 0) {
    ++internalReferences_;
    PublicReferencesEnded();
    --internalReferences_;
    DestroyIfUnused();
  }
  return left;
}

void Lifetime::AddInternalReference() { ++internalReferences_; }

void Lifetime::ReleaseInternalReference() {
  if (internalReferences_ == 0) return;
  --internalReferences_;
  DestroyIfUnused();
}

void Lifetime::DestroyIfUnused() {
  if (publicReferences_ == 0 && internalReferences_ == 0) Unused();
}

}  // namespace d3d9
