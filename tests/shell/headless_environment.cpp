// Every shell test process runs on the headless display, with its own runtime folder (so the
// "SCRNSAVE" marker of one test is not another's) and its own settings store. The display
// backend is chosen at first use, which comes after this.
#include <stdlib.h>

#include <string>

namespace {

const bool prepared = [] {
  setenv("ORBELUNE_DISPLAY", "headless", 1);
  setenv("ORBELUNE_SCREEN_SIZE", "320x200", 1);
  char folder[] = "/tmp/orbelune-shell-test-XXXXXX";
  if (mkdtemp(folder) != nullptr) {
    setenv("XDG_RUNTIME_DIR", folder, 1);
    setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("ORBELUNE_REGISTRY", (std::string(folder) + "/registry.reg").c_str(), 1);
  }
  return true;
}();

}  // namespace
