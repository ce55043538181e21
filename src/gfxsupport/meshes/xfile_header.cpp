#include "gfxsupport/meshes/xfile_header.h"

#include <cstring>

#include "gfxsupport/meshes/xfile_errors.h"

namespace gfx::meshes {

namespace {
bool FieldIs(const uint8_t* field, const char* text) { return std::memcmp(field, text, 4) == 0; }
}  // namespace

HRESULT ReadXFileHeader(const uint8_t* data, size_t size, XFileHeader* header) {
  if (data == nullptr || size < kXFileHeaderSize || !FieldIs(data, "xof ")) return ErrXFileBadType;

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
    return ErrXFileBadType;
  }

  if (!FieldIs(data + 4, "0302") && !FieldIs(data + 4, "0303")) return ErrXFileBadVersion;

  if (FieldIs(data + 12, "0032")) {
    header->floatBytes = 4;
  } else if (FieldIs(data + 12, "0064")) {
    header->floatBytes = 8;
  } else {
    return ErrXFileBadFloatSize;
  }
  return S_OK;
}

}  // namespace gfx::meshes
