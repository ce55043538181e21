// Reading the compiled resource file format (.res) that windres and rc write: a sequence of
// entries, each a header (data size, header size, type, name, data version, memory flags,
// language, version, characteristics) followed by its data, every part aligned to 4 bytes
// from the start of the file. Types and names are either a number (0xFFFF, then the number)
// or a NUL-terminated UTF-16 text. The file starts with an empty entry of type 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ResourceId {
  bool isNumber = true;
  uint16_t number = 0;
  std::u16string text;  // when not a number
};

struct ResourceEntry {
  ResourceId type;
  ResourceId name;
  uint16_t language = 0;
  const uint8_t* data = nullptr;  // points into the bytes given to the reader
  uint32_t size = 0;
};

// Fills `entries` with every entry of the file except the leading empty one. Returns false,
// with `entries` empty, when any part of the file is malformed or truncated.
bool ReadResourceFile(const uint8_t* bytes, size_t size, std::vector<ResourceEntry>* entries);

// Matches an id against the form FindResourceA takes: a number made with MAKEINTRESOURCE,
// "#123" for the number 123, or a name compared without regard to ASCII case.
bool ResourceIdMatches(const ResourceId& id, const char* wanted);
