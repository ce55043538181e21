#include "gfxsupport/meshes/xfile_text_tokenizer.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace gfx::meshes {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// Words run until one of these; "." is part of words so that numbers and "..." stay whole.
bool EndsWord(char c) {
  switch (c) {
    case ' ':
    case '\t':
    case '\r':
    case '\n':
    case '\f':
    case '\v':
    case '{':
    case '}':
    case '[':
    case ']':
    case '<':
    case '>':
    case '(':
    case ')':
    case ',':
    case ';':
    case '"':
    case '#':
      return true;
    default:
      return false;
  }
}

bool StartsNumber(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.'; }

bool EqualsIgnoringCase(std::string_view word, const char* upper) {
  size_t length = std::strlen(upper);
  if (word.size() != length) return false;
  for (size_t i = 0; i < length; ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

XKeyword KeywordOf(std::string_view word) {
  static const struct {
    const char* text;
    XKeyword keyword;
  } kKeywords[] = {
      {"TEMPLATE", XKeyword::Template},   {"ARRAY", XKeyword::Array},     {"WORD", XKeyword::Word},
      {"DWORD", XKeyword::Dword},         {"FLOAT", XKeyword::Float},     {"DOUBLE", XKeyword::Double},
      {"CHAR", XKeyword::Char},           {"UCHAR", XKeyword::Uchar},     {"BYTE", XKeyword::Byte},
      {"SWORD", XKeyword::Sword},         {"SDWORD", XKeyword::Sdword},   {"STRING", XKeyword::String},
      {"LPSTR", XKeyword::String},        {"UNICODE", XKeyword::Unicode}, {"CSTRING", XKeyword::Cstring},
      {"VOID", XKeyword::Void},           {"BINARY", XKeyword::Binary},   {"BINARY_RESOURCE", XKeyword::BinaryResource},
      {"ULONGLONG", XKeyword::Ulonglong},
  };
  if (word.size() < 4 || word.size() > 15) return XKeyword::None;
  for (const auto& entry : kKeywords) {
    if (EqualsIgnoringCase(word, entry.text)) return entry.keyword;
  }
  return XKeyword::None;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads "8-4-4-4-12" hex digits, blanks allowed anywhere, into a GUID.
bool ParseGuid(std::string_view text, GUID* guid) {
  uint8_t digits[32];
  size_t count = 0;
  const size_t groupEnds[] = {8, 12, 16, 20, 32};
  size_t group = 0;
  for (char c : text) {
    if (IsBlank(c)) continue;
    if (c == '-') {
      if (group >= 4 || count != groupEnds[group]) return false;
      ++group;
      continue;
    }
    int value = HexValue(c);
    if (value < 0 || count == 32) return false;
    digits[count++] = uint8_t(value);
  }
  if (count != 32 || group != 4) return false;
  auto number = [&](size_t first, size_t length) {
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i) value = value << 4 | digits[first + i];
    return value;
  };
  guid->Data1 = number(0, 8);
  guid->Data2 = uint16_t(number(8, 4));
  guid->Data3 = uint16_t(number(12, 4));
  for (size_t i = 0; i < 8; ++i) guid->Data4[i] = uint8_t(number(16 + 2 * i, 2));
  return true;
}

bool ParseInteger(std::string_view word, uint32_t* out) {
  bool negative = false;
  if (!word.empty() && (word[0] == '+' || word[0] == '-')) {
    negative = word[0] == '-';
    word.remove_prefix(1);
  }
  uint64_t value = 0;
  auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size() || word.empty()) return false;
  if (negative ? value > uint64_t(1) << 31 : value > std::numeric_limits<uint32_t>::max()) return false;
  *out = negative ? uint32_t(0u - uint32_t(value)) : uint32_t(value);
  return true;
}

template <typename Real>
bool ParseReal(std::string_view word, Real* out) {
  if (!word.empty() && word[0] == '+') word.remove_prefix(1);
  const char* last = word.data() + word.size();
  auto [end, error] = std::from_chars(word.data(), last, *out);
  if (error == std::errc::result_out_of_range) {
    // Too small or too large for the type: take the nearest value (0 or infinity).
    double wide = 0;
    auto [wideEnd, wideError] = std::from_chars(word.data(), last, wide);
    if (wideError != std::errc() || wideEnd != last) return false;
    *out = Real(wide);
    return true;
  }
  return error == std::errc() && end == last && !word.empty();
}

}  // namespace

void XTextTokenizer::SkipBlanksAndComments() {
  while (position_ < end_) {
    char c = *position_;
    if (IsBlank(c)) {
      ++position_;
    } else if (c == '#' || (c == '/' && end_ - position_ > 1 && position_[1] == '/')) {
      const void* newline = std::memchr(position_, '\n', size_t(end_ - position_));
      position_ = newline ? static_cast<const char*>(newline) + 1 : end_;
    } else {
      return;
    }
  }
}

XToken XTextTokenizer::Scan() {
  XToken token;
  SkipBlanksAndComments();
  if (position_ == end_) return token;
  const char c = *position_;
  switch (c) {
    case '{':
      ++position_;
      token.kind = XTokenKind::OpenBrace;
      return token;
    case '}':
      ++position_;
      token.kind = XTokenKind::CloseBrace;
      return token;
    case '[':
      ++position_;
      token.kind = XTokenKind::OpenBracket;
      return token;
    case ']':
      ++position_;
      token.kind = XTokenKind::CloseBracket;
      return token;
    case '(':
      ++position_;
      token.kind = XTokenKind::OpenParen;
      return token;
    case ')':
      ++position_;
      token.kind = XTokenKind::CloseParen;
      return token;
    case ',':
      ++position_;
      token.kind = XTokenKind::Comma;
      return token;
    case ';':
      ++position_;
      token.kind = XTokenKind::Semicolon;
      return token;
    case '"': {
      const char* start = position_ + 1;
      const void* close = std::memchr(start, '"', size_t(end_ - start));
      if (close == nullptr) {
        token.kind = XTokenKind::Error;
        return token;
      }
      position_ = static_cast<const char*>(close) + 1;
      token.kind = XTokenKind::String;
      token.text = std::string_view(start, size_t(static_cast<const char*>(close) - start));
      return token;
    }
    case '<': {
      const char* start = position_ + 1;
      const void* close = std::memchr(start, '>', size_t(end_ - start));
      token.kind = XTokenKind::Error;
      if (close == nullptr) return token;
      position_ = static_cast<const char*>(close) + 1;
      if (ParseGuid(std::string_view(start, size_t(static_cast<const char*>(close) - start)), &token.guid)) {
        token.kind = XTokenKind::Guid;
      }
      return token;
    }
    case '>':
      ++position_;
      token.kind = XTokenKind::Error;
      return token;
    default:
      break;
  }

  const char* start = position_;
  while (position_ < end_ && !EndsWord(*position_) &&
         !(*position_ == '/' && end_ - position_ > 1 && position_[1] == '/')) {
    ++position_;
  }
  token.text = std::string_view(start, size_t(position_ - start));
  if (token.text.find_first_not_of('.') == std::string_view::npos) {
    token.kind = XTokenKind::Dot;
  } else if (StartsNumber(c)) {
    token.kind = XTokenKind::Number;
  } else {
    token.keyword = KeywordOf(token.text);
    token.kind = token.keyword == XKeyword::None ? XTokenKind::Name : XTokenKind::Keyword;
  }
  return token;
}

XToken XTextTokenizer::Next() {
  if (hasPeeked_) {
    hasPeeked_ = false;
    return peeked_;
  }
  return Scan();
}

XToken XTextTokenizer::Peek() {
  if (!hasPeeked_) {
    peeked_ = Scan();
    hasPeeked_ = true;
  }
  return peeked_;
}

bool XTextTokenizer::SkipToValue() {
  if (hasPeeked_) {
    if (peeked_.kind != XTokenKind::Comma && peeked_.kind != XTokenKind::Semicolon) return true;
    hasPeeked_ = false;
  }
  for (;;) {
    SkipBlanksAndComments();
    if (position_ == end_) return false;
    if (*position_ != ',' && *position_ != ';') return true;
    ++position_;
  }
}

std::string_view XTextTokenizer::TakeNumberWord() {
  if (hasPeeked_) {
    hasPeeked_ = false;
    return peeked_.kind == XTokenKind::Number ? peeked_.text : std::string_view();
  }
  const char* start = position_;
  if (!StartsNumber(*start)) return {};
  while (position_ < end_ && !EndsWord(*position_) &&
         !(*position_ == '/' && end_ - position_ > 1 && position_[1] == '/')) {
    ++position_;
  }
  return std::string_view(start, size_t(position_ - start));
}

bool XTextTokenizer::ReadIntegers(uint32_t* out, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (!SkipToValue() || !ParseInteger(TakeNumberWord(), &out[i])) return false;
  }
  return true;
}

bool XTextTokenizer::ReadFloats(float* out, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (!SkipToValue() || !ParseReal(TakeNumberWord(), &out[i])) return false;
  }
  return true;
}

bool XTextTokenizer::ReadDoubles(double* out, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (!SkipToValue() || !ParseReal(TakeNumberWord(), &out[i])) return false;
  }
  return true;
}

bool XTextTokenizer::ReadString(std::string* out) {
  if (!SkipToValue()) return false;
  XToken token = Next();
  if (token.kind != XTokenKind::String) return false;
  out->assign(token.text);
  return true;
}

}  // namespace gfx::meshes
