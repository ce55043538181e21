// Environment switches that tests and benchmarks use to steer the stand-in.
// Implements: reading ORBELUNE_D3D_FAIL, ORBELUNE_NO_VSYNC, ORBELUNE_D3D_LOSE_EVERY and
// ORBELUNE_REF_SIMD.
// Leaves out: any other switch.
#include "test_switches.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

namespace d3d9 {

namespace {

std::string_view NameOf(CreationStep step) {
  switch (step) {
    case CreationStep::Direct3D:
      return "create";
    case CreationStep::DisplayMode:
      return "displaymode";
    case CreationStep::HalHardwareVertex:
      return "hal-hw";
    case CreationStep::HalSoftwareVertex:
      return "hal-sw";
    case CreationStep::Reference:
      return "ref";
  }
  return {};
}

bool IsDeviceCreation(CreationStep step) {
  return step == CreationStep::HalHardwareVertex || step == CreationStep::HalSoftwareVertex ||
         step == CreationStep::Reference;
}

}  // namespace

bool IsMadeToFail(CreationStep step) {
  const char* value = std::getenv("ORBELUNE_D3D_FAIL");
  if (value == nullptr) return false;
  std::string_view list(value);
  while (!list.empty()) {
    const size_t comma = list.find(',');
    std::string_view item = list.substr(0, comma);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (item == NameOf(step) || (item == "all" && IsDeviceCreation(step))) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

bool PresentPacingDisabled() {
  const char* value = std::getenv("ORBELUNE_NO_VSYNC");
  return value != nullptr && value[0] != '\0' && std::string_view(value) != "0";
}

unsigned PresentsPerDeviceLoss() {
  const char* value = std::getenv("ORBELUNE_D3D_LOSE_EVERY");
  if (value == nullptr) return 0;
  char* end = nullptr;
  errno = 0;
  const unsigned long every = std::strtoul(value, &end, 10);
  if (errno != 0 || end == value || *end != '\0' || value[0] == '-' || every > UINT_MAX) return 0;
  return static_cast<unsigned>(every);
}

refdevice::SimdLevel ReferenceSimdLimit() {
  const char* value = std::getenv("ORBELUNE_REF_SIMD");
  const std::string_view name = value != nullptr ? value : "";
  if (name == "scalar") return refdevice::SimdLevel::Scalar;
  if (name == "sse2") return refdevice::SimdLevel::Sse2;
  return refdevice::SimdLevel::Avx2;
}

}  // namespace d3d9
