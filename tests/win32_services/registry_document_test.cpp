#include "registry_document.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

struct ValueCase {
  const char* label;
  RegistryValue value;
  const char* expectedLine;  // how the value is written
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const ValueCase& test, std::ostream* out) { *out << test.label; }

class RegistryTextRoundTrip : public testing::TestWithParam<ValueCase> {};

// Every value is written in the plainest form that holds its type and bytes exactly, and reads
// back unchanged.
TEST_P(RegistryTextRoundTrip, WritesThePlainestExactFormAndReadsItBack) {
  const ValueCase& test = GetParam();
  RegistryDocument document;
  document.AddKey("HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F").values.push_back(test.value);

  std::string text = FormatRegistryText(document);
  std::string expected =
      std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n") + test.expectedLine + "\n\n";
  EXPECT_EQ(text, expected);

  RegistryDocument read = ParseRegistryText(text);
  EXPECT_FALSE(read.damaged);
  ASSERT_EQ(read.keys.size(), 1u);
  ASSERT_EQ(read.keys[0].values.size(), 1u);
  const RegistryValue& back = read.keys[0].values[0];
  EXPECT_EQ(back.name, test.value.name);
  EXPECT_EQ(back.type, test.value.type);
  EXPECT_EQ(back.data, test.value.data);
}

// "表" in Shift-JIS is 0x95 0x5C: its second byte is a backslash and must survive escaping.
const char kShiftJisPath[] = "C:\\\x95\x5C\\photo.jpg";

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryTextRoundTrip,
    testing::Values(
        ValueCase{"dword", {"DefImageNum", 4, {0x0a, 0, 0, 0}}, "\"DefImageNum\"=dword:0000000a"},
        ValueCase{"dword_high_bit", {"BackColor", 4, {0xff, 0xff, 0xff, 0xff}}, "\"BackColor\"=dword:ffffffff"},
        ValueCase{"text", {"FileName", 1, Bytes(std::string_view("Default\0", 8))}, "\"FileName\"=\"Default\""},
        ValueCase{"text_escapes",
                  {"Quote\"Name", 1, Bytes(std::string_view("a\"b\\c\0", 6))},
                  "\"Quote\\\"Name\"=\"a\\\"b\\\\c\""},
        ValueCase{"shift_jis_text",
                  {"FileName", 1, Bytes(std::string_view(kShiftJisPath, sizeof kShiftJisPath))},
                  "\"FileName\"=\"C:\\\\\x95\\\\\\\\photo.jpg\""},
        ValueCase{"text_without_terminator", {"FileName", 1, Bytes("abc")}, "\"FileName\"=hex(1):61,62,63"},
        ValueCase{"text_with_inner_nul",
                  {"FileName", 1, Bytes(std::string_view("a\0b\0", 4))},
                  "\"FileName\"=hex(1):61,00,62,00"},
        ValueCase{"text_with_line_break",
                  {"FileName", 1, Bytes(std::string_view("a\nb\0", 4))},
                  "\"FileName\"=hex(1):61,0a,62,00"},
        ValueCase{"empty_text_data", {"FileName", 1, {}}, "\"FileName\"=hex(1):"},
        ValueCase{"short_dword", {"ObjectDistance", 4, {0x0c}}, "\"ObjectDistance\"=hex(4):0c"},
        ValueCase{"long_dword", {"ObjectDistance", 4, {1, 2, 3, 4, 5}}, "\"ObjectDistance\"=hex(4):01,02,03,04,05"},
        ValueCase{"binary", {"Blob", 3, {0xde, 0xad}}, "\"Blob\"=hex:de,ad"},
        ValueCase{"qword", {"Big", 11, {1, 0, 0, 0, 0, 0, 0, 0}}, "\"Big\"=hex(b):01,00,00,00,00,00,00,00"},
        ValueCase{"default_value", {"", 1, Bytes(std::string_view("x\0", 2))}, "@=\"x\""}),
    [](const testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.label); });

TEST(RegistryText, LongHexListsWrapAndReadBack) {
  RegistryValue value{"Blob", 3, {}};
  for (int index = 0; index < 200; ++index) value.data.push_back(static_cast<uint8_t>(index));
  RegistryDocument document;
  document.AddKey("HKEY_CURRENT_USER\\Software").values.push_back(value);
  std::string text = FormatRegistryText(document);
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    EXPECT_LE(end - start, 80u) << "line starting at " << start;
  }
  RegistryDocument read = ParseRegistryText(text);
  EXPECT_FALSE(read.damaged);
  ASSERT_EQ(read.keys.size(), 1u);
  EXPECT_EQ(read.keys[0].values.at(0).data, value.data);
}

