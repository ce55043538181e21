// Implements: the blend of blend.h, one channel at a time. Leaves out: what blend.h lists.
#include "blend.h"

#include "color.h"

namespace refdevice {

namespace {

uint32_t Factor(BlendFactor factor, int channel, const Channels& sourceChannels, const Channels& destinationChannels) {
  switch (factor) {
    case BlendFactor::Zero:
      return 0;
    case BlendFactor::One:
      return 255;
    case BlendFactor::SourceColor:
      return sourceChannels[channel];
    case BlendFactor::InverseSourceColor:
      return 255 - sourceChannels[channel];
    case BlendFactor::SourceAlpha:
      return sourceChannels[kAlphaChannel];
    case BlendFactor::InverseSourceAlpha:
      return 255 - sourceChannels[kAlphaChannel];
    case BlendFactor::DestinationAlpha:
      return destinationChannels[kAlphaChannel];
    case BlendFactor::InverseDestinationAlpha:
      return 255 - destinationChannels[kAlphaChannel];
    case BlendFactor::DestinationColor:
      return destinationChannels[channel];
    case BlendFactor::InverseDestinationColor:
      return 255 - destinationChannels[channel];
  }
  return 0;
}

}  // namespace

uint32_t Blend(const BlendState& state, uint32_t source, uint32_t destination) {
  Channels s = Unpack(source), d = Unpack(destination);
  uint32_t result = 0;
  for (int channel = 0; channel < 4; ++channel) {
    uint32_t sum =
        s[channel] * Factor(state.source, channel, s, d) + d[channel] * Factor(state.destination, channel, s, d);
    result |= Saturate255(DivideBy255(sum)) << (8 * channel);
  }
  return result;
}

}  // namespace refdevice
