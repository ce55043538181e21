#include "gfxsupport/meshes/mesh_adjacency.h"

#include <cstring>
#include <unordered_map>

namespace gfx::meshes {

namespace {

struct PositionKey {
  uint32_t bits[3];
  bool operator==(const PositionKey& other) const { return std::memcmp(bits, other.bits, sizeof bits) == 0; }
};

struct PositionHash {
  size_t operator()(const PositionKey& key) const {
    uint64_t h = 1469598103934665603ull;
    for (uint32_t b : key.bits) h = (h ^ b) * 1099511628211ull;
    return size_t(h);
  }
};

}  // namespace

std::vector<DWORD> ComputeAdjacency(const BuiltMesh& mesh) {
  const size_t triangles = mesh.TriangleCount();
  std::vector<DWORD> adjacency(triangles * 3, kNoNeighbourFace);

  // Vertices at the same position share one position id.
  std::vector<uint32_t> positionId(mesh.vertices.size());
  std::unordered_map<PositionKey, uint32_t, PositionHash> ids;
  ids.reserve(mesh.vertices.size());
  for (size_t v = 0; v < mesh.vertices.size(); ++v) {
    PositionKey key;
    std::memcpy(key.bits, mesh.vertices[v].position, sizeof key.bits);
    positionId[v] = ids.emplace(key, uint32_t(ids.size())).first->second;
  }

  // The first edge seen between two positions waits for its partner.
  std::unordered_map<uint64_t, size_t> waiting;
  waiting.reserve(triangles * 3 / 2 + 1);
  for (size_t t = 0; t < triangles; ++t) {
    for (int edge = 0; edge < 3; ++edge) {
      uint32_t a = positionId[mesh.indices[t * 3 + edge]];
      uint32_t b = positionId[mesh.indices[t * 3 + (edge + 1) % 3]];
      if (a == b) continue;
      uint64_t key = a < b ? uint64_t(a) << 32 | b : uint64_t(b) << 32 | a;
      auto [slot, inserted] = waiting.emplace(key, t * 3 + edge);
      if (inserted) continue;
      size_t other = slot->second;
      if (other / 3 == t) continue;
      adjacency[t * 3 + edge] = DWORD(other / 3);
      adjacency[other] = DWORD(t);
      waiting.erase(slot);
    }
  }
  return adjacency;
}

}  // namespace gfx::meshes
