// The tokens that the X-file parser sees, whichever encoding the file uses, and the interface
// of a tokenizer. The text and binary tokenizers both offer the structure of the file one token
// at a time and the member values in bulk, so that the parser is written once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "winapi.h"

namespace gfx::meshes {

enum class XTokenKind : uint8_t {
  End,
  Error,
  Name,
  String,
  Number,  // a numeric word of a text file, converted when a member asks for it
  Integer,
  Float,
  List,  // a binary integer or float list that no member asked for
  Guid,
  OpenBrace,
  CloseBrace,
  OpenBracket,
  CloseBracket,
  OpenParen,
  CloseParen,
  Comma,
  Semicolon,
  Dot,  // also "..." in text, which the tokenizer keeps as one token
  Keyword,
};

enum class XKeyword : uint8_t {
  None,
  Template,
  Array,
  Word,
  Dword,
  Float,
  Double,
  Char,
  Uchar,
  Byte,
  Sword,
  Sdword,
  String,
  Unicode,
  Cstring,
  Void,
  Binary,
  BinaryResource,
  Ulonglong,
};

struct XToken {
  XTokenKind kind = XTokenKind::End;
  XKeyword keyword = XKeyword::None;
  std::string_view text;  // names, strings and numeric words; points into the file
  uint32_t integer = 0;
  double number = 0;
  GUID guid{};
};

class XTokenizer {
 public:
  virtual ~XTokenizer() = default;

  // The next structural token. Member values still queued from a binary list make this an
  // Error: they mean the object holds more data than its template describes.
  virtual XToken Next() = 0;
  virtual XToken Peek() = 0;

  // Member values, each skipping any run of "," and ";" before it. Integers come as 32-bit
  // values (negative ones in two's complement). False on anything else or at the end.
  virtual bool ReadIntegers(uint32_t* out, size_t count) = 0;
  virtual bool ReadFloats(float* out, size_t count) = 0;
  virtual bool ReadDoubles(double* out, size_t count) = 0;
  virtual bool ReadString(std::string* out) = 0;

  // Bytes of the file not yet read: no count read from the file may promise more values.
  virtual size_t RemainingBytes() const = 0;
};

}  // namespace gfx::meshes
