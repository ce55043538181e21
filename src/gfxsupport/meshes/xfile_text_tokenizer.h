// Tokenizer for the text form of X files: words, numbers, strings, GUIDs and punctuation,
// with "//" and "#" comments running to the end of the line.
#pragma once

#include "gfxsupport/meshes/xfile_token.h"

namespace gfx::meshes {

class XTextTokenizer final : public XTokenizer {
 public:
  // body is the file after its 16-byte header.
  XTextTokenizer(const char* body, size_t size) : position_(body), end_(body + size) {}

  XToken Next() override;
  XToken Peek() override;
  bool ReadIntegers(uint32_t* out, size_t count) override;
  bool ReadFloats(float* out, size_t count) override;
  bool ReadDoubles(double* out, size_t count) override;
  bool ReadString(std::string* out) override;
  size_t RemainingBytes() const override { return size_t(end_ - position_); }

 private:
  XToken Scan();
  void SkipBlanksAndComments();
  // Steps over blanks, comments, "," and ";" and any peeked separator; false at the end.
  bool SkipToValue();
  // The numeric word at the current position, or an empty view when there is none.
  std::string_view TakeNumberWord();

  const char* position_;
  const char* end_;
  XToken peeked_;
  bool hasPeeked_ = false;
};

}  // namespace gfx::meshes
