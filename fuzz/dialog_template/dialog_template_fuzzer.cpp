// Feeds arbitrary bytes to the dialog template reader and touches every item it accepts, so
// that any read outside the input shows up under the address sanitizer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  standin::DialogTemplate dialog;
  std::string failure;
  if (!standin::ReadDialogTemplate(data, size, &dialog, &failure)) return failure.empty() ? 1 : 0;
  size_t sum = dialog.caption.size() + dialog.fontName.size();
  for (const standin::DialogItemTemplate& item : dialog.items) {
    sum += item.className.size() + item.text.size() + static_cast<size_t>(item.id);
  }
  return sum == SIZE_MAX;  // keeps the reads from being optimised away
}
