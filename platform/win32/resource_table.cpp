// Implements: the .res reader with every size checked before use. Leaves out: writing .res files.
#include "resource_table.h"

#include <cstring>

namespace {

constexpr uint32_t kFixedHeaderTail = 16;  // data version .. characteristics

class Reader {
 public:
  Reader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  size_t position() const { return position_; }
  size_t remaining() const { return size_ - position_; }

  bool ReadWord(uint16_t* value) {
    if (remaining() < 2) return false;
    *value = static_cast<uint16_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
    position_ += 2;
    return true;
  }

  bool ReadDword(uint32_t* value) {
    if (remaining() < 4) return false;
    std::memcpy(value, bytes_ + position_, 4);  // the format is little-endian, as is the host
    position_ += 4;
    return true;
  }

  bool Skip(size_t count) {
    if (remaining() < count) return false;
    position_ += count;
    return true;
  }

  bool AlignToDword() { return Skip((4 - position_ % 4) % 4); }

  bool ReadId(ResourceId* id) {
    uint16_t first = 0;
    if (!ReadWord(&first)) return false;
    if (first == 0xFFFF) {
      id->isNumber = true;
      return ReadWord(&id->number);
    }
    id->isNumber = false;
    id->text.clear();
    for (uint16_t unit = first; unit != 0;) {
      id->text.push_back(static_cast<char16_t>(unit));
      if (!ReadWord(&unit)) return false;
    }
    return true;
  }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t position_ = 0;
};

bool ReadEntry(Reader& reader, const uint8_t* bytes, ResourceEntry* entry) {
  size_t start = reader.position();
  uint32_t dataSize = 0;
  uint32_t headerSize = 0;
  if (!reader.ReadDword(&dataSize) || !reader.ReadDword(&headerSize)) return false;
  // Both sizes are checked against what is left before any sum is formed.
  size_t left = reader.remaining();
  if (headerSize < 8 + 4 + kFixedHeaderTail || headerSize - 8 > left || dataSize > left - (headerSize - 8)) {
    return false;
  }
  size_t headerEnd = start + headerSize;
  uint32_t ignored = 0;
  uint16_t memoryFlags = 0;
  if (!reader.ReadId(&entry->type) || !reader.ReadId(&entry->name) || !reader.AlignToDword() ||
      !reader.ReadDword(&ignored) || !reader.ReadWord(&memoryFlags) || !reader.ReadWord(&entry->language) ||
      !reader.ReadDword(&ignored) || !reader.ReadDword(&ignored) || reader.position() > headerEnd) {
    return false;
  }
  reader.Skip(headerEnd - reader.position());
  entry->data = bytes + reader.position();
  entry->size = dataSize;
  reader.Skip(dataSize);
  // The padding after the last entry may be missing at the very end of the file.
  if (reader.remaining() > 0 && !reader.AlignToDword()) return false;
  return true;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool ReadResourceFile(const uint8_t* bytes, size_t size, std::vector<ResourceEntry>* entries) {
  entries->clear();
  if (bytes == nullptr && size > 0) return false;
  Reader reader(bytes, size);
  bool first = true;
  while (reader.remaining() > 0) {
    ResourceEntry entry;
    if (!ReadEntry(reader, bytes, &entry)) {
      entries->clear();
      return false;
    }
    bool isLeadingEmptyEntry = first && entry.type.isNumber && entry.type.number == 0 && entry.size == 0;
    first = false;
    if (!isLeadingEmptyEntry) entries->push_back(std::move(entry));
  }
  return true;
}

bool ResourceIdMatches(const ResourceId& id, const char* wanted) {
  uintptr_t raw = reinterpret_cast<uintptr_t>(wanted);
  if ((raw >> 16) == 0) return id.isNumber && id.number == raw;
  if (wanted[0] == '#') {
    uint32_t number = 0;
    const char* digit = wanted + 1;
    if (*digit == '\0') return false;
    for (; *digit != '\0'; ++digit) {
      if (*digit < '0' || *digit > '9') return false;
      number = number * 10 + static_cast<uint32_t>(*digit - '0');
      if (number > 0xFFFF) return false;
    }
    return id.isNumber && id.number == number;
  }
  if (id.isNumber) return false;
  size_t length = std::strlen(wanted);
  if (length != id.text.size()) return false;
  for (size_t index = 0; index < length; ++index) {
    char16_t unit = id.text[index];
    if (unit > 0x7F || UpperAscii(static_cast<char>(unit)) != UpperAscii(wanted[index])) return false;
  }
  return true;
}
