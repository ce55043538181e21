// Text conversion for the toolkits: the system hands Shift-JIS (code page 932) bytes to the
// ANSI functions, while SDL and GTK take UTF-8. Internal to the stand-ins; not part of Win32.
#pragma once

#include <string>

namespace standin {

// Converts code page 932 text to UTF-8. Bytes that do not form a character of the code page
// become U+FFFD, so the rest of the text still shows.
std::string Cp932ToUtf8(const std::string& text);

// Converts UTF-8 text to code page 932; characters the code page lacks become "?".
std::string Utf8ToCp932(const std::string& text);

}  // namespace standin
