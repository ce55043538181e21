#include "gfxsupport/meshes/xfile_header.h"

#include <cstring>
#include <string>

#include "gfxsupport/meshes/xfile_errors.h"
#include "gfxsupport/read_failure.h"

namespace gfx::meshes {

namespace {
bool FieldIs(const uint8_t* field, const char* text) { return std::memcmp(field, text, 4) == 0; }

// A field as a reason shows it, bytes that are no printable text as "?".
std::string FieldText(const uint8_t* field) {
  std::string text(reinterpret_cast<const char*>(field), 4);
  for (char& c : text)
    if (c < ' ' || c > '~') c = '?';
  return text;
}
}  // namespace

HRESULT ReadXFileHeader(const uint8_t* data, size_t size, XFileHeader* header) {
  if (data == nullptr || size < kXFileHeaderSize || !FieldIs(data, "xof "))
    return RefuseWith(ErrXFileBadType, "the data does not begin with an X-file header");

  const uint8_t* format = data + 8;
  if (FieldIs(format, "txt ")) {
    header->encoding = XFileEncoding::Text;
  } else if (FieldIs(format, "bin ")) {
    header->encoding = XFileEncoding::Binary;
  } else if (FieldIs(format, "tzip")) {
    header->encoding = XFileEncoding::CompressedText;
  } else if (FieldIs(format, "bzip")) {
    header->encoding = XFileEncoding::CompressedBinary;
  } else {
    return RefuseWith(ErrXFileBadType, "format \"%s\" is none of txt, bin, tzip, bzip", FieldText(format).c_str());
  }

  if (!FieldIs(data + 4, "0302") && !FieldIs(data + 4, "0303"))
    return RefuseWith(ErrXFileBadVersion, "version \"%s\" is neither 0302 nor 0303", FieldText(data + 4).c_str());

  if (FieldIs(data + 12, "0032")) {
    header->floatBytes = 4;
  } else if (FieldIs(data + 12, "0064")) {
    header->floatBytes = 8;
  } else {
    return RefuseWith(ErrXFileBadFloatSize, "float size \"%s\" is neither 0032 nor 0064", FieldText(data + 12).c_str());
  }
  return S_OK;
}

}  // namespace gfx::meshes
