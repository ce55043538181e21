// A device's hold on an object bound to it (texture, buffer, surface, declaration).
// Implements: an internal reference on the bound object (a texture level's texture), so that
// the object outlives the caller's last Release while it stays bound.
// Leaves out: public references; Get methods add those themselves.
#pragma once

#include <type_traits>

#include "lifetime.h"
#include "surface.h"

namespace d3d9 {

template <class T>
class Binding {
 public:
  Binding() = default;
  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;
  ~Binding() { Set(nullptr); }

  void Set(T* object) {
    if (object != nullptr) Root(object).AddInternalReference();
    T* previous = object_;
    object_ = object;
    // Released last: the previous object may be destroyed here.
    if (previous != nullptr) Root(previous).ReleaseInternalReference();
  }
  T* Get() const { return object_; }

 private:
  static Lifetime& Root(T* object) {
    if constexpr (std::is_same_v<T, Surface>) {
      return object->LifetimeRoot();
    } else {
      return *object;
    }
  }

  T* object_ = nullptr;
};

}  // namespace d3d9
