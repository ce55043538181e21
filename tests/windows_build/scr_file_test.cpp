// Checks the Windows screen saver that scripts/build-windows wrote: its kind of executable,
// the DLLs it needs and the resources it carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "resource_table.h"

namespace {

const std::filesystem::path kScrFile = ORBELUNE_WINDOWS_SCR;

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Little(const std::vector<uint8_t>& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes.at(at + i);
  return value;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
  EXPECT_EQ(pclose(pipe), 0) << command;
  return output;
}

class ScrFileTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kScrFile)) << kScrFile << " is missing: run scripts/build-windows";
  }
};

TEST_F(ScrFileTest, IsA64BitWindowsGuiProgram) {
  std::vector<uint8_t> bytes = ReadBytes(kScrFile);
  ASSERT_GT(bytes.size(), 0x40u);
  ASSERT_EQ(Little(bytes, 0, 2), 0x5A4Du);  // "MZ"
  size_t pe = Little(bytes, 0x3C, 4);
  ASSERT_EQ(Little(bytes, pe, 4), 0x4550u);  // "PE\0\0"
  EXPECT_EQ(Little(bytes, pe + 4, 2), 0x8664u) << "machine: x86-64";
  EXPECT_EQ(Little(bytes, pe + 22, 2) & 0x2000u, 0u) << "a program, not a DLL";
  size_t optional = pe + 24;
  EXPECT_EQ(Little(bytes, optional, 2), 0x20Bu) << "PE32+";
  EXPECT_EQ(Little(bytes, optional + 68, 2), 2u) << "subsystem: Windows GUI";
}

// DLL name (lower case) -> the functions imported from it, from objdump's import tables.
std::map<std::string, std::set<std::string>> Imports() {
  std::string listing = RunCommand(std::string(ORBELUNE_OBJDUMP) + " -p '" + kScrFile.string() + "'");
  std::map<std::string, std::set<std::string>> imports;
  std::regex dllLine(R"(^\s*DLL Name: (\S+)\s*$)");
  std::regex functionLine(R"(^\s*[0-9a-f]+\s+[0-9]+\s+(\S+)\s*$)");
  std::string dll;
  std::smatch match;
  size_t start = 0;
  while (start < listing.size()) {
    size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    std::string line = listing.substr(start, end - start);
    start = end + 1;
    if (std::regex_match(line, match, dllLine)) {
      dll = Lower(match[1]);
      imports[dll];
    } else if (!dll.empty() && std::regex_match(line, match, functionLine)) {
      imports[dll].insert(match[1]);
    }
  }
  return imports;
}

TEST_F(ScrFileTest, NeedsOnlyDllsEveryWindowsHas) {
  std::map<std::string, std::set<std::string>> imports = Imports();
  // The system's libraries, and msvcrt.dll: the C library of Windows itself, which MinGW-w64
  // programs call. The compiler's runtimes and the image libraries are linked in.
  const std::set<std::string> systemDlls = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "d3d9.dll", "gdi32.dll",
                                            "kernel32.dll", "msvcrt.dll",   "user32.dll",   "winmm.dll"};
  for (const auto& [dll, functions] : imports) {
    EXPECT_TRUE(systemDlls.count(dll)) << "imports " << dll << ", which is not part of Windows";
  }
  EXPECT_TRUE(imports["d3d9.dll"].count("Direct3DCreate9")) << "Direct3DCreate9 is not imported from d3d9.dll";
}

// The resources of the .scr, as windres reads them out of the program into a .res file.
class ScrResourcesTest : public ScrFileTest {
 protected:
  void SetUp() override {
    ScrFileTest::SetUp();
    std::filesystem::path res = std::filesystem::path(testing::TempDir()) / "orbelune-scr-resources.res";
    RunCommand(std::string(ORBELUNE_WINDRES) + " -J coff -O res -i '" + kScrFile.string() + "' -o '" + res.string() +
               "'");
    bytes_ = ReadBytes(res);
    std::filesystem::remove(res);
    ASSERT_TRUE(ReadResourceFile(bytes_.data(), bytes_.size(), &entries_)) << "the .res is malformed";
  }

  const ResourceEntry* Find(uint16_t type, uint16_t name) const {
    for (const ResourceEntry& entry : entries_) {
      if (entry.type.isNumber && entry.type.number == type && entry.name.isNumber && entry.name.number == name)
        return &entry;
    }
    return nullptr;
  }

