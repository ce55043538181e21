// Fuzz target for the saver's user-image path end to end: the input is the bytes of the image
// file that the settings name, the scene is set up with it and one frame drawn
// (scene_image_input.h says what is checked).
#include <cstdio>
#include <cstdlib>

#include "scene_image_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string problem = SceneImageInputProblem(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
