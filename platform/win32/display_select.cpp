// Implements: the choice of display backend, made once at first use. ORBELUNE_DISPLAY set to
// "headless" forces the headless backend; otherwise SDL2 is tried when DISPLAY or
// WAYLAND_DISPLAY names a display, and the headless backend stands in when it cannot start.
// headless::Choose sets those switches for the process before the choice is made.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display_backend.h"
#include "headless_display.h"

namespace standin {
namespace {

std::atomic<bool> displayChosen{false};

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
  displayChosen = true;
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

bool headless::Choose(int screenWidth, int screenHeight) {
  if (displayChosen.load() || screenWidth <= 0 || screenHeight <= 0 || screenWidth > headless::kLargestScreenSide ||
      screenHeight > headless::kLargestScreenSide) {
    return false;
  }
  const std::string size = std::to_string(screenWidth) + "x" + std::to_string(screenHeight);
  return setenv("ORBELUNE_DISPLAY", "headless", 1) == 0 && setenv("ORBELUNE_SCREEN_SIZE", size.c_str(), 1) == 0;
}

}  // namespace standin
