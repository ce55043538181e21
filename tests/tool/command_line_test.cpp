// orbelune-tool's own command line: help on request, the usage of every command on a wrong one.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tool_run.h"

namespace {

using tool_test::RunTool;
using tool_test::ToolRun;

const char kUsage[] =
    "usage: orbelune-tool image FILE [--out OUT.bmp]\n"
    "       orbelune-tool mesh FILE [--dump]\n"
    "       orbelune-tool frame --time MS --size WxH [--registry FILE] [--device ref|hal] --out FILE.bmp\n";

TEST(ToolCommandLine, HelpGoesToStandardOutputAndAWrongLineToStandardError) {
  std::string pattern = (std::filesystem::temp_directory_path() / "orbelune-tool-usage-XXXXXX").string();
  const std::filesystem::path scratch = mkdtemp(pattern.data());
  for (const char* help : {"--help", "-h"}) {
    const ToolRun run = RunTool({help}, scratch);
    EXPECT_EQ(run.exitCode, 0) << help;
    EXPECT_EQ(run.out, kUsage) << help;
    EXPECT_EQ(run.err, "") << help;
  }
  struct Case {
    std::vector<std::string> arguments;
    std::string err;
  };
  const Case wrong[] = {
      {{}, kUsage},
      {{"paint", "x.png"}, std::string("orbelune-tool: unknown command 'paint'\n") + kUsage},
  };
  for (const Case& c : wrong) {
    const ToolRun run = RunTool(c.arguments, scratch);
    EXPECT_EQ(run.exitCode, 2) << c.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);
  }
  std::filesystem::remove_all(scratch);
}

}  // namespace
