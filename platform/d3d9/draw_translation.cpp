// Translation of the Direct3D state of a device into the reference device's draw description.
// Implements: the translations of draw_translation.h.
// Leaves out: vertex layouts.
#include "draw_translation.h"

#include <optional>

namespace d3d9 {

namespace {

using refdevice::BlendFactor;
using refdevice::StageArgument;
using refdevice::StageOperation;

std::optional<BlendFactor> ToBlendFactor(DWORD blend) {
  switch (blend) {
    case D3DBLEND_ZERO:
      return BlendFactor::Zero;
    case D3DBLEND_ONE:
      return BlendFactor::One;
    case D3DBLEND_SRCCOLOR:
      return BlendFactor::SourceColor;
    case D3DBLEND_INVSRCCOLOR:
      return BlendFactor::InverseSourceColor;
    case D3DBLEND_SRCALPHA:
      return BlendFactor::SourceAlpha;
    case D3DBLEND_INVSRCALPHA:
      return BlendFactor::InverseSourceAlpha;
    case D3DBLEND_DESTALPHA:
      return BlendFactor::DestinationAlpha;
    case D3DBLEND_INVDESTALPHA:
      return BlendFactor::InverseDestinationAlpha;
    case D3DBLEND_DESTCOLOR:
      return BlendFactor::DestinationColor;
    case D3DBLEND_INVDESTCOLOR:
      return BlendFactor::InverseDestinationColor;
    default:
      return std::nullopt;
  }
}

std::optional<refdevice::CompareFunction> ToCompare(DWORD function) {
  using refdevice::CompareFunction;
  switch (function) {
    case D3DCMP_NEVER:
      return CompareFunction::Never;
    case D3DCMP_LESS:
      return CompareFunction::Less;
    case D3DCMP_EQUAL:
      return CompareFunction::Equal;
    case D3DCMP_LESSEQUAL:
      return CompareFunction::LessEqual;
    case D3DCMP_GREATER:
      return CompareFunction::Greater;
    case D3DCMP_NOTEQUAL:
      return CompareFunction::NotEqual;
    case D3DCMP_GREATEREQUAL:
      return CompareFunction::GreaterEqual;
    case D3DCMP_ALWAYS:
      return CompareFunction::Always;
    default:
      return std::nullopt;
  }
}

std::optional<StageOperation> ToOperation(DWORD operation) {
  switch (operation) {
    case D3DTOP_DISABLE:
      return StageOperation::Disable;
    case D3DTOP_SELECTARG1:
      return StageOperation::SelectArg1;
    case D3DTOP_SELECTARG2:
      return StageOperation::SelectArg2;
    case D3DTOP_MODULATE:
      return StageOperation::Modulate;
    case D3DTOP_MODULATE2X:
      return StageOperation::Modulate2x;
    case D3DTOP_MODULATE4X:
      return StageOperation::Modulate4x;
    case D3DTOP_ADD:
      return StageOperation::Add;
    default:
      return std::nullopt;
  }
}

// Modifier bits (complement, alpha replicate) and the other sources are not implemented.
std::optional<StageArgument> ToArgument(DWORD argument) {
  switch (argument) {
    case D3DTA_TEXTURE:
      return StageArgument::Texture;
    case D3DTA_CURRENT:
      return StageArgument::Current;
    case D3DTA_DIFFUSE:
      return StageArgument::Diffuse;
    default:
      return std::nullopt;
  }
}

bool UsesArgument1(StageOperation operation) {
  return operation != StageOperation::Disable && operation != StageOperation::SelectArg2;
}

bool UsesArgument2(StageOperation operation) {
  return operation != StageOperation::Disable && operation != StageOperation::SelectArg1;
}

// One combiner (colour or alpha) of stage 0. Arguments that the operation does not read may
// hold anything, as on the real device.
HRESULT TranslateCombiner(DWORD operation, DWORD argument1, DWORD argument2, HRESULT unsupportedOperation,
                          HRESULT unsupportedArgument, refdevice::StageCombiner& out) {
  const std::optional<StageOperation> op = ToOperation(operation);
  if (!op) return unsupportedOperation;
  out.operation = *op;
  if (UsesArgument1(*op)) {
    const std::optional<StageArgument> arg = ToArgument(argument1);
    if (!arg) return unsupportedArgument;
    out.argument1 = *arg;
  }
  if (UsesArgument2(*op)) {
    const std::optional<StageArgument> arg = ToArgument(argument2);
    if (!arg) return unsupportedArgument;
    out.argument2 = *arg;
  }
  return D3D_OK;
}

std::optional<refdevice::Filter> ToFilter(DWORD filter) {
  switch (filter) {
    case D3DTEXF_NONE:  // not a valid minification or magnification filter: the nearest texel
    case D3DTEXF_POINT:
      return refdevice::Filter::Point;
    case D3DTEXF_LINEAR:
    case D3DTEXF_ANISOTROPIC:  // with a maximum anisotropy of 1, anisotropic is linear
      return refdevice::Filter::Linear;
    default:
      return std::nullopt;
  }
}

std::optional<refdevice::MipFilter> ToMipFilter(DWORD filter) {
  switch (filter) {
    case D3DTEXF_NONE:
      return refdevice::MipFilter::None;
    case D3DTEXF_POINT:
      return refdevice::MipFilter::Point;
    case D3DTEXF_LINEAR:
    case D3DTEXF_ANISOTROPIC:
      return refdevice::MipFilter::Linear;
    default:
      return std::nullopt;
  }
}

std::optional<refdevice::Address> ToAddress(DWORD address) {
  switch (address) {
    case D3DTADDRESS_WRAP:
      return refdevice::Address::Wrap;
    case D3DTADDRESS_MIRROR:
      return refdevice::Address::Mirror;
    case D3DTADDRESS_CLAMP:
      return refdevice::Address::Clamp;
    default:
      return std::nullopt;  // border colour and mirror-once are not implemented
  }
}

}  // namespace

refdevice::Matrix ToRasterMatrix(const D3DMATRIX& matrix) {
  refdevice::Matrix out;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) out.m[row][column] = matrix.m[row][column];
  }
  return out;
}

