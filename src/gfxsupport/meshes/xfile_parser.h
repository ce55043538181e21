// The X-file parser: template declarations and data objects, from the text or binary
// tokenizer, into a tree of objects whose member values are laid out flat in template order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gfxsupport/meshes/xfile_token.h"
#include "winapi.h"

namespace gfx::meshes {

// Member types. Values are stored little-endian in the object's data: WORD and SWORD 2 bytes,
// DWORD, SDWORD and FLOAT 4, DOUBLE and ULONGLONG 8, CHAR and UCHAR 1, and a STRING as the
// 32-bit index of the text in the object's strings.
enum class XMemberType : uint8_t {
  Word,
  Dword,
  Float,
  Double,
  Char,
  Uchar,
  Sword,
  Sdword,
  String,
  Ulonglong,
  Unsupported,  // UNICODE, CSTRING, VOID, BINARY: may be declared, never read
  Template,
};

struct XArrayDimension {
  uint32_t fixedSize = 0;
  int memberIndex = -1;  // when >= 0 the size is the value of that earlier member
};

struct XMember {
  XMemberType type = XMemberType::Dword;
  size_t templateIndex = 0;  // when type is Template
  std::string name;
  std::vector<XArrayDimension> dimensions;  // empty for a single value
};

struct XTemplateReference {
  std::string name;
  GUID guid{};
  bool hasGuid = false;
};

enum class XRestriction : uint8_t { Closed, Open, Restricted };

struct XTemplate {
  std::string name;
  GUID guid{};
  bool hasGuid = false;
  std::vector<XMember> members;
  XRestriction restriction = XRestriction::Closed;
  std::vector<XTemplateReference> allowedChildren;

  // Derived when declared: how deep templates nest in it, the fewest values an instance
  // holds, and the number of floats when it is nothing but floats (else 0).
  unsigned nesting = 1;
  uint64_t fewestValues = 0;
  uint32_t floatCount = 0;
  // "DWORD n; array DWORD values[n];", the shape of faces, read by a quicker path.
  bool isCountedDwords = false;
};

struct XDataObject;

struct XChild {
  const XDataObject* object = nullptr;
  bool isReference = false;
};

struct XDataObject {
  size_t templateIndex = 0;
  std::string name;
  GUID guid{};
  bool hasGuid = false;
  std::vector<uint8_t> data;
  std::vector<std::string> strings;
  std::vector<XChild> children;
};

// Everything one file held: its data objects, owned here, and the top-level ones in order.
struct XFileDocument {
  std::vector<std::unique_ptr<XDataObject>> objects;
  std::vector<const XDataObject*> topLevel;
};

bool SameGuid(const GUID& a, const GUID& b);

class XFileParser {
 public:
  // Reads a file of template declarations (any form) into the registry. A file of data
  // objects is accepted too; its objects are dropped.
  HRESULT RegisterTemplates(const void* data, size_t size);

  // Reads a whole file. Header errors come back as ErrXFileBad*, everything else that is
  // wrong with the file as E_FAIL. Templates declared in the file join the registry.
  HRESULT Parse(const void* data, size_t size, XFileDocument* document);

  const XTemplate& TemplateAt(size_t index) const { return templates_[index]; }
  const XTemplate* FindTemplate(const std::string& name) const;

 private:
  HRESULT ParseFile(const uint8_t* data, size_t size, XFileDocument* document);
  HRESULT ParseBody(XTokenizer& tokens, XFileDocument* document);
  bool ParseTemplate(XTokenizer& tokens);
  bool ParseMember(XTokenizer& tokens, XTemplate* declared, const XToken& first);
  bool ParseRestriction(XTokenizer& tokens, XTemplate* declared);
  bool AddTemplate(XTemplate declared);
  // Reads an object whose type name has just been read; false when the file is damaged.
  // An object of an unknown type is skipped and comes back as nullptr.
  bool ParseObject(XTokenizer& tokens, const XToken& type, unsigned depth, XFileDocument* document,
                   const XDataObject** object);
  bool ParseChildren(XTokenizer& tokens, XDataObject* object, unsigned depth, XFileDocument* document);
  bool ParseReference(XTokenizer& tokens, const XDataObject** target);
  bool ReadInstance(XTokenizer& tokens, const XTemplate& type, XDataObject* object);
  bool ReadArray(XTokenizer& tokens, const XMember& member, uint64_t count, XDataObject* object);
  bool ReadCountedDwords(XTokenizer& tokens, uint64_t count, XDataObject* object);
  bool ReadValues(XTokenizer& tokens, XMemberType type, uint64_t count, XDataObject* object, uint32_t* lastValue);
  bool MayHoldChild(const XTemplate& parent, const XTemplate& child) const;

  std::vector<XTemplate> templates_;
  std::unordered_map<std::string, size_t> templatesByName_;
  std::unordered_map<std::string, const XDataObject*> objectsByName_;
  std::map<std::string, const XDataObject*> objectsByGuid_;
};

}  // namespace gfx::meshes
