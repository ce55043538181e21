// Screen tiles and triangle bins. Triangles are set up in chunks; each chunk sorts its
// triangles into per-tile lists that keep their draw order. A tile is drawn by reading the
// chunks' lists in chunk order, so every pixel sees its triangles in the order drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "setup.h"

namespace refdevice {

struct TileGrid {
  int columns = 0;
  int rows = 0;

  static TileGrid Covering(int width, int height);
  int Count() const { return columns * rows; }
  ScissorRect Rect(int tile) const;  // the tile's pixels, bounds inclusive
};

// An allocator whose elements come into being uninitialised when a vector grows: setup writes
// every field of each record it keeps in place, and clearing them first would cost as much.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  template <typename U>
  void construct(U* place) noexcept {
    ::new (static_cast<void*>(place)) U;
  }
  template <typename U, typename... Arguments>
  void construct(U* place, Arguments&&... arguments) {
    ::new (static_cast<void*>(place)) U(std::forward<Arguments>(arguments)...);
  }
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
