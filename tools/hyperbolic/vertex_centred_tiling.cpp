#include "vertex_centred_tiling.h"

#include <utility>

namespace hyperbolic {

std::optional<VertexCentredTiling> VertexCentredTiling::Create(int sides, int tilesAtVertex, double rotation) {
  std::optional<Tiling> tileCentred = Tiling::Create(sides, tilesAtVertex);
  if (!tileCentred) return std::nullopt;
  Point centre = tileCentred->vertices()[0];
  // Where vertex 1 lands without a turn decides the turn that puts it at `rotation`.
  Point unturned = DiscIsometry::TakingToOrigin(centre).Apply(tileCentred->vertices()[1]);
  DiscIsometry move = DiscIsometry::TakingToOrigin(centre, rotation - std::arg(unturned));
  return VertexCentredTiling(std::move(*tileCentred), move);
}

VertexCentredTiling::VertexCentredTiling(Tiling tileCentred, DiscIsometry move)
    : tileCentred_(std::move(tileCentred)), move_(move) {
  for (const Point& vertex : tileCentred_.vertices()) vertices_.push_back(move_.Apply(vertex));
  vertices_[0] = 0;  // exactly, not within rounding
}

Point VertexCentredTiling::Apply(const std::vector<int>& word, Point z) const {
  return move_.Apply(tileCentred_.Apply(word, move_.Undo(z)));
}

FoldResult VertexCentredTiling::Fold(Point z, int maxReflections) const {
  FoldResult folded = tileCentred_.Fold(move_.Undo(z), maxReflections);
  folded.point = move_.Apply(folded.point);
  return folded;
}

Tile VertexCentredTiling::Moved(Tile tile) const {
  tile.centre = move_.Apply(tile.centre);
  for (Point& vertex : tile.vertices) vertex = move_.Apply(vertex);
  return tile;
}

std::vector<Tile> VertexCentredTiling::Tiles(const std::function<bool(const Tile&)>& keep, size_t maxTiles) const {
  std::vector<Tile> tiles = tileCentred_.Tiles([&](const Tile& tile) { return keep(Moved(tile)); }, maxTiles);
  for (Tile& tile : tiles) tile = Moved(std::move(tile));
  return tiles;
}

}  // namespace hyperbolic