refdevice::Viewport ToRasterViewport(const D3DVIEWPORT9& viewport) {
  refdevice::Viewport out;
  out.x = static_cast<int>(viewport.X);
  out.y = static_cast<int>(viewport.Y);
  out.width = static_cast<int>(viewport.Width);
  out.height = static_cast<int>(viewport.Height);
  out.minZ = viewport.MinZ;
  out.maxZ = viewport.MaxZ;
  return out;
}

HRESULT TranslateRasterStates(const DeviceState& state, bool hasDepthSurface, refdevice::CullMode& cull,
                              refdevice::DepthState& depth, refdevice::BlendState& blend) {
  const auto& rs = state.renderStates;
  // Pixel operations the rasterizer does not have.
  if (rs[D3DRS_FILLMODE] != D3DFILL_SOLID || rs[D3DRS_SHADEMODE] != D3DSHADE_GOURAUD || rs[D3DRS_ALPHATESTENABLE] ||
      rs[D3DRS_STENCILENABLE] || rs[D3DRS_FOGENABLE] || rs[D3DRS_SCISSORTESTENABLE] ||
      (rs[D3DRS_COLORWRITEENABLE] & 0xF) != 0xF || rs[D3DRS_SRGBWRITEENABLE] || rs[D3DRS_DEPTHBIAS] ||
      rs[D3DRS_SLOPESCALEDEPTHBIAS] || rs[D3DRS_WRAP0]) {
    return D3DERR_CONFLICTINGRENDERSTATE;
  }

  switch (rs[D3DRS_CULLMODE]) {
    case D3DCULL_NONE:
      cull = refdevice::CullMode::None;
      break;
    case D3DCULL_CW:
      cull = refdevice::CullMode::Clockwise;
      break;
    case D3DCULL_CCW:
      cull = refdevice::CullMode::CounterClockwise;
      break;
    default:
      return D3DERR_CONFLICTINGRENDERSTATE;
  }

  const DWORD zEnable = rs[D3DRS_ZENABLE];
  if (zEnable != D3DZB_FALSE && zEnable != D3DZB_TRUE) return D3DERR_CONFLICTINGRENDERSTATE;  // w-buffering
  const std::optional<refdevice::CompareFunction> compare = ToCompare(rs[D3DRS_ZFUNC]);
  if (!compare) return D3DERR_CONFLICTINGRENDERSTATE;
  // Without a depth surface, or with z-buffering off, depth is neither tested nor written.
  depth.testEnable = zEnable == D3DZB_TRUE && hasDepthSurface;
  depth.writeEnable = depth.testEnable && rs[D3DRS_ZWRITEENABLE] != FALSE;
  depth.compare = *compare;

  blend.enable = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
  if (!blend.enable) return D3D_OK;
  if (rs[D3DRS_BLENDOP] != D3DBLENDOP_ADD || rs[D3DRS_SEPARATEALPHABLENDENABLE]) {
    return D3DERR_CONFLICTINGRENDERSTATE;
  }
  // The legacy "both" factors set the source and the destination factor together.
  if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
    blend.source = BlendFactor::SourceAlpha;
    blend.destination = BlendFactor::InverseSourceAlpha;
    return D3D_OK;
  }
  if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
    blend.source = BlendFactor::InverseSourceAlpha;
    blend.destination = BlendFactor::SourceAlpha;
    return D3D_OK;
  }
  const std::optional<BlendFactor> source = ToBlendFactor(rs[D3DRS_SRCBLEND]);
  const std::optional<BlendFactor> destination = ToBlendFactor(rs[D3DRS_DESTBLEND]);
  if (!source || !destination) return D3DERR_UNSUPPORTEDFACTORVALUE;
  blend.source = *source;
  blend.destination = *destination;
  return D3D_OK;
}

