// Implements: the processor's answers, read once. Leaves out: every extension the program does
// not use (FMA among them: no code of ours fuses a multiply and an add).
#include "processor_features.h"

namespace processor {

namespace {

struct Features {
  bool mmx = false, sse2 = false, avx2 = false;
};

Features Ask() {
  Features features;
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
  __builtin_cpu_init();
  features.mmx = __builtin_cpu_supports("mmx");
  features.sse2 = __builtin_cpu_supports("sse2");
  // The compiler's check includes the operating system's saving of the wide registers.
  features.avx2 = __builtin_cpu_supports("avx2");
#endif
  return features;
}

const Features& Answers() {
  static const Features features = Ask();
  return features;
}

}  // namespace

bool HasMmx() { return Answers().mmx; }
bool HasSse2() { return Answers().sse2; }
bool HasAvx2() { return Answers().avx2; }

}  // namespace processor
