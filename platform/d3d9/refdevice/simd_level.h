// Which vector forms of its steps the device may run: the widest the processor runs (found by the
// program's one processor probe), narrowed on request.
#pragma once

#include "refdevice.h"

namespace refdevice {

// The widest level this build and this processor run.
SimdLevel ProcessorSimdLevel();

// `asked`, or the processor's level where that is narrower.
SimdLevel RunnableSimdLevel(SimdLevel asked);

}  // namespace refdevice
