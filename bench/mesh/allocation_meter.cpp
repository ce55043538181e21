#include "allocation_meter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> inUse{0};
std::atomic<size_t> peak{0};

// Each block carries its size in front of it so that delete can count it back.
constexpr size_t kPrefix = alignof(std::max_align_t);

void* Allocate(size_t size) {
  void* block = std::malloc(size + kPrefix);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  size_t now = inUse.fetch_add(size) + size;
  size_t highest = peak.load();
  while (now > highest && !peak.compare_exchange_weak(highest, now)) {
  }
  return static_cast<char*>(block) + kPrefix;
}

void Free(void* pointer) {
  if (pointer == nullptr) return;
  void* block = static_cast<char*>(pointer) - kPrefix;
  inUse.fetch_sub(*static_cast<size_t*>(block));
  std::free(block);
}

}  // namespace

size_t HeapBytesInUse() { return inUse.load(); }
size_t HeapPeakBytes() { return peak.load(); }
void ResetHeapPeak() { peak.store(inUse.load()); }

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* pointer) noexcept { Free(pointer); }
void operator delete[](void* pointer) noexcept { Free(pointer); }
void operator delete(void* pointer, size_t) noexcept { Free(pointer); }
void operator delete[](void* pointer, size_t) noexcept { Free(pointer); }
