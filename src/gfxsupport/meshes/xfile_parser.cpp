#include "gfxsupport/meshes/xfile_parser.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "gfxsupport/meshes/xfile_binary_tokenizer.h"
#include "gfxsupport/meshes/xfile_decompress.h"
#include "gfxsupport/meshes/xfile_errors.h"
#include "gfxsupport/read_failure.h"
#include "gfxsupport/meshes/xfile_header.h"
#include "gfxsupport/meshes/xfile_text_tokenizer.h"

namespace gfx::meshes {

namespace {

// Deeper nesting than this is taken for a damaged file rather than risking the stack.
constexpr unsigned kDeepestObject = 256;
constexpr unsigned kDeepestTemplate = 32;
// Values are read in chunks of this many through a small buffer.
constexpr size_t kChunk = 256;

size_t StoredSize(XMemberType type) {
  switch (type) {
    case XMemberType::Char:
    case XMemberType::Uchar:
      return 1;
    case XMemberType::Word:
    case XMemberType::Sword:
      return 2;
    case XMemberType::Double:
    case XMemberType::Ulonglong:
      return 8;
    default:
      return 4;
  }
}

bool IsInteger(XMemberType type) {
  switch (type) {
    case XMemberType::Word:
    case XMemberType::Dword:
    case XMemberType::Char:
    case XMemberType::Uchar:
    case XMemberType::Sword:
    case XMemberType::Sdword:
    case XMemberType::Ulonglong:
      return true;
    default:
      return false;
  }
}

bool MemberTypeOf(XKeyword keyword, XMemberType* type) {
  switch (keyword) {
    case XKeyword::Word:
      *type = XMemberType::Word;
      return true;
    case XKeyword::Dword:
      *type = XMemberType::Dword;
      return true;
    case XKeyword::Float:
      *type = XMemberType::Float;
      return true;
    case XKeyword::Double:
      *type = XMemberType::Double;
      return true;
    case XKeyword::Char:
      *type = XMemberType::Char;
      return true;
    case XKeyword::Uchar:
    case XKeyword::Byte:
      *type = XMemberType::Uchar;
      return true;
    case XKeyword::Sword:
      *type = XMemberType::Sword;
      return true;
    case XKeyword::Sdword:
      *type = XMemberType::Sdword;
      return true;
    case XKeyword::String:
      *type = XMemberType::String;
      return true;
    case XKeyword::Ulonglong:
      *type = XMemberType::Ulonglong;
      return true;
    case XKeyword::Unicode:
    case XKeyword::Cstring:
    case XKeyword::Void:
    case XKeyword::Binary:
    case XKeyword::BinaryResource:
      *type = XMemberType::Unsupported;
      return true;
    default:
      return false;
  }
}

std::string GuidKey(const GUID& guid) { return std::string(reinterpret_cast<const char*>(&guid), sizeof guid); }

bool IsSeparator(const XToken& token) { return token.kind == XTokenKind::Comma || token.kind == XTokenKind::Semicolon; }

bool ParseCount(const XToken& token, uint32_t* value) {
  if (token.kind == XTokenKind::Integer) {
    *value = token.integer;
    return true;
  }
  if (token.kind != XTokenKind::Number) return false;
  uint64_t result = 0;
  for (char c : token.text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + uint64_t(c - '0');
    if (result > 0xFFFFFFFFu) return false;
  }
  *value = uint32_t(result);
  return !token.text.empty();
}

// Makes room for more bytes without giving up the vector's geometric growth.
void Reserve(std::vector<uint8_t>* data, uint64_t more) {
  uint64_t needed = data->size() + more;
  if (needed > data->capacity()) data->reserve(size_t(std::max<uint64_t>(needed, 2 * data->capacity())));
}

void Append(std::vector<uint8_t>* data, const void* bytes, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  data->insert(data->end(), p, p + size);
}

// Reads count values of one type through a fixed buffer and appends their bytes, so that a huge
// count never sizes a buffer before the file has shown that many values.
template <typename Value, typename ReadChunk>
bool AppendInChunks(uint64_t count, std::vector<uint8_t>* data, ReadChunk readChunk) {
  Value chunk[kChunk];
  for (uint64_t done = 0; done < count;) {
    const size_t n = size_t(std::min<uint64_t>(kChunk, count - done));
    if (!readChunk(chunk, n)) return false;
    Append(data, chunk, n * sizeof(Value));
    done += n;
  }
  return true;
}

// The recorded reason (or, without one, a general one) with where in the body the reading
// stopped, as E_FAIL.
HRESULT Placed(const XTokenizer& tokens) {
  const std::string reason = HasReadFailure() ? LastReadFailure() : "the structure is broken";
  return Refuse("%s, %lu bytes before the end", reason.c_str(), static_cast<unsigned long>(tokens.RemainingBytes()));
}

}  // namespace

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

const XTemplate* XFileParser::FindTemplate(const std::string& name) const {
  auto found = templatesByName_.find(name);
  return found == templatesByName_.end() ? nullptr : &templates_[found->second];
}

HRESULT XFileParser::RegisterTemplates(const void* data, size_t size) {
  XFileDocument ignored;
  return Parse(data, size, &ignored);
}

HRESULT XFileParser::Parse(const void* data, size_t size, XFileDocument* document) {
  objectsByName_.clear();
  objectsByGuid_.clear();
  try {
    return ParseFile(static_cast<const uint8_t*>(data), size, document);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT XFileParser::ParseFile(const uint8_t* data, size_t size, XFileDocument* document) {
  XFileHeader header;
  HRESULT result = ReadXFileHeader(data, size, &header);
  if (FAILED(result)) return result;

  std::vector<uint8_t> inflated;
  if (header.encoding == XFileEncoding::CompressedText || header.encoding == XFileEncoding::CompressedBinary) {
    result = DecompressXFile(data, size, &inflated);
    if (FAILED(result)) return result;
    data = inflated.data();
    size = inflated.size();
    result = ReadXFileHeader(data, size, &header);
    if (FAILED(result)) return result;
  }

  const uint8_t* body = data + kXFileHeaderSize;
  size_t bodySize = size - kXFileHeaderSize;
  if (header.encoding == XFileEncoding::Text) {
    XTextTokenizer tokens(reinterpret_cast<const char*>(body), bodySize);
    return ParseBody(tokens, document);
  }
  XBinaryTokenizer tokens(body, bodySize, header.floatBytes);
  return ParseBody(tokens, document);
}

HRESULT XFileParser::ParseBody(XTokenizer& tokens, XFileDocument* document) {
  for (;;) {
    XToken token = tokens.Next();
    switch (token.kind) {
      case XTokenKind::End:
        return S_OK;
      case XTokenKind::Comma:
      case XTokenKind::Semicolon:
        break;
      case XTokenKind::Keyword:
        if (token.keyword == XKeyword::Template) {
          if (!ParseTemplate(tokens)) return Placed(tokens);
          break;
        }
        [[fallthrough]];  // a primitive type named as an object's type: an object we skip
      case XTokenKind::Name: {
        const XDataObject* object = nullptr;
        if (!ParseObject(tokens, token, 0, document, &object)) return Placed(tokens);
        if (object != nullptr) document->topLevel.push_back(object);
        break;
      }
      default:
        RefuseStep("something other than a template or a data object at the top level");
        return Placed(tokens);
    }
  }
}

// template NAME { [GUID] members [restriction] }
bool XFileParser::ParseTemplate(XTokenizer& tokens) {
  XTemplate declared;
  XToken name = tokens.Next();
  if (name.kind != XTokenKind::Name) return RefuseStep("a template without a name");
  declared.name.assign(name.text);
  if (tokens.Next().kind != XTokenKind::OpenBrace)
    return RefuseStep("template %s without its opening brace", declared.name.c_str());
  if (tokens.Peek().kind == XTokenKind::Guid) {
    declared.guid = tokens.Next().guid;
    declared.hasGuid = true;
  } else if (const XTemplate* known = FindTemplate(declared.name); known != nullptr) {
    // A file that repeats a known template without its GUID means the same template.
    declared.guid = known->guid;
    declared.hasGuid = known->hasGuid;
  }
  for (;;) {
    XToken token = tokens.Next();
    if (token.kind == XTokenKind::CloseBrace) return AddTemplate(std::move(declared));
    if (token.kind == XTokenKind::OpenBracket) {
      if (!ParseRestriction(tokens, &declared)) return false;
      if (tokens.Next().kind != XTokenKind::CloseBrace)
        return RefuseStep("template %s goes on after its restriction", declared.name.c_str());
      return AddTemplate(std::move(declared));
    }
    if (IsSeparator(token)) continue;
    if (!ParseMember(tokens, &declared, token)) return false;
  }
}

// [TYPE | array TYPE] [NAME] [dims] ;
bool XFileParser::ParseMember(XTokenizer& tokens, XTemplate* declared, const XToken& first) {
  XMember member;
  XToken type = first;
  bool isArray = first.kind == XTokenKind::Keyword && first.keyword == XKeyword::Array;
  if (isArray) type = tokens.Next();

  if (type.kind == XTokenKind::Keyword) {
    if (!MemberTypeOf(type.keyword, &member.type)) return RefuseStep("a template member of a type that is not read");
  } else if (type.kind == XTokenKind::Name) {
    auto found = templatesByName_.find(std::string(type.text));
    if (found == templatesByName_.end())
      return RefuseStep("a template member of the undeclared type %.*s", static_cast<int>(type.text.size()),
                        type.text.data());
    member.type = XMemberType::Template;
    member.templateIndex = found->second;
  } else {
    return RefuseStep("a template member without a type");
  }

  if (tokens.Peek().kind == XTokenKind::Name) member.name.assign(tokens.Next().text);
  if (isArray) {
    if (member.name.empty()) return RefuseStep("an array member without a name");
    while (tokens.Peek().kind == XTokenKind::OpenBracket) {
      tokens.Next();
      XToken size = tokens.Next();
      XArrayDimension dimension;
      if (size.kind == XTokenKind::Name) {
        for (size_t i = 0; i < declared->members.size(); ++i) {
          const XMember& earlier = declared->members[i];
          if (earlier.name == size.text && earlier.dimensions.empty() && IsInteger(earlier.type)) {
            dimension.memberIndex = int(i);
          }
        }
        if (dimension.memberIndex < 0)
          return RefuseStep("array %s sized by %.*s, which is no earlier integer member", member.name.c_str(),
                            static_cast<int>(size.text.size()), size.text.data());
      } else if (!ParseCount(size, &dimension.fixedSize)) {
        return RefuseStep("array %s sized by something that is not a count", member.name.c_str());
      }
      if (tokens.Next().kind != XTokenKind::CloseBracket)
        return RefuseStep("array %s without the closing bracket of its size", member.name.c_str());
      member.dimensions.push_back(dimension);
    }
    if (member.dimensions.empty()) return RefuseStep("array %s without a size", member.name.c_str());
  }
  // The closing ";" is missing after arrays in some binary files; the next member or the end
  // of the template shows where the member ends just as well.
  if (tokens.Peek().kind == XTokenKind::Semicolon) {
    tokens.Next();
  } else if (!isArray) {
    return RefuseStep("template member %s without its semicolon", member.name.c_str());
  }
  declared->members.push_back(std::move(member));
  return true;
}

// [ ... ]  or  [ NAME [GUID], ... ]; the opening bracket has been read.
bool XFileParser::ParseRestriction(XTokenizer& tokens, XTemplate* declared) {
  XToken token = tokens.Next();
  if (token.kind == XTokenKind::Dot) {
    while (token.kind == XTokenKind::Dot) token = tokens.Next();
    declared->restriction = XRestriction::Open;
    if (token.kind != XTokenKind::CloseBracket) return RefuseStep("an open template restriction without its bracket");
    return true;
  }
  declared->restriction = XRestriction::Restricted;
  for (;; token = tokens.Next()) {
    if (token.kind == XTokenKind::CloseBracket) return true;
    if (token.kind == XTokenKind::Comma) continue;
    if (token.kind == XTokenKind::Keyword &&
        (token.keyword == XKeyword::Binary || token.keyword == XKeyword::BinaryResource)) {
      continue;  // raw binary children are never read; the declaration is still accepted
    }
    if (token.kind != XTokenKind::Name)
      return RefuseStep("a template restriction names something other than a template");
    XTemplateReference allowed;
    allowed.name.assign(token.text);
    if (tokens.Peek().kind == XTokenKind::Guid) {
      allowed.guid = tokens.Next().guid;
      allowed.hasGuid = true;
    }
    declared->allowedChildren.push_back(std::move(allowed));
  }
}

bool XFileParser::AddTemplate(XTemplate declared) {
  declared.floatCount = 0;
  bool onlyFloats = !declared.members.empty();
  uint64_t floats = 0;
  declared.fewestValues = 0;
  for (const XMember& member : declared.members) {
    uint64_t fixedElements = 1;
    for (const XArrayDimension& dimension : member.dimensions) {
      if (dimension.memberIndex >= 0) {
        fixedElements = 0;
        onlyFloats = false;
      } else {
        fixedElements = std::min<uint64_t>(fixedElements * dimension.fixedSize, 1u << 30);
      }
    }
    uint64_t elementValues = 1;
    if (member.type == XMemberType::Template) {
      const XTemplate& inner = templates_[member.templateIndex];
      declared.nesting = std::max(declared.nesting, inner.nesting + 1);
      elementValues = inner.fewestValues;
      onlyFloats = onlyFloats && inner.floatCount > 0;
      floats += fixedElements * inner.floatCount;
    } else {
      onlyFloats = onlyFloats && member.type == XMemberType::Float;
      floats += fixedElements;
    }
    // An array of elements that hold no values could spin without reading anything.
    if (!member.dimensions.empty() && elementValues == 0)
      return RefuseStep("template %s has an array of elements that hold no values", declared.name.c_str());
    declared.fewestValues = std::min<uint64_t>(declared.fewestValues + fixedElements * elementValues, 1u << 30);
  }
  if (declared.nesting > kDeepestTemplate)
    return RefuseStep("template %s nests more than %u templates deep", declared.name.c_str(), kDeepestTemplate);
  if (onlyFloats && floats <= 4096) declared.floatCount = uint32_t(floats);
  const std::vector<XMember>& members = declared.members;
  declared.isCountedDwords = members.size() == 2 && members[0].type == XMemberType::Dword &&
                             members[0].dimensions.empty() && members[1].type == XMemberType::Dword &&
                             members[1].dimensions.size() == 1 && members[1].dimensions[0].memberIndex == 0;

  // A repeated name takes the new declaration from now on; objects read earlier keep theirs.
  templates_.push_back(std::move(declared));
  templatesByName_[templates_.back().name] = templates_.size() - 1;
  return true;
}

bool XFileParser::MayHoldChild(const XTemplate& parent, const XTemplate& child) const {
  if (parent.restriction == XRestriction::Open) return true;
  for (const XTemplateReference& allowed : parent.allowedChildren) {
    if (allowed.hasGuid && child.hasGuid ? SameGuid(allowed.guid, child.guid) : allowed.name == child.name) {
      return true;
    }
  }
  return false;
}

// TYPE [NAME] { [GUID] members children }; the type token has been read.
bool XFileParser::ParseObject(XTokenizer& tokens, const XToken& type, unsigned depth, XFileDocument* document,
                              const XDataObject** result) {
  *result = nullptr;
  if (depth >= kDeepestObject) return RefuseStep("data objects nested more than %u deep", kDeepestObject);
  std::string name;
  XToken token = tokens.Next();
  if (token.kind == XTokenKind::Name || token.kind == XTokenKind::Number || token.kind == XTokenKind::Keyword) {
    name.assign(token.text);
    token = tokens.Next();
  }
  if (token.kind != XTokenKind::OpenBrace)
    return RefuseStep("a %.*s without its opening brace", static_cast<int>(type.text.size()), type.text.data());

  const XTemplate* known = type.kind == XTokenKind::Name ? FindTemplate(std::string(type.text)) : nullptr;
  if (known == nullptr) {
    // An unknown object is skipped whole: its values, children and references.
    for (unsigned open = 1; open > 0;) {
      XToken skipped = tokens.Next();
      if (skipped.kind == XTokenKind::End || skipped.kind == XTokenKind::Error)
        return RefuseStep("an object of the unknown type %.*s does not end", static_cast<int>(type.text.size()),
                          type.text.data());
      if (skipped.kind == XTokenKind::OpenBrace && ++open > kDeepestObject)
        return RefuseStep("data objects nested more than %u deep", kDeepestObject);
      if (skipped.kind == XTokenKind::CloseBrace) --open;
    }
    return true;
  }

  auto object = std::make_unique<XDataObject>();
  object->templateIndex = size_t(known - templates_.data());
  object->name = std::move(name);
  if (tokens.Peek().kind == XTokenKind::Guid) {
    object->guid = tokens.Next().guid;
    object->hasGuid = true;
  }
  if (!ReadInstance(tokens, *known, object.get())) {
    // The tokenizers say nothing of their own: a value that is missing or of the wrong kind.
    if (!HasReadFailure()) RefuseStep("the values of a %s do not match its template", known->name.c_str());
    return false;
  }
  // Arrays of variable-sized elements grow the data geometrically; a large object should not
  // keep that slack for the rest of the load.
  if (object->data.capacity() - object->data.size() > object->data.size() / 8 + 4096) {
    object->data.shrink_to_fit();
  }
  if (!ParseChildren(tokens, object.get(), depth, document)) return false;

  const XDataObject* stored = object.get();
  document->objects.push_back(std::move(object));
  if (!stored->name.empty()) objectsByName_[stored->name] = stored;
  if (stored->hasGuid) objectsByGuid_[GuidKey(stored->guid)] = stored;
  *result = stored;
  return true;
}

bool XFileParser::ParseChildren(XTokenizer& tokens, XDataObject* object, unsigned depth, XFileDocument* document) {
  const size_t parentIndex = object->templateIndex;
  for (;;) {
    XToken token = tokens.Next();
    XChild child;
    switch (token.kind) {
      case XTokenKind::CloseBrace:
        return true;
      case XTokenKind::Comma:
      case XTokenKind::Semicolon:
        continue;
      case XTokenKind::OpenBrace:
        if (!ParseReference(tokens, &child.object))
          return RefuseStep("a reference in a %s is not { name } or { GUID }", templates_[parentIndex].name.c_str());
        child.isReference = true;
        break;
      case XTokenKind::Name:
      case XTokenKind::Keyword:
        if (!ParseObject(tokens, token, depth + 1, document, &child.object)) return false;
        break;
      case XTokenKind::End:
        return RefuseStep("a %s does not end", templates_[parentIndex].name.c_str());
      default:
        return RefuseStep("a %s holds more values than its template, or is broken",
                          templates_[parentIndex].name.c_str());
    }
    // Unknown objects and references to objects not in the file carry nothing we can use.
    if (child.object == nullptr) continue;
    if (!MayHoldChild(templates_[parentIndex], templates_[child.object->templateIndex])) {
      return RefuseStep("a %s may not hold a %s", templates_[parentIndex].name.c_str(),
                        templates_[child.object->templateIndex].name.c_str());
    }
    object->children.push_back(child);
  }
}

// { NAME }  { GUID }  { NAME GUID }; the opening brace has been read.
bool XFileParser::ParseReference(XTokenizer& tokens, const XDataObject** target) {
  *target = nullptr;
  std::string name;
  XToken token = tokens.Next();
  if (token.kind == XTokenKind::Name || token.kind == XTokenKind::Number || token.kind == XTokenKind::Keyword) {
    name.assign(token.text);
    token = tokens.Next();
  }
  bool hasGuid = token.kind == XTokenKind::Guid;
  GUID guid = token.guid;
  if (hasGuid) token = tokens.Next();
  if (token.kind != XTokenKind::CloseBrace || (name.empty() && !hasGuid)) return false;

  if (hasGuid) {
    auto found = objectsByGuid_.find(GuidKey(guid));
    if (found != objectsByGuid_.end()) *target = found->second;
  }
  if (*target == nullptr && !name.empty()) {
    auto found = objectsByName_.find(name);
    if (found != objectsByName_.end()) *target = found->second;
  }
  return true;
}

bool XFileParser::ReadInstance(XTokenizer& tokens, const XTemplate& type, XDataObject* object) {
  if (type.floatCount > 0) return ReadValues(tokens, XMemberType::Float, type.floatCount, object, nullptr);
  // Values of the integer members read so far, for arrays sized by them.
  uint32_t memberValues[64] = {};
  for (size_t i = 0; i < type.members.size(); ++i) {
    const XMember& member = type.members[i];
    if (member.dimensions.empty()) {
      uint32_t value = 0;
      if (member.type == XMemberType::Template) {
        if (!ReadInstance(tokens, templates_[member.templateIndex], object)) return false;
      } else if (!ReadValues(tokens, member.type, 1, object, &value)) {
        return false;
      }
      if (i < 64) memberValues[i] = value;
      continue;
    }
    uint64_t count = 1;
    for (const XArrayDimension& dimension : member.dimensions) {
      uint64_t size = dimension.fixedSize;
      if (dimension.memberIndex >= 0) {
        if (dimension.memberIndex >= 64) return RefuseStep("an array sized by a member beyond the 64th");
        size = memberValues[dimension.memberIndex];
      }
      count *= size;
      // Every element takes at least a byte of the file: a larger count is a damaged file,
      // and checking here keeps the product from overflowing.
      if (count > tokens.RemainingBytes())
        return RefuseStep("array %s counts more elements than the file has bytes", member.name.c_str());
    }
    if (!ReadArray(tokens, member, count, object)) return false;
  }
  return true;
}

bool XFileParser::ReadArray(XTokenizer& tokens, const XMember& member, uint64_t count, XDataObject* object) {
  if (member.type != XMemberType::Template) {
    Reserve(&object->data, count * StoredSize(member.type));
    uint32_t ignored;
    return ReadValues(tokens, member.type, count, object, &ignored);
  }
  const XTemplate& element = templates_[member.templateIndex];
  if (element.isCountedDwords) return ReadCountedDwords(tokens, count, object);
  if (element.floatCount > 0) {
    uint64_t floats = count * element.floatCount;
    Reserve(&object->data, floats * sizeof(float));
    return ReadValues(tokens, XMemberType::Float, floats, object, nullptr);
  }
  for (uint64_t i = 0; i < count; ++i) {
    if (!ReadInstance(tokens, element, object)) return false;
  }
  return true;
}

bool XFileParser::ReadCountedDwords(XTokenizer& tokens, uint64_t count, XDataObject* object) {
  constexpr uint32_t kShortList = 31;
  std::vector<uint8_t>& data = object->data;
  for (uint64_t i = 0; i < count; ++i) {
    uint32_t values[kShortList + 1];
    if (!tokens.ReadIntegers(values, 1)) return false;
    const uint32_t n = values[0];
    if (n > kShortList) {
      // Long lists take the general path, which checks the count against the file first.
      uint32_t ignored;
      if (n > tokens.RemainingBytes()) return false;
      Append(&data, values, 4);
      if (!ReadValues(tokens, XMemberType::Dword, n, object, &ignored)) return false;
      continue;
    }
    if (!tokens.ReadIntegers(values + 1, n)) return false;
    Append(&data, values, (size_t(n) + 1) * 4);
  }
  return true;
}

bool XFileParser::ReadValues(XTokenizer& tokens, XMemberType type, uint64_t count, XDataObject* object,
                             uint32_t* lastValue) {
  std::vector<uint8_t>& data = object->data;
  switch (type) {
    case XMemberType::Float:
      return AppendInChunks<float>(count, &data, [&](float* chunk, size_t n) { return tokens.ReadFloats(chunk, n); });
    case XMemberType::Double:
      return AppendInChunks<double>(count, &data,
                                    [&](double* chunk, size_t n) { return tokens.ReadDoubles(chunk, n); });
    case XMemberType::String:
      for (uint64_t i = 0; i < count; ++i) {
        std::string text;
        if (!tokens.ReadString(&text)) return false;
        uint32_t index = uint32_t(object->strings.size());
        object->strings.push_back(std::move(text));
        Append(&data, &index, sizeof index);
      }
      return true;
    case XMemberType::Unsupported:
    case XMemberType::Template:
      return false;
    default:
      break;
  }
  const size_t width = StoredSize(type);
  Reserve(&data, count * width);
  uint32_t chunk[kChunk];
  for (uint64_t done = 0; done < count;) {
    size_t n = size_t(std::min<uint64_t>(kChunk, count - done));
    if (!tokens.ReadIntegers(chunk, n)) return false;
    const size_t at = data.size();
    data.resize(at + n * width);
    if (width == 4) {
      std::memcpy(&data[at], chunk, n * 4);
    } else {
      for (size_t i = 0; i < n; ++i) {
        uint64_t wide = chunk[i];  // narrowed to the member's width, little-endian
        std::memcpy(&data[at + i * width], &wide, width);
      }
    }
    if (lastValue != nullptr) *lastValue = chunk[n - 1];
    done += n;
  }
  return true;
}

}  // namespace gfx::meshes
