// Implements: stage 0's colour and alpha operations. Leaves out: what texture_stage.h lists.
#include "texture_stage.h"

#include "color.h"

namespace refdevice {

namespace {

uint32_t Argument(StageArgument argument, uint32_t texel, uint32_t diffuse) {
  // At the first stage the current colour is the diffuse colour.
  return argument == StageArgument::Texture ? texel : diffuse;
}

uint32_t Operate(StageOperation operation, uint32_t first, uint32_t second, uint32_t diffuse) {
  switch (operation) {
    case StageOperation::Disable:
      return diffuse;
    case StageOperation::SelectArg1:
      return first;
    case StageOperation::SelectArg2:
      return second;
    case StageOperation::Modulate:
      return DivideBy255(first * second);
    case StageOperation::Modulate2x:
      return Saturate255(DivideBy255(2 * first * second));
    case StageOperation::Modulate4x:
      return Saturate255(DivideBy255(4 * first * second));
    case StageOperation::Add:
      return Saturate255(first + second);
  }
  return diffuse;
}

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
    uint32_t first = Argument(combiner.argument1, texelArray[channel], diffuseArray[channel]);
    uint32_t second = Argument(combiner.argument2, texelArray[channel], diffuseArray[channel]);
    result |= Operate(combiner.operation, first, second, diffuseArray[channel]) << (8 * channel);
  }
  return result;
}

}  // namespace refdevice
