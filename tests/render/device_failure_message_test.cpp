#include "render/device_failure_message.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

std::string FromCodePage932(const char* bytes) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return "(no CP932 converter)";
  std::string input(bytes);
  std::string output(input.size() * 4, '\0');
  char* in = input.data();
  char* out = output.data();
  size_t inLeft = input.size();
  size_t outLeft = output.size();
  const size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  if (converted == static_cast<size_t>(-1) || inLeft != 0) return "(not valid CP932)";
  output.resize(output.size() - outLeft);
  return output;
}

TEST(DeviceFailureMessage, ShowsTheJapaneseTextsExactly) {
  EXPECT_EQ(FromCodePage932(kDeviceFailureText), "DirectXの初期化に失敗しました   ");
  EXPECT_EQ(FromCodePage932(kDeviceFailureCaption), "エラー");
}

}  // namespace
