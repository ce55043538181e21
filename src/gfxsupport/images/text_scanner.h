// A cursor over the text headers of PPM, PFM and HDR files. Never reads past the end of the
// buffer (which need not end in a NUL) and checks every number for overflow.
#pragma once

#include <cstddef>
#include <cstdint>

#include "winapi.h"

namespace gfx::images {

class TextScanner {
 public:
  TextScanner(const BYTE* data, size_t size, size_t position = 0) : data_(data), size_(size), at_(position) {}

  size_t Position() const { return at_; }
  bool AtEnd() const { return at_ >= size_; }
  int Peek() const { return at_ < size_ ? data_[at_] : -1; }
  void Advance(size_t count) { at_ = (count > size_ - at_) ? size_ : at_ + count; }

  // Skips blanks, tabs, carriage returns, line feeds and the other C white-space bytes;
  // with comments, also "#" up to the end of its line.
  void SkipSpace(bool comments);
  // Skips blanks and tabs only (within one line).
  void SkipBlanks();

  // An unsigned decimal number of at most 32 bits; false when there is none or it overflows.
  bool ReadUnsigned(uint32_t* value);
  // A floating-point number in the C locale's notation (strtod); false when there is none.
  bool ReadFloat(double* value);
  // The rest of the line without its terminator; the cursor goes past the line feed.
  // false at the end of the data without a line feed.
  bool ReadLine(const char** line, size_t* length);

 private:
  const BYTE* data_;
  size_t size_;
  size_t at_;
};

}  // namespace gfx::images
