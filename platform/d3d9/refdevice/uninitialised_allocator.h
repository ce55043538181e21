// An allocator whose elements come into being uninitialised when a vector grows. For scratch
// whose every element is written before it is read: clearing the elements first would cost as
// much as the writing (setup's records, written in place; the vertices a draw processes).
#pragma once

#include <memory>
#include <new>
#include <utility>

namespace refdevice {

template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  template <typename U>
  void construct(U* place) noexcept {
    ::new (static_cast<void*>(place)) U;
  }
  template <typename U, typename... Arguments>
  void construct(U* place, Arguments&&... arguments) {
    ::new (static_cast<void*>(place)) U(std::forward<Arguments>(arguments)...);
  }
};

}  // namespace refdevice