HRESULT TranslateTextureStage(const DeviceState& state, refdevice::TextureStage& stage, DWORD& maxMipLevel) {
  const auto& ts = state.stageStates[0];
  if (state.stageStates[1][D3DTSS_COLOROP] != D3DTOP_DISABLE && ts[D3DTSS_COLOROP] != D3DTOP_DISABLE) {
    return D3DERR_TOOMANYOPERATIONS;  // one texture stage
  }
  if (ts[D3DTSS_TEXCOORDINDEX] > 7 || ts[D3DTSS_TEXTURETRANSFORMFLAGS] != D3DTTFF_DISABLE ||
      ts[D3DTSS_RESULTARG] != D3DTA_CURRENT) {
    return D3DERR_UNSUPPORTEDCOLOROPERATION;  // coordinate generation, texture matrices, temp register
  }

  if (ts[D3DTSS_COLOROP] == D3DTOP_DISABLE) {
    // A disabled first stage disables the whole cascade: colour and alpha are the diffuse ones.
    stage.color = {StageOperation::Disable, StageArgument::Diffuse, StageArgument::Diffuse};
    stage.alpha = {StageOperation::SelectArg1, StageArgument::Diffuse, StageArgument::Diffuse};
  } else {
    HRESULT result = TranslateCombiner(ts[D3DTSS_COLOROP], ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2],
                                       D3DERR_UNSUPPORTEDCOLOROPERATION, D3DERR_UNSUPPORTEDCOLORARG, stage.color);
    if (FAILED(result)) return result;
    if (ts[D3DTSS_ALPHAOP] == D3DTOP_DISABLE) {
      stage.alpha = {StageOperation::SelectArg1, StageArgument::Diffuse, StageArgument::Diffuse};
    } else {
      result = TranslateCombiner(ts[D3DTSS_ALPHAOP], ts[D3DTSS_ALPHAARG1], ts[D3DTSS_ALPHAARG2],
                                 D3DERR_UNSUPPORTEDALPHAOPERATION, D3DERR_UNSUPPORTEDALPHAARG, stage.alpha);
      if (FAILED(result)) return result;
    }
  }

  const auto& ss = state.samplerStates[0];
  const std::optional<refdevice::Filter> minFilter = ToFilter(ss[D3DSAMP_MINFILTER]);
  const std::optional<refdevice::Filter> magFilter = ToFilter(ss[D3DSAMP_MAGFILTER]);
  const std::optional<refdevice::MipFilter> mipFilter = ToMipFilter(ss[D3DSAMP_MIPFILTER]);
  if (!minFilter || !magFilter || !mipFilter || ss[D3DSAMP_SRGBTEXTURE]) return D3DERR_UNSUPPORTEDTEXTUREFILTER;
  const std::optional<refdevice::Address> addressU = ToAddress(ss[D3DSAMP_ADDRESSU]);
  const std::optional<refdevice::Address> addressV = ToAddress(ss[D3DSAMP_ADDRESSV]);
  if (!addressU || !addressV) return D3DERR_CONFLICTINGTEXTUREFILTER;
  stage.sampler.minFilter = *minFilter;
  stage.sampler.magFilter = *magFilter;
  stage.sampler.mipFilter = *mipFilter;
  stage.sampler.addressU = *addressU;
  stage.sampler.addressV = *addressV;
  maxMipLevel = ss[D3DSAMP_MAXMIPLEVEL];
  return D3D_OK;
}

HRESULT CheckVertexPipelineStates(const DeviceState& state, bool vertexHasSpecular) {
  const auto& rs = state.renderStates;
  if (rs[D3DRS_VERTEXBLEND] != 0 || rs[D3DRS_CLIPPLANEENABLE] != 0 || rs[D3DRS_INDEXEDVERTEXBLENDENABLE]) {
    return D3DERR_CONFLICTINGRENDERSTATE;
  }
  // A specular colour would be added after the texture stage; without one it adds nothing.
  if (rs[D3DRS_SPECULARENABLE] && vertexHasSpecular) return D3DERR_CONFLICTINGRENDERSTATE;
  return D3D_OK;
}

}  // namespace d3d9
