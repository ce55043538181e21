#include "shell/command_words.h"

namespace {

bool IsBlank(char character) { return character == ' ' || character == '\t'; }

}  // namespace

// Backslashes are plain characters except before a double quote: 2n of them and a quote give
// n backslashes and toggle quoting; 2n + 1 of them and a quote give n backslashes and the quote.
std::vector<std::string> SplitCommandWords(const char* commandLine) {
  std::vector<std::string> words;
  if (commandLine == nullptr) return words;
  const char* cursor = commandLine;
  for (;;) {
    while (IsBlank(*cursor)) ++cursor;
    if (*cursor == '\0') return words;
    std::string word;
    bool quoted = false;
    while (*cursor != '\0' && (quoted || !IsBlank(*cursor))) {
      size_t backslashes = 0;
      while (*cursor == '\\') {
        ++backslashes;
        ++cursor;
      }
      if (*cursor == '"') {
        word.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          word += '"';
        } else {
          quoted = !quoted;
        }
        ++cursor;
      } else {
        word.append(backslashes, '\\');
        if (*cursor != '\0' && (quoted || !IsBlank(*cursor))) word += *cursor++;
      }
    }
    words.push_back(word);
  }
}
