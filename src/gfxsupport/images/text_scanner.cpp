// Reading the numbers and lines of text image headers.
#include "gfxsupport/images/text_scanner.h"

#include <cstdlib>
#include <cstring>

namespace gfx::images {

static bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

void TextScanner::SkipSpace(bool comments) {
  while (at_ < size_) {
    const int c = data_[at_];
    if (IsSpace(c)) {
      ++at_;
    } else if (comments && c == '#') {
      while (at_ < size_ && data_[at_] != '\n' && data_[at_] != '\r') ++at_;
    } else {
      break;
    }
  }
}

void TextScanner::SkipBlanks() {
  while (at_ < size_ && (data_[at_] == ' ' || data_[at_] == '\t')) ++at_;
}

bool TextScanner::ReadUnsigned(uint32_t* value) {
  if (at_ >= size_ || data_[at_] < '0' || data_[at_] > '9') return false;
  uint64_t number = 0;
  while (at_ < size_ && data_[at_] >= '0' && data_[at_] <= '9') {
    number = number * 10 + static_cast<unsigned>(data_[at_] - '0');
    if (number > 0xFFFFFFFFu) return false;
    ++at_;
  }
  *value = static_cast<uint32_t>(number);
  return true;
}

bool TextScanner::ReadFloat(double* value) {
  // strtod needs a terminated copy; a number longer than this is no number we accept.
  char token[64];
  size_t length = 0;
  while (at_ + length < size_ && length + 1 < sizeof token) {
    const int c = data_[at_ + length];
    if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E')) break;
    token[length] = static_cast<char>(c);
    ++length;
  }
  token[length] = '\0';
  if (length == 0) return false;
  char* end = nullptr;
  const double number = std::strtod(token, &end);
  if (end == token) return false;
  at_ += static_cast<size_t>(end - token);
  *value = number;
  return true;
}

bool TextScanner::ReadLine(const char** line, size_t* length) {
  const void* found = std::memchr(data_ + at_, '\n', size_ - at_);
  if (found == nullptr) return false;
  const size_t end = static_cast<size_t>(static_cast<const BYTE*>(found) - data_);
  *line = reinterpret_cast<const char*>(data_ + at_);
  *length = end - at_;
  at_ = end + 1;
  return true;
}

}  // namespace gfx::images
