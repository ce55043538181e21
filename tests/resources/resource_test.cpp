#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource_folder_files.h"
#include "resource_table.h"
#include "winapi.h"

namespace {

uint16_t Word(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }
uint32_t Dword(const uint8_t* at) { return Word(at) | (static_cast<uint32_t>(Word(at + 2)) << 16); }

// Builds .res files the way the resource compiler lays them out.
class ResFileBuilder {
 public:
  ResFileBuilder() { Add(Numbered(0), Numbered(0), {}); }  // the leading empty entry

  static std::vector<uint16_t> Numbered(uint16_t number) { return {0xFFFF, number}; }
  static std::vector<uint16_t> Named(const std::u16string& name) {
    std::vector<uint16_t> units(name.begin(), name.end());
    units.push_back(0);
    return units;
  }

  ResFileBuilder& Add(const std::vector<uint16_t>& type, const std::vector<uint16_t>& name,
                      const std::vector<uint8_t>& data) {
    std::vector<uint8_t> header;
    for (uint16_t unit : type) PutWord(header, unit);
    for (uint16_t unit : name) PutWord(header, unit);
    while ((header.size() + 8) % 4 != 0) header.push_back(0);
    PutDword(header, 0);      // data version
    PutWord(header, 0x1030);  // memory flags
    PutWord(header, 0x0411);  // Japanese
    PutDword(header, 0);      // version
    PutDword(header, 0);      // characteristics
    PutDword(bytes, static_cast<uint32_t>(data.size()));
    PutDword(bytes, static_cast<uint32_t>(header.size() + 8));
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), data.begin(), data.end());
    while (bytes.size() % 4 != 0) bytes.push_back(0);
    return *this;
  }

  std::vector<uint8_t> bytes;

 private:
  static void PutWord(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
  }
  static void PutDword(std::vector<uint8_t>& out, uint32_t value) {
    PutWord(out, value & 0xFFFF);
    PutWord(out, value >> 16);
  }
};

