// Running orbelune-tool as a user does, with its two output streams kept apart.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tool_test {

struct ToolRun {
  int exitCode = -1;  // -1 when the tool did not end by itself
  std::string out;
  std::string err;
};

// Runs build/bin/orbelune-tool with the arguments (each one argv entry) in the test's
// environment; its streams go through files in `scratch`.
ToolRun RunTool(const std::vector<std::string>& arguments, const std::filesystem::path& scratch);

std::string ReadFile(const std::filesystem::path& path);

}  // namespace tool_test
