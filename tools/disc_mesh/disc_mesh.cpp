#include "disc_mesh.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>

#include "disc_tiles.h"
#include "edge_splitting.h"
#include "tile_filling.h"

namespace {

constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

class DiscMeshBuilder {
 public:
  explicit DiscMeshBuilder(const DiscMeshShape& shape)
      : shape_(shape),
        map_(DiscTiling()),
        tiles_(CollectDiscTiles(DiscTiling(), shape.smallestSide)),
        cornerVertices_(tiles_.vertices.size(), kNone),
        edgeSplits_(tiles_.edgeCount, 0),
        edgeVertices_(tiles_.edgeCount) {}

  DiscMesh Build() {
    for (const DiscTile& tile : tiles_.tiles) AddTile(tile);
    return std::move(mesh_);
  }

 private:
  void AddTile(const DiscTile& tile) {
    std::array<int, 3> splits{};
    for (int edge = 0; edge < 3; ++edge) splits[edge] = SplitsOf(tile, edge);
    auto filling = fillings_.find(splits);
    if (filling == fillings_.end()) filling = fillings_.emplace(splits, FillTile(splits)).first;

    std::vector<uint32_t> vertexOf;
    for (const FillPoint& point : filling->second.points) vertexOf.push_back(VertexFor(tile, point));
    for (const std::array<int, 3>& triangle : filling->second.triangles) {
      std::array<uint32_t, 3> corners = {vertexOf[triangle[0]], vertexOf[triangle[1]], vertexOf[triangle[2]]};
      // The filling turns counter-clockwise in an unmirrored tile; the saver's camera wants
      // clockwise, which a mirrored tile already is.
      if (!tile.mirrored) std::swap(corners[1], corners[2]);
      mesh_.triangles.push_back(corners);
    }
  }

  // Decided once per edge, by the first tile that meets it; the tile across takes the same.
  int SplitsOf(const DiscTile& tile, int edge) {
    int& splits = edgeSplits_[tile.edges[edge]];
    if (splits == 0) {
      int from = std::min(edge, (edge + 1) % 3);
      int to = std::max(edge, (edge + 1) % 3);
      auto along = [&](double s) {
        Barycentric weights{};
        weights[from] = 1 - s;
        weights[to] = s;
        return weights;
      };
      auto stray = [&](double s0, double s1) { return StrayBetween(tile, along(s0), along(s1)); };
      splits = EdgeSplits(stray, shape_.tolerance, shape_.maxSplits);
      edgeVertices_[tile.edges[edge]].assign(static_cast<size_t>(splits - 1), kNone);
    }
    return splits;
  }

  double StrayBetween(const DiscTile& tile, const Barycentric& a, const Barycentric& b) const {
    std::array<hyperbolic::Point, 3> corners = Corners(tile);
    return map_.Stray(tile.word, KaleidoscopeMap::Place(corners, a), KaleidoscopeMap::Place(corners, b));
  }

  std::array<hyperbolic::Point, 3> Corners(const DiscTile& tile) const {
    return {tiles_.vertices[tile.corners[0]], tiles_.vertices[tile.corners[1]], tiles_.vertices[tile.corners[2]]};
  }

  uint32_t VertexFor(const DiscTile& tile, const FillPoint& point) {
    uint32_t* shared = nullptr;
    if (point.place == FillPoint::Place::kCorner) {
      shared = &cornerVertices_[tile.corners[point.index]];
    } else if (point.place == FillPoint::Place::kEdge) {
      shared = &edgeVertices_[tile.edges[point.index]][static_cast<size_t>(point.step - 1)];
    }
    if (shared != nullptr && *shared != kNone) return *shared;
    uint32_t id = static_cast<uint32_t>(mesh_.vertices.size());
    hyperbolic::Point position = KaleidoscopeMap::Place(Corners(tile), point.weights);
    mesh_.vertices.push_back({position, KaleidoscopeMap::Texture(map_.Shown(tile.word, position))});
    if (shared != nullptr) *shared = id;
    return id;
  }

  DiscMeshShape shape_;
  KaleidoscopeMap map_;
  DiscTiles tiles_;
  std::vector<uint32_t> cornerVertices_;                // per tiling vertex
  std::vector<int> edgeSplits_;                         // per tiling edge, 0 until decided
  std::vector<std::vector<uint32_t>> edgeVertices_;     // per tiling edge, its inner points
  std::map<std::array<int, 3>, TileFilling> fillings_;  // by edge splits
  DiscMesh mesh_;
};

}  // namespace

const hyperbolic::VertexCentredTiling& DiscTiling() {
  static const hyperbolic::VertexCentredTiling tiling = *hyperbolic::VertexCentredTiling::Create(3, 8);
  return tiling;
}

DiscMesh BuildDiscMesh(const DiscMeshShape& shape) { return DiscMeshBuilder(shape).Build(); }
