#include "scene_options.h"

#include <cstdio>
#include <cstdlib>

bool ReadSceneOption(const std::string& name, const char* value, SceneOptions& options) {
  if (name == "--scene") {
    options.sceneDirectory = value;
  } else if (name == "--size") {
    return std::sscanf(value, "%dx%d", &options.width, &options.height) == 2;
  } else if (name == "--frames") {
    options.frames = std::atoi(value);
  } else if (name == "--warmup") {
    options.warmup = std::atoi(value);
  } else if (name == "--theta") {
    options.thetaDegrees = static_cast<float>(std::atof(value));
  } else if (name == "--write-frame") {
    options.writeFrame = value;
  } else {
    return false;
  }
  return true;
}

bool SceneOptionsAreComplete(const SceneOptions& options) {
  return !options.sceneDirectory.empty() && options.width > 0 && options.height > 0 && options.width <= 16384 &&
         options.height <= 16384 && options.frames >= 0 && options.warmup >= 0;
}
