// libFuzzer target: the text form of X files, loaded as a mesh.
#include "xfile_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadFuzzInput(XFuzzForm::Text, data, size);
  return 0;
}
