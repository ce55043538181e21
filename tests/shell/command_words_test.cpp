// The command-line text split into words by the C runtime's rules, and the Linux entry's
// joined text, which must give every argument back whole.
#include "shell/command_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line_text.h"

using Words = std::vector<std::string>;

TEST(CommandWordsTest, BlanksSeparateQuotesGroupBackslashesEscapeQuotes) {
  struct Case {
    const char* text;
    Words words;
  };
  const Case cases[] = {
      {"", {}},
      {"  \t ", {}},
      {"-root", {"-root"}},
      {"  -window-id\t0x2a  ", {"-window-id", "0x2a"}},
      {"--image \"/home/a b/c.jpg\" -root", {"--image", "/home/a b/c.jpg", "-root"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"\"", {""}},
      {"a\\\\b", {"a\\\\b"}},         // backslashes before no quote stay
      {"a\\\"b", {"a\"b"}},           // an odd run before a quote: the quote is kept
      {"\"a\\\\\" b", {"a\\", "b"}},  // an even run: half of them, and the quote closes
      {"\"unclosed quote", {"unclosed quote"}},
  };
  for (const Case& each : cases) EXPECT_EQ(SplitCommandWords(each.text), each.words) << each.text;
  EXPECT_TRUE(SplitCommandWords(nullptr).empty());
}

TEST(CommandWordsTest, JoinedArgumentsComeBackWhole) {
  const char* const argv[] = {"orbelune",    "-root",  "--image",           "/home/a b/c \"1\".jpg",
                              "tab\there",   "ends\\", "ends in space\\",   "\\\"",
                              "plain\\path", "",       "after an empty one"};
  const int argc = static_cast<int>(std::size(argv));
  const Words words = SplitCommandWords(standin::JoinCommandLine(argc, argv).c_str());
  EXPECT_EQ(words, Words(argv + 1, argv + argc));
}

TEST(CommandWordsTest, ArgumentsWithoutBlanksOrQuotesAreJoinedUnchanged) {
  // The switch letters read this text as it always was.
  const char* const argv[] = {"orbelune", "/p", "1234", "/c:1", "-", "/\xE9s"};
  EXPECT_EQ(standin::JoinCommandLine(6, argv), "/p 1234 /c:1 - /\xE9s");
}
