// The processor's vector instructions, asked of the processor once per process. This is the one
// place on Linux that asks: the Win32 stand-in answers IsProcessorFeaturePresent from it (which
// is how the system code of src/ learns them, on Windows from the system itself), and the
// reference device chooses its pixel path from it. It sits below both, needing nothing else.
#pragma once

namespace processor {

// MMX: part of every 64-bit x86 processor.
bool HasMmx();
// SSE2: part of every 64-bit x86 processor.
bool HasSse2();
// AVX2, where the operating system also saves the wide registers.
bool HasAvx2();

}  // namespace processor
