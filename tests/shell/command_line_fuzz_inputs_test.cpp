// The command-line fuzz target's seeds and every input that once made it fail, checked again
// as the target checks them.
#include <gtest/gtest.h>

#include "../../fuzz/command_lines/command_line_input.h"
#include "../support/fuzz_inputs.h"

namespace {

TEST(CommandLineFuzzInputs, PassTheTargetsChecks) {
  const std::filesystem::path folder = ORBELUNE_FUZZ_FOLDER "/command_lines";
  const std::vector<FuzzInput> seeds = ReadFuzzInputs(folder / "seeds");
  ASSERT_FALSE(seeds.empty());
  for (const char* kind : {"seeds", "regressions"}) {
    for (const FuzzInput& input : ReadFuzzInputs(folder / kind)) {
      EXPECT_EQ(CommandLineInputProblem(input.bytes.data(), input.bytes.size()), "") << input.path;
    }
  }
}

}  // namespace
