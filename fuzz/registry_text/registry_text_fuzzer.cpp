// Feeds arbitrary text to the registry file reader; whatever it reads must write back in a
// form that reads to the same keys and values, with nothing damaged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "registry_document.h"

namespace {

bool SameContents(const RegistryDocument& left, const RegistryDocument& right) {
  if (left.keys.size() != right.keys.size()) return false;
  for (size_t key = 0; key < left.keys.size(); ++key) {
    const auto& a = left.keys[key];
    const auto& b = right.keys[key];
    if (a.path != b.path || a.values.size() != b.values.size()) return false;
    for (size_t value = 0; value < a.values.size(); ++value) {
      if (a.values[value].name != b.values[value].name || a.values[value].type != b.values[value].type ||
          a.values[value].data != b.values[value].data) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegistryDocument read = ParseRegistryText(std::string_view(reinterpret_cast<const char*>(data), size));
  RegistryDocument again = ParseRegistryText(FormatRegistryText(read));
  if (again.damaged || !SameContents(read, again)) std::abort();
  return 0;
}
