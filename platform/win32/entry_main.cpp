#include <string>

#include "entry.h"
#include "resource.h"

namespace {

// Quotes an argument the way Windows writes one into a command line, so that the C runtime's
// rules give it back whole: only arguments with blanks, tabs or double quotes are quoted, and
// backslashes are doubled only where a double quote follows them.
std::string CommandLineWord(const std::string& argument) {
  if (argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string word = "\"";
  size_t backslashes = 0;
  for (char character : argument) {
    if (character == '\\') {
      ++backslashes;
      continue;
    }
    word.append(character == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    word += character;
  }
  word.append(2 * backslashes, '\\');
  return word + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  std::string commandLine;
  for (int index = 1; index < argc; ++index) {
    if (index > 1) commandLine += ' ';
    commandLine += CommandLineWord(argv[index]);
  }
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), 1 /* SW_SHOWNORMAL */);
}