TEST(RegistryText, ReadsWhatRegeditWrites) {
  const char text[] =
      "REGEDIT4\r\n"
      "\r\n"
      "; written by hand\r\n"
      "[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\r\n"
      "\"ObjectDistance\"=dword:0000001E\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
      "  @=\"top\"\r\n";
  RegistryDocument read = ParseRegistryText(text);
  EXPECT_FALSE(read.damaged);
  const RegistryKeyContents* ours = read.FindKey("hkey_current_user\\software\\vorlane\\orbelune scr f");
  ASSERT_NE(ours, nullptr);
  const RegistryValue* distance = FindValue(*ours, "objectdistance");
  ASSERT_NE(distance, nullptr);
  EXPECT_EQ(distance->data, (std::vector<uint8_t>{0x1e, 0, 0, 0}));
  const RegistryValue* blob = FindValue(*ours, "Blob");
  ASSERT_NE(blob, nullptr);
  EXPECT_EQ(blob->data, (std::vector<uint8_t>{1, 2, 3}));
  const RegistryKeyContents* other = read.FindKey("HKEY_CURRENT_USER\\Software\\Other");
  ASSERT_NE(other, nullptr);
  ASSERT_NE(FindValue(*other, ""), nullptr) << "an indented line reads too";
  EXPECT_TRUE(read.KeyExists("HKEY_CURRENT_USER\\Software"));
  EXPECT_FALSE(read.KeyExists("HKEY_CURRENT_USER\\Soft"));
}

// Damage costs only the lines it touches: every line that still reads is kept.
TEST(RegistryText, DamagedLinesAreDroppedAndTheRestKept) {
  struct Case {
    const char* label;
    const char* text;
    bool damaged;
    std::vector<std::string> readable;
  };
  const Case cases[] = {
      {"garbage", "\x01\x02garbage\xff\n\n~~~~", true, {}},
      {"empty_file", "\n\n", false, {}},
      {"no_header",
       "[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n\"Distance\"=dword:00000030\n",
       true,
       {"Distance"}},
      {"bad_lines_between",
       "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n\"Distance\"=dword:0000003\n"
       "\"Clockwise\"=dword:00000000\n\"FileName\"=\"unterminated\n\"X\"=hex:0g\n\"Y\"=hex(zz):00\n"
       "\"HaloColor\"=dword:00ffffff\n",
       true,
       {"Clockwise", "HaloColor"}},
      {"value_outside_any_key", "REGEDIT4\n\"Distance\"=dword:00000030\n", true, {}},
      {"truncated_in_hex_continuation",
       "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\VORLANE\\Orbelune Scr F]\n\"Clockwise\"=dword:00000001\n"
       "\"Blob\"=hex:01,02,\\\n",
       true,
       {"Clockwise"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    RegistryDocument read = ParseRegistryText(test.text);
    EXPECT_EQ(read.damaged, test.damaged);
    std::vector<std::string> names;
    for (const RegistryKeyContents& key : read.keys) {
      for (const RegistryValue& value : key.values) names.push_back(value.name);
    }
    EXPECT_EQ(names, test.readable);
  }
}

TEST(RegistryText, BrokenContinuationDoesNotSwallowTheNextKey) {
  RegistryDocument read = ParseRegistryText(
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,\\\n[HKEY_CURRENT_USER\\B]\n\"y\"=dword:00000001\n");
  EXPECT_TRUE(read.damaged);
  const RegistryKeyContents* a = read.FindKey("HKEY_CURRENT_USER\\A");
  const RegistryKeyContents* b = read.FindKey("HKEY_CURRENT_USER\\B");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(a->values.empty());
  ASSERT_EQ(b->values.size(), 1u);
  EXPECT_EQ(b->values[0].name, "y");
}

TEST(RegistryText, RefusesNamesTheTextCannotHold) {
  EXPECT_FALSE(IsStorableValueName(std::string_view("a\nb")));
  EXPECT_FALSE(IsStorableValueName(std::string_view("a\0b", 3)));
  EXPECT_TRUE(IsStorableValueName("Orbelune \x95\x5C"));
  EXPECT_FALSE(IsStorableKeyPath("Software\\\\Twice"));
  EXPECT_FALSE(IsStorableKeyPath("Software]"));
  EXPECT_FALSE(IsStorableKeyPath("\\Software"));
  EXPECT_TRUE(IsStorableKeyPath("Software\\VORLANE\\Orbelune Scr F"));
}

}  // namespace
