// Loading of the OpenGL function table.
// Implements: LoadGlApi of gl_api.h. Leaves out: checks of the GL version (the backend asks).
#include "gl_api.h"

namespace gldevice {

namespace {
unsigned long long callCount = 0;
}  // namespace

unsigned long long GlCallCount() { return callCount; }
void CountGlCall() { ++callCount; }

bool LoadGlApi(standin::GlContext& context, GlApi& api) {
  bool complete = true;
#define GLDEVICE_LOAD(type, name)                                              \
  api.name.function = reinterpret_cast<type>(context.ProcAddress("gl" #name)); \
  complete = complete && api.name.function != nullptr;
  GLDEVICE_FUNCTIONS(GLDEVICE_LOAD)
#undef GLDEVICE_LOAD
  return complete;
}

}  // namespace gldevice
