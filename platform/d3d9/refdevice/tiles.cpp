// Implements: the tile grid and the binning of a chunk's triangles by their bounds.
// Leaves out: finer binning by edges (a tile may receive a triangle that misses it).
#include "tiles.h"

#include "tuning.h"

namespace refdevice {

TileGrid TileGrid::Covering(int width, int height) {
  TileGrid grid;
  grid.columns = (width + tuning::kTileSize - 1) >> tuning::kTileSizeLog2;
  grid.rows = (height + tuning::kTileSize - 1) >> tuning::kTileSizeLog2;
  return grid;
}

ScissorRect TileGrid::Rect(int tile) const {
  int column = tile % columns, row = tile / columns;
  int left = column << tuning::kTileSizeLog2, top = row << tuning::kTileSizeLog2;
  return {left, top, left + tuning::kTileSize - 1, top + tuning::kTileSize - 1};
}

void TriangleChunk::Bin(const TileGrid& grid) {
  tileStart.assign(static_cast<size_t>(grid.Count()) + 1, 0);
  auto forEachTile = [&](const SetupTriangle& triangle, auto&& visit) {
    int firstColumn = triangle.minX >> tuning::kTileSizeLog2;
    int lastColumn = triangle.maxX >> tuning::kTileSizeLog2;
    int firstRow = triangle.minY >> tuning::kTileSizeLog2;
    int lastRow = triangle.maxY >> tuning::kTileSizeLog2;
    for (int row = firstRow; row <= lastRow; ++row) {
      for (int column = firstColumn; column <= lastColumn; ++column) visit(row * grid.columns + column);
    }
  };
  for (const SetupTriangle& triangle : triangles) {
    forEachTile(triangle, [&](int tile) { ++tileStart[tile + 1]; });
  }
  for (size_t tile = 1; tile < tileStart.size(); ++tile) tileStart[tile] += tileStart[tile - 1];
  tileEntries.resize(tileStart.back());
  std::vector<uint32_t> fill(tileStart.begin(), tileStart.end() - 1);
  for (uint32_t index = 0; index < triangles.size(); ++index) {
    forEachTile(triangles[index], [&](int tile) { tileEntries[fill[tile]++] = index; });
  }
}

}  // namespace refdevice
