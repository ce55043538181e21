// Implements: the choice of display backend, made once at first use. ORBELUNE_DISPLAY set to
// "headless" forces the headless backend; otherwise SDL2 is tried when DISPLAY or
// WAYLAND_DISPLAY names a display, and the headless backend stands in when it cannot start.
#include <cstdlib>
#include <cstring>

#include "display_backend.h"

namespace standin {
namespace {

bool HeadlessForced() {
  const char* choice = std::getenv("ORBELUNE_DISPLAY");
  return choice != nullptr && std::strcmp(choice, "headless") == 0;
}

bool DisplayNamed() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

std::unique_ptr<DisplayBackend> Choose() {
  if (!HeadlessForced() && DisplayNamed()) {
    if (auto display = CreateSdlDisplay()) return display;
  }
  return CreateHeadlessDisplay();
}

}  // namespace

DisplayBackend& Display() {
  static const std::unique_ptr<DisplayBackend> display = Choose();
  return *display;
}

}  // namespace standin
