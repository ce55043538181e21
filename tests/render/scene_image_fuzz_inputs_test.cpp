// The scene-image fuzz target's regressions, and the image seeds it starts from, run again as
// the target runs them: each sets the scene up (or is refused) and draws a frame cleanly.
#include <gtest/gtest.h>

#include "../../fuzz/scene_image/scene_image_input.h"
#include "../support/fuzz_inputs.h"

namespace {

TEST(SceneImageFuzzInputs, PassTheTargetsChecks) {
  const std::filesystem::path folder = ORBELUNE_FUZZ_FOLDER;
  const std::vector<FuzzInput> seeds = ReadFuzzInputs(folder / "images" / "seeds");
  ASSERT_FALSE(seeds.empty());
  for (const std::filesystem::path& kind : {folder / "images" / "seeds", folder / "scene_image" / "regressions"}) {
    for (const FuzzInput& input : ReadFuzzInputs(kind)) {
      EXPECT_EQ(SceneImageInputProblem(input.bytes.data(), input.bytes.size()), "") << input.path;
    }
  }
}

}  // namespace
