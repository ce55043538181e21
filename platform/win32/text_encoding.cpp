// Implements: code page 932 to UTF-8 through iconv ("CP932", the Windows variant of Shift-JIS).
// Leaves out: the reverse direction, other code pages.
#include "text_encoding.h"

#include <iconv.h>

#include <cerrno>

namespace standin {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

std::string Cp932ToUtf8(const std::string& text) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
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
    // An invalid or cut-off sequence: replace one byte and go on after it.
    result += kReplacement;
    ++in;
    --inLeft;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  return result;
}

}  // namespace standin
