// Feeds arbitrary bytes to the .res reader and touches every entry it accepts, so that any
// read outside the input shows up under the address sanitizer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "resource_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<ResourceEntry> entries;
  if (!ReadResourceFile(data, size, &entries)) return 0;
  unsigned sum = 0;
  for (const ResourceEntry& entry : entries) {
    if (entry.size > 0) sum += entry.data[0] + entry.data[entry.size - 1];
    sum += ResourceIdMatches(entry.name, "#128") + ResourceIdMatches(entry.type, "MESH");
  }
  return sum == 0xFFFFFFFFu;  // keeps the reads from being optimised away
}
