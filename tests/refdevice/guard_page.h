// Memory that ends where an unreadable page begins: a read past its end stops the test.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace refdevice::testing {

class BytesBeforeGuardPage {
 public:
  explicit BytesBeforeGuardPage(size_t count) {
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t bytes = (count + page - 1) / page * page;
    mapping_ =
        static_cast<uint8_t*>(mmap(nullptr, bytes + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    size_ = bytes + page;
    if (mapping_ == MAP_FAILED) return;
    mprotect(mapping_ + bytes, page, PROT_NONE);
    bytes_ = mapping_ + bytes - count;
  }
  ~BytesBeforeGuardPage() {
    if (mapping_ != MAP_FAILED) munmap(mapping_, size_);
  }
  BytesBeforeGuardPage(const BytesBeforeGuardPage&) = delete;
  BytesBeforeGuardPage& operator=(const BytesBeforeGuardPage&) = delete;

  uint8_t* bytes() const { return bytes_; }  // null where the mapping failed

 private:
  uint8_t* mapping_;
  size_t size_;
  uint8_t* bytes_ = nullptr;
};

}  // namespace refdevice::testing
