// The span shaders' per-pixel arithmetic, written once over a lane type (Sse2Lanes, four pixels;
// Avx2Lanes, eight) and instantiated by span_simd.cpp and span_avx2.cpp, each built for its
// instruction set. Every step repeats the scalar pipeline's operations in the same order (same
// float operations, same 8-bit rounding), so every width gives the scalar pipeline's pixels.
// On the map of docs/reference-device.md: the steps under "shade", shared by both widths; the
// loops that walk runs, narrow triangles and pixels set aside stay with each width.
//
// Pixels travel as 32-bit lanes (b g r a bytes) and are worked on as 16-bit channels, split into
// a low and a high half (Low16, High16) and packed back.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "pixel_pipeline.h"
#include "span_plans.h"
#include "stage_operation.h"
#include "texel_position.h"
#include "tuning.h"

#define ORBELUNE_SHADE inline __attribute__((always_inline))

namespace refdevice::lanes {

template <typename L, int16_t kValue>
ORBELUNE_SHADE typename L::I Words() {
  return L::template Words<kValue>();
}

// ---- Texel positions, as ToTexelPosition does them ----

template <typename L>
struct Axis {
  typename L::F size;
  typename L::I sizeMinusOne, periodMinusOne, sizeBit;
  Address mode;
};

template <typename L>
Axis<L> MakeAxis(int size, Address mode) {
  return {L::Set(static_cast<float>(size)), L::Set32(size - 1), L::Set32(2 * size - 1), L::Set32(size), mode};
}

template <AddressPlan kPlan, typename L>
ORBELUNE_SHADE Address ModeOf(const Axis<L>& axis) {
  if constexpr (kPlan == AddressPlan::Wrap) return Address::Wrap;
  if constexpr (kPlan == AddressPlan::Mirror) return Address::Mirror;
  if constexpr (kPlan == AddressPlan::Clamp) return Address::Clamp;
  return axis.mode;
}

template <AddressPlan kPlan, typename L>
ORBELUNE_SHADE void TexelPositions(typename L::F coordinate, const Axis<L>& axis, bool linear, typename L::I& index,
                                   typename L::I& weight) {
  typename L::F s = L::Multiply(coordinate, axis.size);
  if (linear) s = L::Subtract(s, L::Set(0.5f));
  s = L::Max(s, L::Set(-kTexelCoordinateLimit));  // a NaN becomes the second operand
  s = L::Min(s, L::Set(kTexelCoordinateLimit));
  if (ModeOf<kPlan>(axis) == Address::Clamp) s = L::Min(L::Max(s, L::Set(-1.0f)), axis.size);
  const typename L::F fraction = L::Subtract(s, L::Floor(s, index));
  weight = L::Truncate(L::Add(L::Multiply(fraction, L::Set(float(1 << tuning::kFilterWeightBits))), L::Set(0.5f)));
}

// ApplyAddressing for power-of-two sizes.
template <AddressPlan kPlan, typename L>
ORBELUNE_SHADE typename L::I AddressOf(typename L::I index, const Axis<L>& axis) {
  switch (ModeOf<kPlan>(axis)) {
    case Address::Wrap:
      return L::And(index, axis.sizeMinusOne);
    case Address::Mirror: {
      const typename L::I folded = L::And(index, axis.periodMinusOne);
      // In the second half, period - 1 - folded is folded with all its low bits flipped.
      const typename L::I second = L::Equal32(L::And(folded, axis.sizeBit), axis.sizeBit);
      return L::Xor(folded, L::And(second, axis.periodMinusOne));
    }
    case Address::Clamp:
    default:
      return L::Clamp32(index, axis.sizeMinusOne);
  }
}

// ---- 8-bit channel arithmetic in 16-bit lanes ----

// A filter weight w in the channels of one half, with its complement one - w.
template <typename L>
struct HalfWeight {
  typename L::I weight, rest;
};

// 32-bit filter weights spread over the channels of the low and high halves.
template <typename L>
struct SpreadWeights {
  SpreadWeights() = default;
  ORBELUNE_SHADE explicit SpreadWeights(typename L::I weights) {
    const typename L::I packed = L::PackSigned32(weights, weights);
    const typename L::I doubled = L::InterleaveLow16(packed, packed);
    const typename L::I one = Words<L, 1 << tuning::kFilterWeightBits>();
    low.weight = L::InterleaveLow32(doubled, doubled);
    high.weight = L::InterleaveHigh32(doubled, doubled);
    low.rest = L::Subtract16(one, low.weight);
    high.rest = L::Subtract16(one, high.weight);
  }
  HalfWeight<L> low, high;
};

// (a * (one - w) + b * w + one / 2) >> bits: at most 255 * 256 + 128, inside 16 bits.
template <typename L>
ORBELUNE_SHADE typename L::I Lerp16(typename L::I a, typename L::I b, const HalfWeight<L>& w) {
  typename L::I sum = L::Add16(L::MultiplyLow16(a, w.rest), L::MultiplyLow16(b, w.weight));
  sum = L::Add16(sum, Words<L, 1 << (tuning::kFilterWeightBits - 1)>());
  return L::ShiftRight16(sum, tuning::kFilterWeightBits);
}

// The steps of stage_operation.h on 16-bit channels.
template <typename L>
struct ChannelArithmetic {
  using Value = typename L::I;
  static ORBELUNE_SHADE Value Multiply(Value a, Value b) { return L::MultiplyLow16(a, b); }
  static ORBELUNE_SHADE Value Double(Value x) { return L::AddSaturated16(x, x); }
  static ORBELUNE_SHADE Value Add(Value a, Value b) { return L::AddSaturated16(a, b); }
  // round(x / 255) = (x + 127) / 255; x * 0x8081 >> 23 is exact division by 255 over 16 bits.
  // Saturation only touches sums whose result is above 255 anyway.
  static ORBELUNE_SHADE Value DivideBy255(Value x) {
    const Value biased = L::AddSaturated16(x, Words<L, 127>());
    return L::ShiftRight16(L::MultiplyHigh16(biased, Words<L, static_cast<int16_t>(0x8081)>()), 7);
  }
  static ORBELUNE_SHADE Value Saturate255(Value x) { return L::Min16(x, Words<L, 255>()); }
};

template <StagePlan kPlan, typename L>
ORBELUNE_SHADE typename L::I CombineStage16(const TextureStage& stage, typename L::I texel, typename L::I diffuse) {
  using A = ChannelArithmetic<L>;
  if constexpr (kPlan == StagePlan::ModulateWithDoubledAlpha) {
    // The alpha product doubled (saturating) and every channel divided once: the colour's
    // quotients are at most 255, which the saturation leaves as they are.
    const typename L::I product = L::MultiplyLow16(texel, diffuse);
    const typename L::I doubled = L::AddSaturated16(product, L::And(product, L::AlphaWords()));
    return A::Saturate255(A::DivideBy255(doubled));
  } else {
    // A disabled colour operation switches the whole stage off, alpha included.
    if (stage.color.operation == StageOperation::Disable) return diffuse;
    const typename L::I color = Combine<A>(stage.color, texel, diffuse);
    const typename L::I alpha = Combine<A>(stage.alpha, texel, diffuse);
    return L::Select(L::AlphaWords(), color, alpha);
  }
}

template <typename L>
ORBELUNE_SHADE typename L::I BlendFactor16(BlendFactor factor, typename L::I source, typename L::I destination) {
  const typename L::I full = Words<L, 255>();
  switch (factor) {
    case BlendFactor::Zero:
      return L::Zero();
    case BlendFactor::One:
      return full;
    case BlendFactor::SourceColor:
      return source;
    case BlendFactor::InverseSourceColor:
      return L::Subtract16(full, source);
    case BlendFactor::SourceAlpha:
      return L::BroadcastAlpha16(source);
    case BlendFactor::InverseSourceAlpha:
      return L::Subtract16(full, L::BroadcastAlpha16(source));
    case BlendFactor::DestinationAlpha:
      return L::BroadcastAlpha16(destination);
    case BlendFactor::InverseDestinationAlpha:
      return L::Subtract16(full, L::BroadcastAlpha16(destination));
    case BlendFactor::DestinationColor:
      return destination;
    case BlendFactor::InverseDestinationColor:
      return L::Subtract16(full, destination);
  }
  return L::Zero();
}

template <BlendPlan kPlan, typename L>
ORBELUNE_SHADE typename L::I Blend16(const BlendState& blend, typename L::I source, typename L::I destination) {
  using A = ChannelArithmetic<L>;
  if constexpr (kPlan == BlendPlan::SourceAlphaOver) {
    // source * a + destination * (255 - a) stays within 255 * 255: no saturation needed.
    const typename L::I alpha = L::BroadcastAlpha16(source);
    const typename L::I sum =
        L::Add16(L::MultiplyLow16(source, alpha), L::MultiplyLow16(destination, L::Subtract16(Words<L, 255>(), alpha)));
    return A::DivideBy255(sum);
  } else {
    const typename L::I sum =
        L::AddSaturated16(L::MultiplyLow16(source, BlendFactor16<L>(blend.source, source, destination)),
                          L::MultiplyLow16(destination, BlendFactor16<L>(blend.destination, source, destination)));
    return A::Saturate255(A::DivideBy255(sum));
  }
}

// ---- Diffuse colour and texels ----

// Colour channels from float vectors, rounded as PackColorChannels does.
template <typename L>
ORBELUNE_SHADE typename L::I ToChannels(typename L::F value) {
  value = L::Max(value, L::ZeroFloats());  // NaN and negatives become 0
  value = L::Min(value, L::Set(255.0f));
  return L::Truncate(L::Add(value, L::Set(0.5f)));
}

// The diffuse colours packed as pixels: colorAt(channel) gives a channel's plane values, before
// the multiplication by w where there is perspective, as the scalar pipeline orders it.
template <typename L, typename ColorAt>
ORBELUNE_SHADE typename L::I DiffuseOf(ColorAt&& colorAt, bool perspective, typename L::F w) {
  typename L::I channels[4];
  for (int channel = 0; channel < 4; ++channel) {
    typename L::F value = colorAt(channel);
    if (perspective) value = L::Multiply(value, w);
    channels[channel] = ToChannels<L>(value);
  }
  return L::Or(L::Or(channels[0], L::ShiftLeft32(channels[1], 8)),
               L::Or(L::ShiftLeft32(channels[2], 16), L::ShiftLeft32(channels[3], 24)));
}

// Pixels split into their low and high halves of 16-bit channels.
template <typename L>
ORBELUNE_SHADE void SplitPixels(typename L::I pixels, typename L::I& low, typename L::I& high) {
  low = L::Low16(pixels);
  high = L::High16(pixels);
}

// Texels in halves with their alpha made opaque, for textures without alpha.
template <typename L>
ORBELUNE_SHADE void MakeOpaque(typename L::I& low, typename L::I& high) {
  SplitPixels<L>(L::Or(L::Pack16(low, high), L::Set32(int(0xFF000000u))), low, high);
}

// What the stage reads as its texture where none is bound: opaque black.
template <typename L>
ORBELUNE_SHADE void OpaqueBlack(typename L::I& low, typename L::I& high) {
  SplitPixels<L>(L::Set32(int(0xFF000000u)), low, high);
}

// ---- Depth ----

template <typename L>
ORBELUNE_SHADE typename L::I DepthToUnorm16(typename L::F z) {
  z = L::Min(L::Max(z, L::ZeroFloats()), L::Set(1.0f));
  return L::Truncate(L::Add(L::Multiply(z, L::Set(65535.0f)), L::Set(0.5f)));
}

// A comparison as the outcomes it accepts, each all ones or all zeros in every lane.
template <typename L>
struct DepthOutcomes {
  typename L::I less, equal, greater;
  bool notGreater;  // accepts exactly less and equal, the usual test: one comparison
};

template <typename L>
DepthOutcomes<L> DepthOutcomesOf(const PixelPipeline& pipeline) {
  auto mask = [](bool accepted) { return L::Set32(accepted ? -1 : 0); };
  return {mask(pipeline.depthAcceptsLess), mask(pipeline.depthAcceptsEqual), mask(pipeline.depthAcceptsGreater),
          pipeline.depthAcceptsLess && pipeline.depthAcceptsEqual && !pipeline.depthAcceptsGreater};
}

// The lanes whose incoming depth passes against the stored one, as all-ones lanes.
template <typename L>
ORBELUNE_SHADE typename L::I DepthPassMask(const DepthOutcomes<L>& accepted, typename L::I incoming,
                                           typename L::I stored, bool notGreater) {
  const typename L::I greater = L::Greater32(incoming, stored);
  if (notGreater) return L::Xor(greater, L::Set32(-1));
  const typename L::I less = L::Greater32(stored, incoming), equal = L::Equal32(incoming, stored);
  return L::Or(L::Or(L::And(accepted.less, less), L::And(accepted.equal, equal)), L::And(accepted.greater, greater));
}

// ---- What a draw's shader takes from its state once ----

template <typename L>
struct DrawConstants {
  Axis<L> axisU, axisV;
  bool linear;
  const uint32_t* texels;
  __m128i rowShift;  // log2 of the pitch in texels
  bool opaqueTexels;
  typename L::I targetAlphaMask;
  DepthOutcomes<L> depth;
};

template <typename L>
void FillDrawConstants(const PixelPipeline& pipeline, DrawConstants<L>& k) {
  if (pipeline.readsTexture) {
    const TextureLevel& level = pipeline.sampler.texture->levels[0];
    k.axisU = MakeAxis<L>(level.width, pipeline.sampler.state.addressU);
    k.axisV = MakeAxis<L>(level.height, pipeline.sampler.state.addressV);
    k.linear = pipeline.sampler.state.minFilter == Filter::Linear;
    k.texels = level.texels;
    k.rowShift = _mm_cvtsi32_si128(pipeline.textureRowShift);
  } else {
    k.axisU = k.axisV = MakeAxis<L>(1, Address::Wrap);
    k.linear = false;
    k.texels = nullptr;
    k.rowShift = _mm_setzero_si128();
  }
  k.opaqueTexels = pipeline.sampler.texture != nullptr && pipeline.sampler.texture->alphaIsOpaque;
  k.targetAlphaMask = L::Set32(pipeline.color.alphaIsOpaque ? int(0xFF000000u) : 0);
  k.depth = DepthOutcomesOf<L>(pipeline);
}

// The pixels to write: the source, in halves, blended over `destination` where blending is on;
// alpha forced opaque where the target keeps none (k.targetAlphaMask, read at each use: a
// register held for it costs the loops more than an operand read from memory).
template <BlendPlan kBlend, typename L>
ORBELUNE_SHADE typename L::I BlendPixels(const BlendState& blend, const DrawConstants<L>& k, typename L::I sourceLow,
                                         typename L::I sourceHigh, typename L::I destination) {
  typename L::I result;
  if constexpr (kBlend == BlendPlan::Off) {
    result = L::Pack16(sourceLow, sourceHigh);
  } else {
    if constexpr (kBlend == BlendPlan::SourceAlphaOver) {
      // Fully opaque sources replace the destination exactly, (s * 255 + 127) / 255 = s, and
      // fully transparent ones leave it as it was, (d * 255 + 127) / 255 = d.
      constexpr unsigned kAlphaBytes = L::kAlphaWordBytes;
      const typename L::I bothOpaque = L::Equal16(L::And(sourceLow, sourceHigh), Words<L, 255>());
      if ((L::ByteBits(bothOpaque) & kAlphaBytes) == kAlphaBytes) {
        return L::Or(L::Pack16(sourceLow, sourceHigh), k.targetAlphaMask);
      }
      const typename L::I bothClear = L::Equal16(L::Or(sourceLow, sourceHigh), L::Zero());
      if ((L::ByteBits(bothClear) & kAlphaBytes) == kAlphaBytes) return L::Or(destination, k.targetAlphaMask);
    }
    const typename L::I readDestination = L::Or(destination, k.targetAlphaMask);
    result = L::Pack16(Blend16<kBlend, L>(blend, sourceLow, L::Low16(readDestination)),
                       Blend16<kBlend, L>(blend, sourceHigh, L::High16(readDestination)));
  }
  return L::Or(result, k.targetAlphaMask);
}

// Where a sample's texels lie after addressing: columns x0 and x1, and the offsets of rows row0
// and row1 in texels; the second ones (the linear filter's) only where they are asked for.
template <typename L>
struct AddressedTexels {
  typename L::I x0, x1, row0, row1;
};

template <AddressPlan kAddress, typename L>
ORBELUNE_SHADE void AddressFirstTexels(const DrawConstants<L>& k, typename L::I indexU, typename L::I indexV,
                                       AddressedTexels<L>& at) {
  at.x0 = AddressOf<kAddress>(indexU, k.axisU);
  at.row0 = L::ShiftLeft32(AddressOf<kAddress>(indexV, k.axisV), k.rowShift);
}

template <AddressPlan kAddress, typename L>
ORBELUNE_SHADE void AddressSecondTexels(const DrawConstants<L>& k, typename L::I indexU, typename L::I indexV,
                                        AddressedTexels<L>& at) {
  const typename L::I one = L::Set32(1);
  at.x1 = AddressOf<kAddress>(L::Add32(indexU, one), k.axisU);
  at.row1 = L::ShiftLeft32(AddressOf<kAddress>(L::Add32(indexV, one), k.axisV), k.rowShift);
}

}  // namespace refdevice::lanes

#undef ORBELUNE_SHADE
