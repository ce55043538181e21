#include "gfxsupport/textures/pixel_conversion.h"

#include <cstring>
#include <new>

#include "gfxsupport/textures/conversion_pass.h"

namespace gfx::textures {

HRESULT ParseFilter(DWORD filter, FilterOptions* options) {
  const DWORD code = filter & 0xFFFF;
  if (code == 0 || code > FilterBox || filter >= 0x800000) return D3DERR_INVALIDCALL;
  options->code = code;
  options->mirrorU = (filter & FilterMirrorU) != 0;
  options->mirrorV = (filter & FilterMirrorV) != 0;
  options->mirrorW = (filter & FilterMirrorW) != 0;
  options->dither = (filter & FilterDitherDiffusion) ? DitherMode::Diffusion
                    : (filter & FilterDither)        ? DitherMode::Ordered
                                                     : DitherMode::None;
  // Both set means the data stays in sRGB throughout: no conversion either way.
  const bool bothSrgb = (filter & kFilterSrgb) == kFilterSrgb;
  options->srgbIn = !bothSrgb && (filter & FilterSrgbIn) != 0;
  options->srgbOut = !bothSrgb && (filter & FilterSrgbOut) != 0;
  return S_OK;
}

namespace {

bool SamePalette(const PixelBlockShape& a, const PixelBlockShape& b) {
  const PixelFormatDescriptor* descriptor = FindPixelFormat(a.format);
  if (descriptor == nullptr || descriptor->layout != PixelLayout::PaletteIndex) return true;
  if (a.palette == b.palette) return true;
  if (a.palette == nullptr || b.palette == nullptr) return false;
  return std::memcmp(a.palette, b.palette, 256 * sizeof(ImagePaletteEntry)) == 0;
}

bool SameSize(const PixelBlockShape& a, const PixelBlockShape& b) {
  return a.width == b.width && a.height == b.height && a.depth == b.depth;
}

void RunStrategy(const ConversionPass& pass, D3DCOLOR colourKey) {
  const SourceBlock& source = pass.source;
  const DestinationBlock& destination = pass.destination;
  const FilterOptions& options = pass.options;
  if (source.format == destination.format && colourKey == 0 && options.srgbIn == options.srgbOut &&
      SamePalette(source, destination) && SameSize(source, destination)) {
    CopyRows(pass);
  } else if (SameSize(source, destination)) {
    ConvertSameSize(pass);
  } else if (options.code == FilterNone) {
    ConvertOverlap(pass);
  } else if (options.code == FilterPoint) {
    ResamplePoint(pass);
  } else if (options.code == FilterBox && IsHalving(pass)) {
    ResampleBoxHalf(pass);
  } else if (options.code == FilterLinear && source.depth == 1 && destination.depth == 1) {
    ResampleBilinear(pass);
  } else if (options.code == FilterLinear) {
    ResampleTrilinear(pass);
  } else {
    ResampleGeneral(pass);
  }
}

}  // namespace

HRESULT ConvertPixelBlock(const DestinationBlock& destination, const SourceBlock& source, DWORD filter,
                          D3DCOLOR colourKey) {
  if (filter == kFilterDefault) filter = kDefaultImageFilter;
  FilterOptions options;
  HRESULT result = ParseFilter(filter, &options);
  if (FAILED(result)) return result;
  if (source.data == nullptr || destination.data == nullptr) return D3DERR_INVALIDCALL;
  if (source.width == 0 || source.height == 0 || source.depth == 0 || destination.width == 0 ||
      destination.height == 0 || destination.depth == 0)
    return D3DERR_INVALIDCALL;

  // A palette destination without a palette of its own keeps the source's.
  DestinationBlock target = destination;
  if (target.palette == nullptr) target.palette = source.palette;

  try {
    PixelCodec reader, writer;
    result = reader.Init(source.format, source.palette);
    if (FAILED(result)) return result;
    result = writer.Init(target.format, target.palette);
    if (FAILED(result)) return result;
    reader.SetColourKey(colourKey);
    reader.SetSrgb(options.srgbIn);
    writer.SetSrgb(options.srgbOut);
    writer.SetDither(options.dither);
    const ConversionPass pass{source, target, reader, writer, options};
    RunStrategy(pass, colourKey);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace gfx::textures
