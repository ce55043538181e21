// libFuzzer target: the compressed form of X files, loaded as a mesh.
#include "xfile_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadFuzzInput(XFuzzForm::Compressed, data, size);
  return 0;
}
