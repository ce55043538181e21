// Bilinear resampling from 32-bit ARGB to 32-bit ARGB, the case of every texture the scene
// makes. The arithmetic is the general path's, operation for operation: each byte read as
// channel / 255, rows resampled across, then pairs of rows blended and written. Only the
// bookkeeping differs: rows are kept as FloatBgra, in the order of the bytes, so that no
// channel is ever moved, and the colour key is compared on the stored bits (the same test,
// as every 8-bit channel reads as its own float).
#include <utility>
#include <vector>

#include "gfxsupport/textures/conversion_pass.h"

namespace gfx::textures {

namespace {

// Source rows of the block, read and resampled across, two kept at a time: each destination
// row needs two neighbouring source rows, and the next destination row usually reuses one.
class AcrossBgraRows {
 public:
  AcrossBgraRows(const ConversionPass& pass, const std::vector<BilinearTaps>& columns)
      : pass_(pass),
        columns_(columns),
        opaque_(pass.source.format == D3DFMT_X8R8G8B8),
        key_(SourceKeyBits(pass)),
        sourceRow_(pass.source.width) {
    for (auto& row : rows_) row.resize(columns.size());
  }

  // Both rows, valid until the next call.
  std::pair<const FloatBgra*, const FloatBgra*> Get(uint32_t first, uint32_t second) {
    const FloatBgra* a = Fetch(first, second);
    const FloatBgra* b = Fetch(second, first);
    return {a, b};
  }

 private:
  const FloatBgra* Fetch(uint32_t wanted, uint32_t keep) {
    for (int slot = 0; slot < 2; ++slot) {
      if (held_[slot] == wanted) return rows_[slot].data();
    }
    const int slot = held_[0] == keep ? 1 : 0;
    ReadBgraRow(pass_.SourceRow(0, wanted), pass_.source.width, opaque_, key_, sourceRow_.data());
    ResampleQuadsAcross(&sourceRow_[0].b, columns_.data(), columns_.size(), &rows_[slot][0].b);
    held_[slot] = wanted;
    return rows_[slot].data();
  }

  const ConversionPass& pass_;
  const std::vector<BilinearTaps>& columns_;
  bool opaque_;
  Argb32Key key_;
  std::vector<FloatBgra> sourceRow_;
  std::vector<FloatBgra> rows_[2];
  int64_t held_[2] = {-1, -1};
};

}  // namespace

bool ResamplesArgb32Directly(const ConversionPass& pass) {
  return Argb32ToArgb32(pass) && pass.source.depth == 1 && pass.destination.depth == 1;
}

void ResampleBilinearArgb32(const ConversionPass& pass) {
  const auto columns = MakeBilinearTaps(pass.source.width, pass.destination.width, pass.options.mirrorU);
  const auto rows = MakeBilinearTaps(pass.source.height, pass.destination.height, pass.options.mirrorV);
  AcrossBgraRows across(pass, columns);
  const bool opaque = pass.destination.format == D3DFMT_X8R8G8B8;
  const bool ordered = pass.writer.Dither() == DitherMode::Ordered;
  for (uint32_t y = 0; y < pass.destination.height; ++y) {
    const BilinearTaps& tap = rows[y];
    auto [top, bottom] = across.Get(tap.first, tap.second);
    BlendBgraToArgb32Row(top, tap.firstWeight, bottom, tap.secondWeight, pass.destination.width,
                         pass.DestinationRow(0, y), opaque,
                         ordered ? kOrderedDither[(pass.destination.y + y) & 3] : nullptr, pass.destination.x);
  }
}

}  // namespace gfx::textures
