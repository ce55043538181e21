// Writes X files for tests in every form from one description, so that the same mesh can be
// loaded from text, binary (32- or 64-bit floats), and both compressed forms.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class XForm { Text, Binary, Binary64, CompressedText, CompressedBinary };

const char* XFormName(XForm form);

class XFileWriter {
 public:
  explicit XFileWriter(XForm form) : form_(form) {}

  XFileWriter& Begin(const std::string& type, const std::string& name = "");
  XFileWriter& Integers(const std::vector<uint32_t>& values);
  XFileWriter& Floats(const std::vector<float>& values);
  XFileWriter& String(const std::string& text);
  XFileWriter& Reference(const std::string& name);
  XFileWriter& End();
  // Raw text, written as it stands in the text forms (comments, declarations).
  XFileWriter& Text(const std::string& text);

  // The whole file. Compressed forms are cut into blocks of at most blockSize bytes, each
  // deflated with the output before it as its dictionary.
  std::vector<uint8_t> Finish(size_t blockSize = 32768) const;

 private:
  bool IsText() const { return form_ == XForm::Text || form_ == XForm::CompressedText; }
  void Word(uint16_t value);
  void Dword(uint32_t value);
  void Name(const std::string& name);

  XForm form_;
  std::vector<uint8_t> body_;
};

// Deflates a body in MSZIP blocks behind the given 16-byte header and the size field.
std::vector<uint8_t> CompressXFile(const std::string& header, const std::vector<uint8_t>& body, size_t blockSize);
