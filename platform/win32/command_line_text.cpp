// Implements: the command-line text from argv (command_line_text.h).
// Leaves out: the program's own name at the front, which WinMain's text does not carry.
#include "command_line_text.h"

namespace standin {
namespace {

// Backslashes are doubled only where a double quote follows them: an inner quote, or the
// closing one. An empty argument is quoted too: written as nothing, it would vanish and the
// next argument would take its place.
std::string CommandLineWord(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
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

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string commandLine;
  for (int index = 1; index < argc; ++index) {
    if (index > 1) commandLine += ' ';
    commandLine += CommandLineWord(argv[index]);
  }
  return commandLine;
}

}  // namespace standin
