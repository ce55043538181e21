#include "gfxsupport/meshes/xfile_binary_tokenizer.h"

#include <cstring>

namespace gfx::meshes {

namespace {

enum BinaryToken : uint16_t {
  kTokenName = 1,
  kTokenString = 2,
  kTokenInteger = 3,
  kTokenGuid = 5,
  kTokenIntegerList = 6,
  kTokenFloatList = 7,
  kTokenOpenBrace = 10,
  kTokenCloseBrace = 11,
  kTokenOpenParen = 12,
  kTokenCloseParen = 13,
  kTokenOpenBracket = 14,
  kTokenCloseBracket = 15,
  kTokenOpenAngle = 16,
  kTokenCloseAngle = 17,
  kTokenDot = 18,
  kTokenComma = 19,
  kTokenSemicolon = 20,
  kTokenTemplate = 31,
  kTokenWord = 40,
  kTokenDword = 41,
  kTokenFloat = 42,
  kTokenDouble = 43,
  kTokenChar = 44,
  kTokenUchar = 45,
  kTokenSword = 46,
  kTokenSdword = 47,
  kTokenVoid = 48,
  kTokenLpstr = 49,
  kTokenUnicode = 50,
  kTokenCstring = 51,
  kTokenArray = 52,
};

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

XToken Punctuation(XTokenKind kind) {
  XToken token;
  token.kind = kind;
  return token;
}

XToken Keyword(XKeyword keyword) {
  XToken token;
  token.kind = XTokenKind::Keyword;
  token.keyword = keyword;
  return token;
}

}  // namespace

bool XBinaryTokenizer::Take(size_t bytes, const uint8_t** start) {
  if (size_t(end_ - position_) < bytes) return false;
  *start = position_;
  position_ += bytes;
  return true;
}

bool XBinaryTokenizer::TakeWord(uint16_t* value) {
  const uint8_t* p;
  if (!Take(2, &p)) return false;
  *value = uint16_t(p[0] | p[1] << 8);
  return true;
}

bool XBinaryTokenizer::TakeDword(uint32_t* value) {
  const uint8_t* p;
  if (!Take(4, &p)) return false;
  *value = Le32(p);
  return true;
}

XToken XBinaryTokenizer::Scan() {
  XToken token;
  if (position_ == end_) return token;
  token.kind = XTokenKind::Error;
  uint16_t code;
  if (!TakeWord(&code)) return token;
  switch (code) {
    case kTokenName:
    case kTokenString: {
      uint32_t length;
      const uint8_t* text;
      if (!TakeDword(&length) || !Take(length, &text)) return token;
      std::string_view view(reinterpret_cast<const char*>(text), length);
      if (code == kTokenName) {
        token.kind = XTokenKind::Name;
        token.text = view;
        return token;
      }
      // A string ends with a ";" or "," token; some writers follow it with a zero word.
      uint16_t terminator;
      if (!TakeWord(&terminator) || (terminator != kTokenSemicolon && terminator != kTokenComma)) {
        return token;
      }
      if (end_ - position_ >= 2 && position_[0] == 0 && position_[1] == 0) position_ += 2;
      while (!view.empty() && view.back() == '\0') view.remove_suffix(1);
      token.kind = XTokenKind::String;
      token.text = view;
      return token;
    }
    case kTokenInteger:
      if (!TakeDword(&token.integer)) return token;
      token.kind = XTokenKind::Integer;
      return token;
    case kTokenGuid: {
      const uint8_t* p;
      if (!Take(16, &p)) return token;
      token.guid.Data1 = Le32(p);
      token.guid.Data2 = uint16_t(p[4] | p[5] << 8);
      token.guid.Data3 = uint16_t(p[6] | p[7] << 8);
      std::memcpy(token.guid.Data4, p + 8, 8);
      token.kind = XTokenKind::Guid;
      return token;
    }
    case kTokenIntegerList:
    case kTokenFloatList: {
      // Lists reached here are not wanted by any member: they are skipped as a whole.
      uint32_t count;
      const uint8_t* values;
      size_t width = code == kTokenIntegerList ? 4 : floatBytes_;
      if (!TakeDword(&count) || count > RemainingBytes() / width || !Take(count * width, &values)) {
        return token;
      }
      token.kind = XTokenKind::List;
      token.integer = count;
      return token;
    }
    case kTokenOpenBrace:
      return Punctuation(XTokenKind::OpenBrace);
    case kTokenCloseBrace:
      return Punctuation(XTokenKind::CloseBrace);
    case kTokenOpenParen:
      return Punctuation(XTokenKind::OpenParen);
    case kTokenCloseParen:
      return Punctuation(XTokenKind::CloseParen);
    case kTokenOpenBracket:
      return Punctuation(XTokenKind::OpenBracket);
    case kTokenCloseBracket:
      return Punctuation(XTokenKind::CloseBracket);
    case kTokenDot:
      return Punctuation(XTokenKind::Dot);
    case kTokenComma:
      return Punctuation(XTokenKind::Comma);
    case kTokenSemicolon:
      return Punctuation(XTokenKind::Semicolon);
    case kTokenTemplate:
      return Keyword(XKeyword::Template);
    case kTokenWord:
      return Keyword(XKeyword::Word);
    case kTokenDword:
      return Keyword(XKeyword::Dword);
    case kTokenFloat:
      return Keyword(XKeyword::Float);
    case kTokenDouble:
      return Keyword(XKeyword::Double);
    case kTokenChar:
      return Keyword(XKeyword::Char);
    case kTokenUchar:
      return Keyword(XKeyword::Uchar);
    case kTokenSword:
      return Keyword(XKeyword::Sword);
    case kTokenSdword:
      return Keyword(XKeyword::Sdword);
    case kTokenVoid:
      return Keyword(XKeyword::Void);
    case kTokenLpstr:
      return Keyword(XKeyword::String);
    case kTokenUnicode:
      return Keyword(XKeyword::Unicode);
    case kTokenCstring:
      return Keyword(XKeyword::Cstring);
    case kTokenArray:
      return Keyword(XKeyword::Array);
    default:
      return token;  // includes the angle brackets, which only GUID records replace
  }
}

XToken XBinaryTokenizer::Next() {
  if (integersLeft_ > 0 || floatsLeft_ > 0) return Punctuation(XTokenKind::Error);
  if (hasPeeked_) {
    hasPeeked_ = false;
    return peeked_;
  }
  return Scan();
}

XToken XBinaryTokenizer::Peek() {
  if (integersLeft_ > 0 || floatsLeft_ > 0) return Punctuation(XTokenKind::Error);
  if (!hasPeeked_ && end_ - position_ >= 2) {
    // Values stay unread when only looked at, so that a member can still take them.
    uint16_t code = uint16_t(position_[0] | position_[1] << 8);
    if (code == kTokenInteger || code == kTokenIntegerList || code == kTokenFloatList) {
      return Punctuation(XTokenKind::List);
    }
  }
  if (!hasPeeked_) {
    peeked_ = Scan();
    hasPeeked_ = true;
  }
  return peeked_;
}

bool XBinaryTokenizer::FillIntegers() {
  while (integersLeft_ == 0) {
    if (hasPeeked_) return false;  // a peeked token is never a list: lists are read here
    uint16_t code;
    if (!TakeWord(&code)) return false;
    if (code == kTokenComma || code == kTokenSemicolon) continue;
    if (code == kTokenInteger) {
      integersLeft_ = 1;
    } else if (code == kTokenIntegerList) {
      uint32_t count;
      if (!TakeDword(&count) || count > RemainingBytes() / 4) return false;
      integersLeft_ = count;
    } else {
      return false;
    }
    integers_ = position_;
    position_ += integersLeft_ * 4;
  }
  return true;
}

bool XBinaryTokenizer::FillFloats() {
  while (floatsLeft_ == 0) {
    if (hasPeeked_) return false;
    uint16_t code;
    if (!TakeWord(&code)) return false;
    if (code == kTokenComma || code == kTokenSemicolon) continue;
    if (code != kTokenFloatList) return false;
    uint32_t count;
    if (!TakeDword(&count) || count > RemainingBytes() / floatBytes_) return false;
    floatsLeft_ = count;
    floats_ = position_;
    position_ += size_t(count) * floatBytes_;
  }
  return true;
}

bool XBinaryTokenizer::ReadIntegers(uint32_t* out, size_t count) {
  while (count > 0) {
    if (!FillIntegers()) return false;
    size_t n = count < integersLeft_ ? count : integersLeft_;
    for (size_t i = 0; i < n; ++i) out[i] = Le32(integers_ + 4 * i);
    integers_ += 4 * n;
    integersLeft_ -= n;
    out += n;
    count -= n;
  }
  return true;
}

template <typename Real>
bool XBinaryTokenizer::ReadReals(Real* out, size_t count) {
  while (count > 0) {
    if (!FillFloats()) return false;
    size_t n = count < floatsLeft_ ? count : floatsLeft_;
    if (floatBytes_ == 4) {
      for (size_t i = 0; i < n; ++i) {
        float value;
        std::memcpy(&value, floats_ + 4 * i, 4);  // the file is little-endian, as are our targets
        out[i] = Real(value);
      }
    } else {
      for (size_t i = 0; i < n; ++i) {
        double value;
        std::memcpy(&value, floats_ + 8 * i, 8);
        out[i] = Real(value);
      }
    }
    floats_ += size_t(floatBytes_) * n;
    floatsLeft_ -= n;
    out += n;
    count -= n;
  }
  return true;
}

bool XBinaryTokenizer::ReadFloats(float* out, size_t count) { return ReadReals(out, count); }
bool XBinaryTokenizer::ReadDoubles(double* out, size_t count) { return ReadReals(out, count); }

bool XBinaryTokenizer::ReadString(std::string* out) {
  XToken token = Peek();
  while (token.kind == XTokenKind::Comma || token.kind == XTokenKind::Semicolon) {
    Next();
    token = Peek();
  }
  if (token.kind != XTokenKind::String) return false;
  Next();
  out->assign(token.text);
  return true;
}

}  // namespace gfx::meshes
