// Implements: the tile grid and the binning of a chunk's triangles by their bounds.
// Leaves out: finer binning by edges (a tile may receive a triangle that misses it).
// On the map of docs/reference-device.md: the tiles, chunks and bins between setup and raster.
#include "tiles.h"

#include "common/assertion.h"
#include "tuning.h"

namespace refdevice {

TileGrid TileGrid::Covering(int width, int height) {
  TileGrid grid;
  grid.columns = (width + tuning::kTileSize - 1) >> tuning::kTileSizeLog2;
  grid.rows = (height + tuning::kTileSize - 1) >> tuning::kTileSizeLog2;
  return grid;
}

ScissorRect TileGrid::Rect(int tile) const {
  ORBELUNE_ASSERT(tile >= 0 && tile < Count());
  int column = tile % columns, row = tile / columns;
  int left = column << tuning::kTileSizeLog2, top = row << tuning::kTileSizeLog2;
  return {left, top, left + tuning::kTileSize - 1, top + tuning::kTileSize - 1};
}

void TriangleChunk::Clear() {
  triangles.clear();
  extras.clear();
  extrasOwners.clear();
}

void TriangleChunk::Add(const SetupTriangle& triangle) {
  if (triangle.extras != nullptr) {
    extras.push_back(*triangle.extras);
    extrasOwners.push_back(static_cast<uint32_t>(triangles.size()));
  }
  triangles.push_back(triangle);
}

void TriangleChunk::LinkExtras() {
  for (size_t i = 0; i < extras.size(); ++i) triangles[extrasOwners[i]].extras = &extras[i];
}

void TriangleChunk::Bin(const TileGrid& grid) {
  tileStart.assign(static_cast<size_t>(grid.Count()) + 1, 0);
  // Most triangles of a dense mesh lie in one tile: that tile, found once, or -1 for the others.
  onlyTile.resize(triangles.size());
  auto forEachTile = [&](const SetupTriangle& triangle, auto&& visit) {
    int firstColumn = triangle.minX >> tuning::kTileSizeLog2;
    int lastColumn = triangle.maxX >> tuning::kTileSizeLog2;
    int firstRow = triangle.minY >> tuning::kTileSizeLog2;
    int lastRow = triangle.maxY >> tuning::kTileSizeLog2;
    // Setup keeps a triangle's bounds within the target, which the grid covers.
    ORBELUNE_ASSERT(firstColumn >= 0 && firstRow >= 0 && lastColumn < grid.columns && lastRow < grid.rows);
    for (int row = firstRow; row <= lastRow; ++row) {
      for (int column = firstColumn; column <= lastColumn; ++column) visit(row * grid.columns + column);
    }
  };
  for (size_t index = 0; index < triangles.size(); ++index) {
    const SetupTriangle& triangle = triangles[index];
    const int column = triangle.minX >> tuning::kTileSizeLog2, row = triangle.minY >> tuning::kTileSizeLog2;
    const bool single =
        column == (triangle.maxX >> tuning::kTileSizeLog2) && row == (triangle.maxY >> tuning::kTileSizeLog2);
    onlyTile[index] = single ? row * grid.columns + column : -1;
    if (single) {
      ++tileStart[onlyTile[index] + 1];
    } else {
      forEachTile(triangle, [&](int tile) { ++tileStart[tile + 1]; });
    }
  }
  for (size_t tile = 1; tile < tileStart.size(); ++tile) tileStart[tile] += tileStart[tile - 1];
  tileEntries.resize(tileStart.back());
  fill.assign(tileStart.begin(), tileStart.end() - 1);
  for (uint32_t index = 0; index < triangles.size(); ++index) {
    if (onlyTile[index] >= 0) {
      tileEntries[fill[onlyTile[index]]++] = index;
    } else {
      forEachTile(triangles[index], [&](int tile) { tileEntries[fill[tile]++] = index; });
    }
  }
}

}  // namespace refdevice
