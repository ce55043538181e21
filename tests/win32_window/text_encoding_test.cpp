#include "text_encoding.h"

#include <gtest/gtest.h>

TEST(TextEncodingTest, ShiftJisBecomesUtf8) {
  struct Case {
    std::string cp932;
    std::string utf8;
  };
  const Case cases[] = {
      {"Orbelune", "Orbelune"},
      {"\x83\x66\x83\x6F\x83\x43\x83\x58", "\xE3\x83\x87\xE3\x83\x90\xE3\x82\xA4\xE3\x82\xB9"},  // デバイス
      {"\x88\xEA", "\xE4\xB8\x80"},                                                              // 一
      {"\xB1", "\xEF\xBD\xB1"},                                                                  // half-width ｱ
      {"\x87\x40", "\xE2\x91\xA0"},  // ① (a Windows extension of Shift-JIS)
      {"a\xFF"
       "b",
       "a\xEF\xBF\xBD"
       "b"},                         // a byte that is no character
      {"ab\x83", "ab\xEF\xBF\xBD"},  // a cut-off double-byte character
  };
  for (const Case& each : cases) EXPECT_EQ(standin::Cp932ToUtf8(each.cp932), each.utf8);
}