  std::vector<uint8_t> Data(uint16_t type, uint16_t name) const {
    const ResourceEntry* entry = Find(type, name);
    if (entry == nullptr) return {};
    return {entry->data, entry->data + entry->size};
  }

  std::vector<uint8_t> bytes_;
  std::vector<ResourceEntry> entries_;
};

constexpr uint16_t kBitmap = 2, kIcon = 3, kDialog = 5, kRawData = 10, kIconGroup = 14, kVersion = 16;

std::vector<uint8_t> FolderFile(const std::string& name) {
  return ReadBytes(std::filesystem::path(ORBELUNE_RESOURCES_DIR) / name);
}

TEST_F(ScrResourcesTest, RawDataAreTheFilesOfTheResourcesFolder) {
  const struct {
    uint16_t id;
    const char* file;
  } cases[] = {{117, "mask.png"}, {118, "disc.mesh"}, {125, "sparks.jpg"}, {126, "rays.jpg"}};
  for (const auto& item : cases) {
    std::vector<uint8_t> expected = FolderFile(item.file);
    ASSERT_FALSE(expected.empty()) << item.file;
    EXPECT_TRUE(Data(kRawData, item.id) == expected) << "raw data " << item.id << " is not " << item.file;
  }
}

TEST_F(ScrResourcesTest, PreviewBitmapIsPreviewBmpWithoutItsFileHeader) {
  std::vector<uint8_t> file = FolderFile("preview.bmp");
  ASSERT_GT(file.size(), 14u);
  EXPECT_TRUE(Data(kBitmap, 128) == std::vector<uint8_t>(file.begin() + 14, file.end()));
}

TEST_F(ScrResourcesTest, IconGroupNamesIconsOfTheProgram) {
  std::vector<uint8_t> group = Data(kIconGroup, 121);
  ASSERT_GE(group.size(), 6u) << "icon group 121 is missing";
  uint32_t count = Little(group, 4, 2);
  std::vector<uint8_t> file = FolderFile("orbelune.ico");
  ASSERT_GE(file.size(), 6u);
  EXPECT_EQ(count, Little(file, 4, 2)) << "as many icons as orbelune.ico holds";
  ASSERT_EQ(group.size(), 6 + 14 * count);
  for (uint32_t i = 0; i < count; ++i) {
    uint16_t iconId = static_cast<uint16_t>(Little(group, 6 + 14 * i + 12, 2));
    EXPECT_NE(Find(kIcon, iconId), nullptr) << "icon " << iconId << " of the group is missing";
  }
}

TEST_F(ScrResourcesTest, VersionResourceSays220) {
  std::vector<uint8_t> version = Data(kVersion, 1);
  ASSERT_FALSE(version.empty()) << "no version resource";
  // VS_FIXEDFILEINFO follows the "VS_VERSION_INFO" key; it starts with its signature.
  const std::vector<uint8_t> signature = {0xBD, 0x04, 0xEF, 0xFE};
  auto fixed = std::search(version.begin(), version.end(), signature.begin(), signature.end());
  ASSERT_NE(fixed, version.end()) << "no fixed file information";
  size_t at = fixed - version.begin();
  EXPECT_EQ(Little(version, at + 8, 4), 0x00020014u) << "file version 2.20";
  EXPECT_EQ(Little(version, at + 16, 4), 0x00020014u) << "product version 2.20";
  const std::u16string text = u"2.20";
  std::vector<uint8_t> utf16;
  for (char16_t unit : text) utf16.insert(utf16.end(), {static_cast<uint8_t>(unit), 0});
  EXPECT_NE(std::search(version.begin(), version.end(), utf16.begin(), utf16.end()), version.end())
      << "the version texts say 2.20";
}

// The dialogs are checked once resources/orbelune.rc has them: their templates are written on
// a branch of their own, and every dialog the .rc names must reach the program.
TEST_F(ScrResourcesTest, DialogsOfTheResourceScriptArePresent) {
  std::ifstream in(std::filesystem::path(ORBELUNE_RESOURCES_DIR) / "orbelune.rc");
  std::string script{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(script.empty());
  for (uint16_t id : {110, 101}) {
    std::regex declaration("(^|\\n)\\s*" + std::to_string(id) + "\\s+DIALOG(EX)?\\b");
    if (!std::regex_search(script, declaration)) continue;
    EXPECT_NE(Find(kDialog, id), nullptr) << "dialog " << id << " is missing";
  }
}

}  // namespace
