// Implements: the classification of renderer_kind.h. Leaves out: nothing.
#include "renderer_kind.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace gldevice {

bool IsSoftwareRenderer(std::string_view renderer) {
  std::string lower(renderer);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  // Names of the processor-bound renderers that drivers report, in lower case.
  static constexpr std::string_view kSoftwareNames[] = {"llvmpipe",
                                                        "softpipe",
                                                        "swrast",
                                                        "software rasterizer",
                                                        "swiftshader",
                                                        "lavapipe",
                                                        "basic render driver",
                                                        "apple software renderer"};
  return std::any_of(std::begin(kSoftwareNames), std::end(kSoftwareNames),
                     [&](std::string_view name) { return lower.find(name) != std::string::npos; });
}

bool SoftwareRendererAdmitted() {
  const char* value = std::getenv("ORBELUNE_HAL");
  return value != nullptr && std::string_view(value) == "software";
}

}  // namespace gldevice
