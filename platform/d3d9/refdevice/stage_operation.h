// Texture stage 0's operations on the 0..255 scale, written once for every form of the pipeline:
// `Arithmetic` gives the value (one channel for the scalar pipeline, a register of 16-bit
// channels for the span shaders) and the steps on it. Both forms round the same, so both give
// the same channels: where a SIMD product saturates its 16 bits, the result is past 255 anyway.
#pragma once

#include "refdevice.h"

namespace refdevice {

// At the first stage the current colour is the diffuse colour.
template <typename Value>
inline __attribute__((always_inline)) Value StageArgumentOf(StageArgument argument, Value texel, Value diffuse) {
  return argument == StageArgument::Texture ? texel : diffuse;
}

// `Arithmetic` has Multiply(a, b) (a product of two 8-bit values), Double(x), Add(a, b),
// DivideBy255(x) (rounded to nearest) and Saturate255(x).
template <typename Arithmetic, typename Value = typename Arithmetic::Value>
inline __attribute__((always_inline)) Value Operate(StageOperation operation, Value first, Value second,
                                                    Value diffuse) {
  using A = Arithmetic;
  switch (operation) {
    case StageOperation::Disable:
      return diffuse;
    case StageOperation::SelectArg1:
      return first;
    case StageOperation::SelectArg2:
      return second;
    case StageOperation::Modulate:
      return A::DivideBy255(A::Multiply(first, second));
    case StageOperation::Modulate2x:
      return A::Saturate255(A::DivideBy255(A::Double(A::Multiply(first, second))));
    case StageOperation::Modulate4x:
      return A::Saturate255(A::DivideBy255(A::Double(A::Double(A::Multiply(first, second)))));
    case StageOperation::Add:
      return A::Saturate255(A::Add(first, second));
  }
  return diffuse;
}

// Operate for one combiner of the stage.
template <typename Arithmetic, typename Value = typename Arithmetic::Value>
inline __attribute__((always_inline)) Value Combine(const StageCombiner& combiner, Value texel, Value diffuse) {
  return Operate<Arithmetic>(combiner.operation, StageArgumentOf(combiner.argument1, texel, diffuse),
                             StageArgumentOf(combiner.argument2, texel, diffuse), diffuse);
}

}  // namespace refdevice
