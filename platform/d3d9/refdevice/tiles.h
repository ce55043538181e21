// Screen tiles and triangle bins. Triangles are set up in chunks; each chunk sorts its
// triangles into per-tile lists that keep their draw order. A tile is drawn by reading the
// chunks' lists in chunk order, so every pixel sees its triangles in the order drawn.
#pragma once

#include <cstdint>
#include <vector>

#include "setup.h"
#include "uninitialised_allocator.h"

namespace refdevice {

struct TileGrid {
  int columns = 0;
  int rows = 0;

  static TileGrid Covering(int width, int height);
  int Count() const { return columns * rows; }
  ScissorRect Rect(int tile) const;  // the tile's pixels, bounds inclusive
};

struct TriangleChunk {
  std::vector<SetupTriangle, UninitialisedAllocator<SetupTriangle>> triangles;
  // The extras of the records that have them, and which records those are.
  std::vector<TriangleExtras> extras;
  std::vector<uint32_t> extrasOwners;
  std::vector<uint32_t> tileStart;    // Count() + 1 offsets into tileEntries
  std::vector<uint32_t> tileEntries;  // triangle indices, tile by tile, in draw order
  // Binning's working space, kept from draw to draw.
  std::vector<int32_t> onlyTile;
  std::vector<uint32_t> fill;

  void Clear();
  // Appends a record, copying its extras, if any, into the chunk.
  void Add(const SetupTriangle& triangle);
  // Points the records that have extras at the chunk's copies, once every record is in.
  void LinkExtras();

  // Sorts `triangles` into the tiles their bounds touch.
  void Bin(const TileGrid& grid);
};

}  // namespace refdevice
