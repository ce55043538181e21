// Implements: stage 0's colour and alpha operations. Leaves out: what texture_stage.h lists.
#include "texture_stage.h"

#include "color.h"
#include "stage_operation.h"

namespace refdevice {

namespace {

// One channel in a 32-bit word.
struct ChannelArithmetic {
  using Value = uint32_t;
  static uint32_t Multiply(uint32_t a, uint32_t b) { return a * b; }
  static uint32_t Double(uint32_t x) { return 2 * x; }
  static uint32_t Add(uint32_t a, uint32_t b) { return a + b; }
  static uint32_t DivideBy255(uint32_t x) { return refdevice::DivideBy255(x); }
  static uint32_t Saturate255(uint32_t x) { return refdevice::Saturate255(x); }
};

bool ReadsTexture(const StageCombiner& combiner) {
  switch (combiner.operation) {
    case StageOperation::Disable:
      return false;
    case StageOperation::SelectArg1:
      return combiner.argument1 == StageArgument::Texture;
    case StageOperation::SelectArg2:
      return combiner.argument2 == StageArgument::Texture;
    default:
      return combiner.argument1 == StageArgument::Texture || combiner.argument2 == StageArgument::Texture;
  }
}

}  // namespace

bool StageReadsTexture(const TextureStage& stage) {
  if (stage.texture == nullptr) return false;
  if (stage.color.operation == StageOperation::Disable) return false;
  return ReadsTexture(stage.color) || ReadsTexture(stage.alpha);
}

uint32_t CombineStage(const TextureStage& stage, uint32_t texel, uint32_t diffuse) {
  // A disabled colour operation switches the whole stage off, alpha included.
  if (stage.color.operation == StageOperation::Disable) return diffuse;
  Channels texelArray = Unpack(texel);
  Channels diffuseArray = Unpack(diffuse);
  uint32_t result = 0;
  for (int channel = 0; channel < 4; ++channel) {
    const StageCombiner& combiner = channel == kAlphaChannel ? stage.alpha : stage.color;
    result |= Combine<ChannelArithmetic>(combiner, texelArray[channel], diffuseArray[channel]) << (8 * channel);
  }
  return result;
}

}  // namespace refdevice
