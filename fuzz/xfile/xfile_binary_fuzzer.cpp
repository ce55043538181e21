// libFuzzer target: the binary form of X files, loaded as a mesh.
#include "xfile_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadFuzzInput(XFuzzForm::Binary, data, size);
  return 0;
}
