// Implements: the choice of a span shader's specialised copy for a draw's state.
#include "span_plans.h"

namespace refdevice {

namespace {

bool IsTextureAndDiffuse(const StageCombiner& combiner) {
  auto isDiffuse = [](StageArgument argument) { return argument != StageArgument::Texture; };
  return (combiner.argument1 == StageArgument::Texture && isDiffuse(combiner.argument2)) ||
         (combiner.argument2 == StageArgument::Texture && isDiffuse(combiner.argument1));
}

}  // namespace

ShaderPlan PlanShader(const PixelPipeline& pipeline) {
  ShaderPlan plan{AddressPlan::Mixed, BlendPlan::Generic, StagePlan::Generic};
  const SamplerState& sampler = pipeline.sampler.state;
  if (sampler.addressU == sampler.addressV) {
    plan.address = sampler.addressU == Address::Wrap     ? AddressPlan::Wrap
                   : sampler.addressU == Address::Mirror ? AddressPlan::Mirror
                                                         : AddressPlan::Clamp;
  }
  if (!pipeline.blend.enable) {
    plan.blend = BlendPlan::Off;
  } else if (pipeline.blend.source == BlendFactor::SourceAlpha &&
             pipeline.blend.destination == BlendFactor::InverseSourceAlpha) {
    plan.blend = BlendPlan::SourceAlphaOver;
  }
  const TextureStage& stage = pipeline.stage;
  if (stage.color.operation == StageOperation::Modulate && stage.alpha.operation == StageOperation::Modulate2x &&
      IsTextureAndDiffuse(stage.color) && IsTextureAndDiffuse(stage.alpha)) {
    plan.stage = StagePlan::ModulateWithDoubledAlpha;
  }
  return plan;
}

}  // namespace refdevice
