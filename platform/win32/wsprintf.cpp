// Implements: wsprintfA. Each conversion is handed to the C library's formatter without its
// size prefix, and its argument is fetched as Windows passes it: every number as a 32-bit int
// (a long is 32 bits on Windows but 64 here, so "%ld" must not read a long), s a text.
// Leaves out: the h size (taken as l), %S and %C (wide texts), %p, floating point (Windows' wsprintfA has none either);
// such a conversion is copied to the output as it stands.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "dialog_box.h"

namespace {

// The largest output wsprintfA writes, without the terminating NUL.
constexpr size_t kLargestOutput = 1024;

void AppendFormatted(std::string& out, const std::string& directive, char conversion, va_list& args) {
  char piece[kLargestOutput + 1];
  int written = 0;
  switch (conversion) {
    case 's': {
      const char* text = va_arg(args, const char*);
      written = std::snprintf(piece, sizeof piece, directive.c_str(), text != nullptr ? text : "(null)");
      break;
    }
    case 'c':
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
      written = std::snprintf(piece, sizeof piece, directive.c_str(), va_arg(args, int));
      break;
    default:
      out += directive;
      return;
  }
  if (written > 0) out.append(piece, std::min(static_cast<size_t>(written), sizeof piece - 1));
}

}  // namespace

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  if (buffer == nullptr || format == nullptr) return 0;
  va_list args;
  va_start(args, format);
  std::string out;
  for (const char* at = format; *at != '\0' && out.size() < kLargestOutput;) {
    if (*at != '%') {
      out += *at++;
      continue;
    }
    if (at[1] == '%') {
      out += '%';
      at += 2;
      continue;
    }
    std::string directive = "%";
    ++at;
    while (*at != '\0' && std::strchr("-+ #0123456789.", *at) != nullptr) directive += *at++;
    while (*at == 'l' || *at == 'h') ++at;  // sizes: every number comes as an int
    if (*at == '\0') break;
    const char conversion = *at++;
    directive += conversion;
    AppendFormatted(out, directive, conversion, args);
  }
  va_end(args);
  if (out.size() > kLargestOutput) out.resize(kLargestOutput);
  std::memcpy(buffer, out.c_str(), out.size() + 1);
  return static_cast<int>(out.size());
}
