// The command-line options that bench_scene and bench_scene_gl share, so that both draw the same
// frame from the same words.
#pragma once

#include <string>

struct SceneOptions {
  std::string sceneDirectory;
  int width = 800, height = 600;
  int frames = 200;
  int warmup = 20;
  float thetaDegrees = 30.0f;  // the rotation of the reference frame
  std::string writeFrame;
};

// Takes `name` with its `value` when it is a shared option; false when the name is not one of
// them or the value does not read.
bool ReadSceneOption(const std::string& name, const char* value, SceneOptions& options);

// Whether the options describe a frame that can be drawn.
bool SceneOptionsAreComplete(const SceneOptions& options);
