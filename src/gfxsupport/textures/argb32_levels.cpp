// The source rows are walked once, top to bottom. Each block keeps the across-resampled rows
// it needs in two slots (the current source row and the one before it) and writes each of its
// destination rows as soon as both of that row's taps have been seen. Taps are neighbours, so
// two slots suffice, except where an edge wraps: the first (or last) destination row then
// blends the last source row with the first, and the first is kept in a slot of its own until
// the end. The arithmetic is that of the 32-bit ARGB bilinear path (argb32_bilinear.cpp).
#include "gfxsupport/textures/argb32_levels.h"

#include <algorithm>
#include <new>

#include "gfxsupport/textures/conversion_pass.h"

namespace gfx::textures {

namespace {

struct LevelInProgress {
  const DestinationBlock* block;
  std::vector<BilinearTaps> columns, rows;
  NeighbourTaps neighbourColumns;
  std::vector<bool> needsSourceRow;
  // Destination rows in the order they become ready: by the later of their two taps.
  std::vector<uint32_t> order;
  size_t written = 0;
  std::vector<FloatBgra> slots[2];  // source rows y and y - 1, by parity
  std::vector<FloatBgra> firstRow;  // source row 0, when a wrapped row needs it at the end
};

uint32_t ReadyAt(const BilinearTaps& tap) { return std::max(tap.first, tap.second); }

// False when some destination row's taps are neither neighbours nor paired with row 0, which
// the two slots and the first row cannot serve (the taps never make such a pair).
bool PlanLevel(const SourceBlock& source, const DestinationBlock& block, const FilterOptions& options,
               LevelInProgress* level) {
  level->block = &block;
  level->columns = MakeBilinearTaps(source.width, block.width, options.mirrorU);
  level->neighbourColumns = FindNeighbourTaps(level->columns);
  level->rows = MakeBilinearTaps(source.height, block.height, options.mirrorV);
  level->needsSourceRow.assign(source.height, false);
  bool keepsFirstRow = false;
  for (const BilinearTaps& tap : level->rows) {
    const uint32_t low = std::min(tap.first, tap.second), high = ReadyAt(tap);
    if (high - low > 1 && low != 0) return false;
    keepsFirstRow = keepsFirstRow || high - low > 1;
    level->needsSourceRow[tap.first] = level->needsSourceRow[tap.second] = true;
  }
  level->order.resize(block.height);
  for (uint32_t y = 0; y < block.height; ++y) level->order[y] = y;
  std::stable_sort(level->order.begin(), level->order.end(),
                   [&](uint32_t a, uint32_t b) { return ReadyAt(level->rows[a]) < ReadyAt(level->rows[b]); });
  for (auto& slot : level->slots) slot.resize(block.width);
  if (keepsFirstRow) level->firstRow.resize(block.width);
  return true;
}

// The across-resampled source row `wanted`, when source row `current` has just been taken in.
const FloatBgra* HeldRow(const LevelInProgress& level, uint32_t wanted, uint32_t current) {
  if (wanted == current || wanted + 1 == current) return level.slots[wanted & 1].data();
  return level.firstRow.data();
}

void WriteReadyRows(LevelInProgress& level, uint32_t current, DitherMode dither) {
  const DestinationBlock& block = *level.block;
  const bool opaque = block.format == D3DFMT_X8R8G8B8;
  while (level.written < level.order.size() && ReadyAt(level.rows[level.order[level.written]]) == current) {
    const uint32_t y = level.order[level.written++];
    const BilinearTaps& tap = level.rows[y];
    const float* ditherRow = dither == DitherMode::Ordered ? kOrderedDither[(block.y + y) & 3] : nullptr;
    BlendBgraToArgb32Row(HeldRow(level, tap.first, current), tap.firstWeight, HeldRow(level, tap.second, current),
                         tap.secondWeight, block.width, block.data + y * block.rowPitch, opaque, ditherRow, block.x);
  }
}

Argb32Key KeyReadBack(D3DFORMAT format, D3DCOLOR colourKey) {
  PixelCodec reader;
  reader.Init(format, nullptr);
  reader.SetColourKey(colourKey);
  Argb32Key key;
  key.active = reader.HasColourKey();
  key.bits = reader.KeyBits();
  key.mask = reader.KeyBitsMask();
  return key;
}

}  // namespace

bool ResamplesAsArgb32Levels(const SourceBlock& source, D3DFORMAT destinationFormat, DWORD filter) {
  FilterOptions options;
  return SUCCEEDED(ParseFilter(filter, &options)) && options.code == FilterLinear && !options.srgbIn &&
         !options.srgbOut && options.dither != DitherMode::Diffusion && IsArgb32(source.format) &&
         IsArgb32(destinationFormat) && source.depth == 1;
}

HRESULT ResampleArgb32Levels(const SourceBlock& source, const std::vector<DestinationBlock>& destinations, DWORD filter,
                             D3DCOLOR colourKey) {
  FilterOptions options;
  if (FAILED(ParseFilter(filter, &options))) return D3DERR_INVALIDCALL;
  if (source.data == nullptr || source.width == 0 || source.height == 0) return D3DERR_INVALIDCALL;
  if (destinations.empty()) return S_OK;
  try {
    std::vector<LevelInProgress> levels(destinations.size());
    for (size_t i = 0; i < destinations.size(); ++i) {
      const DestinationBlock& block = destinations[i];
      if (!ResamplesAsArgb32Levels(source, block.format, filter) || block.data == nullptr || block.width == 0 ||
          block.height == 0 || block.depth != 1 || (block.width == source.width && block.height == source.height) ||
          !PlanLevel(source, block, options, &levels[i]))
        return D3DERR_INVALIDCALL;
    }
    const Argb32Key key = KeyReadBack(source.format, colourKey);
    const bool opaque = source.format == D3DFMT_X8R8G8B8;
    std::vector<FloatBgra> sourceRow(source.width);
    for (uint32_t y = 0; y < source.height; ++y) {
      bool read = false;
      for (LevelInProgress& level : levels) {
        if (!level.needsSourceRow[y]) continue;
        if (!read) {
          ReadBgraRow(source.data + y * source.rowPitch, source.width, opaque, key, sourceRow.data());
          read = true;
        }
        std::vector<FloatBgra>& slot = level.slots[y & 1];
        ResampleQuadsAcross(&sourceRow[0].b, level.columns, level.neighbourColumns, &slot[0].b);
        if (y == 0 && !level.firstRow.empty()) level.firstRow = slot;
      }
      for (LevelInProgress& level : levels) WriteReadyRows(level, y, options.dither);
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace gfx::textures