TEST(ResourceFile, ReadsNumberedAndNamedEntries) {
  ResFileBuilder file;
  file.Add(ResFileBuilder::Numbered(10), ResFileBuilder::Numbered(117), {1, 2, 3})
      .Add(ResFileBuilder::Named(u"MESH"), ResFileBuilder::Named(u"DISC"), {9});
  std::vector<ResourceEntry> entries;
  ASSERT_TRUE(ReadResourceFile(file.bytes.data(), file.bytes.size(), &entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(ResourceIdMatches(entries[0].type, RT_RCDATA));
  EXPECT_TRUE(ResourceIdMatches(entries[0].name, MAKEINTRESOURCEA(117)));
  EXPECT_TRUE(ResourceIdMatches(entries[0].name, "#117"));
  EXPECT_FALSE(ResourceIdMatches(entries[0].name, MAKEINTRESOURCEA(118)));
  EXPECT_FALSE(ResourceIdMatches(entries[0].name, "#99999"));
  EXPECT_EQ(entries[0].language, 0x0411);
  EXPECT_EQ(std::vector<uint8_t>(entries[0].data, entries[0].data + entries[0].size), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(ResourceIdMatches(entries[1].type, "mesh"));
  EXPECT_FALSE(ResourceIdMatches(entries[1].type, MAKEINTRESOURCEA(10)));
  EXPECT_EQ(entries[1].size, 1u);
}

// Each broken file is refused as a whole; nothing is read past its end.
TEST(ResourceFile, RefusesMalformedFiles) {
  ResFileBuilder good;
  good.Add(ResFileBuilder::Numbered(2), ResFileBuilder::Numbered(128), {1, 2, 3, 4, 5, 6, 7, 8});
  const size_t entryStart = 32;  // after the leading empty entry
  auto patched = [&](size_t offset, uint32_t value) {
    std::vector<uint8_t> bytes = good.bytes;
    std::memcpy(&bytes[offset], &value, 4);
    return bytes;
  };
  struct Case {
    const char* label;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> unterminatedName = good.bytes;
  unterminatedName.resize(entryStart + 8);
  for (int unit = 0; unit < 8; ++unit) unterminatedName.insert(unterminatedName.end(), {'A', 0});
  const Case cases[] = {
      {"truncated_data", std::vector<uint8_t>(good.bytes.begin(), good.bytes.end() - 4)},
      {"truncated_header", std::vector<uint8_t>(good.bytes.begin(), good.bytes.begin() + entryStart + 6)},
      {"data_size_past_the_end", patched(entryStart, 9)},
      {"data_size_huge", patched(entryStart, 0xFFFFFFF0u)},
      {"header_size_too_small", patched(entryStart + 4, 8)},
      {"header_size_huge", patched(entryStart + 4, 0xFFFFFFFFu)},
      {"header_size_short_of_its_fields", patched(entryStart + 4, 28)},
      {"unterminated_name", unterminatedName},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    std::vector<ResourceEntry> entries{ResourceEntry{}};
    EXPECT_FALSE(ReadResourceFile(test.bytes.data(), test.bytes.size(), &entries));
    EXPECT_TRUE(entries.empty());
  }
}

// The program carries the preview bitmap and the icon, in the form the resource compiler gives
// them: a bitmap without its file header, an icon group naming its images.
TEST(ProgramResources, CarryPreviewBitmapAndIconGroup) {
  HMODULE module = GetModuleHandleA(nullptr);
  ASSERT_NE(module, nullptr);
  HRSRC bitmap = FindResourceA(module, MAKEINTRESOURCEA(128), RT_BITMAP);
  ASSERT_NE(bitmap, nullptr);
  DWORD size = SizeofResource(module, bitmap);
  const auto* info = static_cast<const uint8_t*>(LockResource(LoadResource(module, bitmap)));
  ASSERT_NE(info, nullptr);
  ASSERT_GE(size, 40u);
  EXPECT_EQ(Dword(info), 40u) << "BITMAPINFOHEADER";
  EXPECT_EQ(Dword(info + 4), 152u);
  EXPECT_EQ(Dword(info + 8), 112u);
  EXPECT_EQ(Word(info + 14), 24u);
  EXPECT_EQ(size, 40u + 152u * 3u * 112u);

  HRSRC group = FindResourceA(nullptr, MAKEINTRESOURCEA(121), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  const auto* directory = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, group)));
  DWORD groupSize = SizeofResource(nullptr, group);
  ASSERT_GE(groupSize, 6u);
  uint16_t count = Word(directory + 4);
  ASSERT_EQ(groupSize, 6u + 14u * count);
  std::vector<int> sizes;
  for (uint16_t index = 0; index < count; ++index) {
    const uint8_t* entry = directory + 6 + 14 * index;
    sizes.push_back(entry[0]);
    HRSRC image = FindResourceA(nullptr, MAKEINTRESOURCEA(Word(entry + 12)), RT_ICON);
    ASSERT_NE(image, nullptr) << "icon image " << Word(entry + 12);
    EXPECT_EQ(SizeofResource(nullptr, image), Dword(entry + 8));
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

// The halo mask and the two photographs are raw data holding the files' bytes unchanged.
TEST(ProgramResources, CarryTheMaskAndPhotographsAsRawData) {
  const std::pair<int, const char*> rawData[] = {{117, "mask.png"}, {125, "sparks.jpg"}, {126, "rays.jpg"}};
  for (auto [id, file] : rawData) {
    SCOPED_TRACE(file);
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_RCDATA);
    ASSERT_NE(found, nullptr) << "resource " << id;
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(data, nullptr);
    std::vector<uint8_t> bytes(data, data + SizeofResource(nullptr, found));
    EXPECT_TRUE(bytes == ReadResourceFolderFile(file)) << "resource " << id << " holds " << bytes.size() << " bytes";
  }
}

TEST(ProgramResources, MissingResourcesSayWhatIsMissing) {
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(999), RT_BITMAP), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(128), RT_MENU), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(GetModuleHandleA("d3d9.dll"), nullptr);
  HRSRC madeUp = reinterpret_cast<HRSRC>(static_cast<uintptr_t>(0x1000));
  EXPECT_EQ(SizeofResource(nullptr, madeUp), 0u);
  EXPECT_EQ(LoadResource(nullptr, madeUp), nullptr);
}

}  // namespace
