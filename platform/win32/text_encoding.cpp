// Implements: code page 932 to UTF-8 and back through iconv ("CP932", the Windows variant of
// Shift-JIS).
// Leaves out: other code pages.
#include "text_encoding.h"

#include <iconv.h>

#include <cerrno>

namespace standin {
namespace {

constexpr const char* kUnicodeReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Converts between two encodings; a byte that starts no valid character is replaced and
// skipped, so the rest of the text still converts. A valid UTF-8 character that the target
// code page lacks is skipped whole.
std::string Convert(const std::string& text, const char* to, const char* from, const char* replacement) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return text;

  std::string result;
  std::string input = text;
  char* in = input.data();
  size_t inLeft = input.size();
  char buffer[256];
  while (inLeft > 0) {
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    const size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
    result.append(buffer, static_cast<size_t>(out - buffer));
    if (converted != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    result += replacement;
    size_t skipped = 1;
    const unsigned char lead = static_cast<unsigned char>(*in);
    if (errno == EILSEQ && from[0] == 'U' && lead >= 0xC0) {
      skipped = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
      if (skipped > inLeft) skipped = inLeft;
    }
    in += skipped;
    inLeft -= skipped;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  return result;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& text) { return Convert(text, "UTF-8", "CP932", kUnicodeReplacement); }

std::string Utf8ToCp932(const std::string& text) { return Convert(text, "CP932", "UTF-8", "?"); }

}  // namespace standin
