#include "disc_tiles.h"

#include <algorithm>
#include <map>
#include <utility>

#include "disc_point_index.h"

namespace {

double LongestSide(const hyperbolic::Tile& tile) {
  double longest = 0;
  for (size_t k = 0; k < tile.vertices.size(); ++k) {
    longest = std::max(longest, std::abs(tile.vertices[k] - tile.vertices[(k + 1) % tile.vertices.size()]));
  }
  return longest;
}

}  // namespace

DiscTiles CollectDiscTiles(const hyperbolic::VertexCentredTiling& tiling, double smallestSide) {
  std::vector<hyperbolic::Tile> tiles =
      tiling.Tiles([smallestSide](const hyperbolic::Tile& tile) { return LongestSide(tile) >= smallestSide; }, 1000000);
  DiscTiles collected;
  hyperbolic::DiscPointIndex vertexIds;
  std::map<std::pair<uint32_t, uint32_t>, uint32_t> edgeIds;
  for (hyperbolic::Tile& tile : tiles) {
    DiscTile disc;
    disc.mirrored = tile.odd();
    for (size_t k = 0; k < 3; ++k) {
      size_t id = vertexIds.FindOrAdd(tile.vertices[k]);
      if (id == collected.vertices.size()) collected.vertices.push_back(tile.vertices[k]);
      disc.corners[k] = static_cast<uint32_t>(id);
    }
    for (size_t k = 0; k < 3; ++k) {
      uint32_t from = disc.corners[k];
      uint32_t to = disc.corners[(k + 1) % 3];
      auto known = edgeIds.emplace(std::pair{std::min(from, to), std::max(from, to)}, uint32_t(edgeIds.size()));
      disc.edges[k] = known.first->second;
    }
    disc.word = std::move(tile.word);
    collected.tiles.push_back(std::move(disc));
  }
  collected.edgeCount = edgeIds.size();
  return collected;
}
