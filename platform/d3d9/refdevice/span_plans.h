// The draw states that the SIMD span shaders have specialised copies for, and the choice of
// copy. Anything outside the specialised cases takes the generic copy, which decides the same
// things at run time.
#pragma once

#include "pixel_pipeline.h"

namespace refdevice {

enum class AddressPlan { Wrap, Mirror, Clamp, Mixed };
enum class BlendPlan { Off, SourceAlphaOver, Generic };
enum class StagePlan { ModulateWithDoubledAlpha, Generic };

struct ShaderPlan {
  AddressPlan address;
  BlendPlan blend;
  StagePlan stage;
};

ShaderPlan PlanShader(const PixelPipeline& pipeline);

// Shader<kAddress, kBlend, kStage>::Shade for the plan: every combination is instantiated.
template <template <AddressPlan, BlendPlan, StagePlan> typename Shader>
auto SpecialisedShader(const ShaderPlan& plan) {
  using Entry = decltype(&Shader<AddressPlan::Wrap, BlendPlan::Off, StagePlan::Generic>::Shade);
  auto byStage = [&plan]<AddressPlan kAddress, BlendPlan kBlend>() -> Entry {
    return plan.stage == StagePlan::ModulateWithDoubledAlpha
               ? &Shader<kAddress, kBlend, StagePlan::ModulateWithDoubledAlpha>::Shade
               : &Shader<kAddress, kBlend, StagePlan::Generic>::Shade;
  };
  auto byBlend = [&]<AddressPlan kAddress>() -> Entry {
    switch (plan.blend) {
      case BlendPlan::Off:
        return byStage.template operator()<kAddress, BlendPlan::Off>();
      case BlendPlan::SourceAlphaOver:
        return byStage.template operator()<kAddress, BlendPlan::SourceAlphaOver>();
      default:
        return byStage.template operator()<kAddress, BlendPlan::Generic>();
    }
  };
  switch (plan.address) {
    case AddressPlan::Wrap:
      return byBlend.template operator()<AddressPlan::Wrap>();
    case AddressPlan::Mirror:
      return byBlend.template operator()<AddressPlan::Mirror>();
    case AddressPlan::Clamp:
      return byBlend.template operator()<AddressPlan::Clamp>();
    default:
      return byBlend.template operator()<AddressPlan::Mixed>();
  }
}

}  // namespace refdevice
