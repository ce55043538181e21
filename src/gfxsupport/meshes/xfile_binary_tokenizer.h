// Tokenizer for the binary form of X files: 16-bit tokens, some followed by a payload (names,
// strings, integers, GUIDs, integer lists and float lists of 32- or 64-bit floats).
#pragma once

#include "gfxsupport/meshes/xfile_token.h"

namespace gfx::meshes {

class XBinaryTokenizer final : public XTokenizer {
 public:
  // body is the file after its 16-byte header; floatBytes is 4 or 8 from the header.
  XBinaryTokenizer(const uint8_t* body, size_t size, unsigned floatBytes)
      : position_(body), end_(body + size), floatBytes_(floatBytes) {}

  XToken Next() override;
  XToken Peek() override;
  bool ReadIntegers(uint32_t* out, size_t count) override;
  bool ReadFloats(float* out, size_t count) override;
  bool ReadDoubles(double* out, size_t count) override;
  bool ReadString(std::string* out) override;
  size_t RemainingBytes() const override { return size_t(end_ - position_) + (integersLeft_ + floatsLeft_) * 4; }

 private:
  XToken Scan();
  bool Take(size_t bytes, const uint8_t** start);
  bool TakeWord(uint16_t* value);
  bool TakeDword(uint32_t* value);
  // Makes sure a list of the wanted kind has values left, reading the next one if needed.
  bool FillIntegers();
  bool FillFloats();
  template <typename Real>
  bool ReadReals(Real* out, size_t count);

  const uint8_t* position_;
  const uint8_t* end_;
  unsigned floatBytes_;
  XToken peeked_;
  bool hasPeeked_ = false;
  // Values of the current integer and float lists not yet handed out.
  const uint8_t* integers_ = nullptr;
  size_t integersLeft_ = 0;
  const uint8_t* floats_ = nullptr;
  size_t floatsLeft_ = 0;
};

}  // namespace gfx::meshes
