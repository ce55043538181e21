// The disc mesh (raw data 118): a true kaleidoscope of the {3,8} tiling, a conforming
// clockwise triangulation of the disc, and the committed files and program resource that
// carry it.
#include "disc_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "disc_tiles.h"
#include "disc_xfile.h"
#include "gfxsupport/meshes/mesh_loader.h"
#include "kaleidoscope_map.h"
#include "mesh_contents.h"
#include "resource_scrambling.h"
#include "winapi.h"

namespace {

const DiscMesh& GeneratedMesh() {
  static const DiscMesh mesh = BuildDiscMesh();
  return mesh;
}

std::vector<uint8_t> GeneratedFile() {
  std::string text = DiscXFileText(GeneratedMesh());
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DiscMesh, CommittedFilesMatchTheGenerator) {
  std::vector<uint8_t> readable = GeneratedFile();
  EXPECT_TRUE(ReadFileBytes(ORBELUNE_RESOURCES_DIR "/disc.x") == readable)
      << "run the regenerate_disc_mesh target and commit the result";
  EXPECT_TRUE(ReadFileBytes(ORBELUNE_RESOURCES_DIR "/disc.mesh") == ScrambleResource(readable))
      << "run the regenerate_disc_mesh target and commit the result";
}

TEST(DiscMesh, ProgramCarriesTheScrambledFileAsRawData118) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(118), RT_RCDATA);
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
  ASSERT_NE(bytes, nullptr);
  std::vector<uint8_t> carried(bytes, bytes + SizeofResource(nullptr, found));
  EXPECT_TRUE(carried == ReadFileBytes(ORBELUNE_RESOURCES_DIR "/disc.mesh"));
}

hyperbolic::Point KleinFromPoincare(hyperbolic::Point z) { return 2.0 * z / (1.0 + std::norm(z)); }

// What the kaleidoscope shows at a point of the disc, found another way than the generator
// finds it: fold the point into the central tile, then mix the texture triangle's corners by
// the point's weights in the Klein model of the tile centred on the origin.
TexturePoint ExpectedTexture(hyperbolic::Point position) {
  const hyperbolic::VertexCentredTiling& tiling = DiscTiling();
  hyperbolic::FoldResult folded = tiling.Fold(position);
  EXPECT_TRUE(folded.reached) << position;
  hyperbolic::Point klein = KleinFromPoincare(tiling.move().Undo(folded.point));
  std::array<hyperbolic::Point, 3> corners;
  for (size_t k = 0; k < 3; ++k) corners[k] = KleinFromPoincare(tiling.tileCentred().vertices()[k]);
  // Solve klein = corners[0] + w1 (corners[1] - corners[0]) + w2 (corners[2] - corners[0]).
  hyperbolic::Point a = corners[1] - corners[0], b = corners[2] - corners[0], p = klein - corners[0];
  double determinant = a.real() * b.imag() - a.imag() * b.real();
  double w1 = (p.real() * b.imag() - p.imag() * b.real()) / determinant;
  double w2 = (a.real() * p.imag() - a.imag() * p.real()) / determinant;
  double w0 = 1 - w1 - w2;
  return {w0 * kTextureTriangle[0].u + w1 * kTextureTriangle[1].u + w2 * kTextureTriangle[2].u,
          w0 * kTextureTriangle[0].v + w1 * kTextureTriangle[1].v + w2 * kTextureTriangle[2].v};
}

// Every point shows what its mirror image in the central tile shows: tiles are mirror images
// across their shared edges, the labels carry over, and the centre is corner 0 of eight.
TEST(DiscMesh, EveryPointShowsWhatItsFoldIntoTheCentralTileShows) {
  const DiscMesh& mesh = GeneratedMesh();
  ASSERT_FALSE(mesh.vertices.empty());
  EXPECT_EQ(mesh.vertices[0].position, hyperbolic::Point(0, 0));
  for (const DiscMeshVertex& vertex : mesh.vertices) {
    TexturePoint expected = ExpectedTexture(vertex.position);
    ASSERT_NEAR(vertex.texture.u, expected.u, 1e-9) << vertex.position;
    ASSERT_NEAR(vertex.texture.v, expected.v, 1e-9) << vertex.position;
  }
  // The texture triangle is equilateral and lies inside the image.
  for (size_t k = 0; k < 3; ++k) {
    const TexturePoint& a = kTextureTriangle[k];
    const TexturePoint& b = kTextureTriangle[(k + 1) % 3];
    EXPECT_NEAR(std::hypot(a.u - b.u, a.v - b.v), 0.96, 1e-6);
    EXPECT_TRUE(a.u > 0 && a.u < 1 && a.v > 0 && a.v < 1);
  }
}

// Labels: a tiling vertex is corner k of every tile that has it; tiles sharing an edge carry
// it to the same points, which show the same texture points.
TEST(DiscMesh, TilesAgreeOnLabelsAndSharedEdges) {
  DiscTiles tiles = CollectDiscTiles(DiscTiling(), DiscMeshShape().smallestSide);
  KaleidoscopeMap map(DiscTiling());
  std::vector<int> labels(tiles.vertices.size(), -1);
  std::vector<std::vector<std::pair<size_t, int>>> tilesOfEdge(tiles.edgeCount);  // tile, edge index
  for (size_t t = 0; t < tiles.tiles.size(); ++t) {
    const DiscTile& tile = tiles.tiles[t];
    EXPECT_EQ(tile.mirrored, tile.word.size() % 2 == 1);
    for (int k = 0; k < 3; ++k) {
      int& label = labels[tile.corners[k]];
      if (label < 0) label = k;
      ASSERT_EQ(label, k) << "tile " << t;
      Barycentric corner{};
      corner[k] = 1;
      EXPECT_NEAR(std::abs(map.Carry(tile.word, corner) - tiles.vertices[tile.corners[k]]), 0, 1e-12);
      tilesOfEdge[tile.edges[k]].push_back({t, k});
    }
  }
  size_t shared = 0;
  for (const auto& sharing : tilesOfEdge) {
    ASSERT_LE(sharing.size(), 2u);
    if (sharing.size() < 2) continue;
    ++shared;
    const DiscTile& a = tiles.tiles[sharing[0].first];
    const DiscTile& b = tiles.tiles[sharing[1].first];
    int edge = sharing[0].second;
    ASSERT_EQ(sharing[1].second, edge) << "an edge joins the same two labels in both tiles";
    EXPECT_NE(a.mirrored, b.mirrored) << "neighbours are mirror images";
    for (double t : {0.1, 0.5, 0.8}) {
      Barycentric along{};
      along[edge] = 1 - t;
      along[(edge + 1) % 3] = t;
      hyperbolic::Point fromA = map.Carry(a.word, along);
      hyperbolic::Point fromB = map.Carry(b.word, along);
      EXPECT_NEAR(std::abs(fromA - fromB), 0, 1e-12);
      Barycentric shownA = map.Shown(a.word, fromA);
      Barycentric shownB = map.Shown(b.word, fromA);
      for (size_t k = 0; k < 3; ++k) EXPECT_NEAR(shownA[k], shownB[k], 1e-9);
    }
  }
  EXPECT_GT(shared, tiles.tiles.size());
}

// The central tile's far edge, the largest curve of the disc, is drawn close to its arc: a
// geodesic circle meeting the unit circle at right angles through the central tile's
// vertices 1 and 2.
TEST(DiscMesh, FarEdgeOfTheCentralTileFollowsItsArc) {
  const DiscMesh& mesh = GeneratedMesh();
  const hyperbolic::Point v1 = DiscTiling().vertices()[1];
  const hyperbolic::Point v2 = DiscTiling().vertices()[2];
  // The circle's centre lies on the bisector; 2 Re(centre conj(v1)) = 1 + |v1|^2.
  const hyperbolic::Point direction = (v1 + v2) / std::abs(v1 + v2);
  const double distance = (1 + std::norm(v1)) / (2 * (direction * std::conj(v1)).real());
  const hyperbolic::Point centre = distance * direction;
  const double radius = std::sqrt(distance * distance - 1);
  // Angles about the circle's centre, from its side facing the origin.
  auto angleOf = [&](hyperbolic::Point p) { return std::arg((p - centre) / -direction); };
  std::vector<double> angles;
  for (const DiscMeshVertex& vertex : mesh.vertices) {
    hyperbolic::Point p = vertex.position;
    bool between = std::arg(p / v1) >= -1e-12 && std::arg(v2 / p) >= -1e-12;
    if (between && std::abs(std::abs(p - centre) - radius) < 1e-9) angles.push_back(angleOf(p));
  }
  std::sort(angles.begin(), angles.end());
  ASSERT_GE(angles.size(), 9u) << "cut into at least eight pieces";
  EXPECT_NEAR(angles.front(), std::min(angleOf(v1), angleOf(v2)), 1e-9);
  EXPECT_NEAR(angles.back(), std::max(angleOf(v1), angleOf(v2)), 1e-9);
  for (size_t i = 1; i < angles.size(); ++i) {
    double sagitta = radius * (1 - std::cos((angles[i] - angles[i - 1]) / 2));
    EXPECT_LE(sagitta, DiscMeshShape().tolerance);
  }
}

struct LoadedDisc {
  HRESULT result = E_FAIL;
  MeshContents contents;
  std::vector<AttributeRange> attributeTable;
  size_t materials = 0;

  hyperbolic::Point Position(size_t v) const { return {contents.FloatAt(v, 0), contents.FloatAt(v, 4)}; }
};

LoadedDisc LoadCommittedDisc() {
  std::vector<uint8_t> file = ReadFileBytes(ORBELUNE_RESOURCES_DIR "/disc.x");
  LoadedDisc loaded;
  TriangleMesh* mesh = nullptr;
  std::vector<MeshMaterial> materials;
  loaded.result =
      LoadMeshFromMemory(file.data(), file.size(), 0x110, nullptr, nullptr, &materials, nullptr, nullptr, &mesh);
  if (FAILED(loaded.result)) return loaded;
  loaded.contents = ReadContents(mesh);
  loaded.attributeTable = mesh->AttributeTable();
  loaded.materials = materials.size();
  mesh->Release();
  return loaded;
}

// The saver's load: positions and one texture coordinate set, every face drawn by
// DrawSubset(0), within the unit disc, as generated to six decimals.
TEST(DiscMesh, LoadsAsTheSaverLoadsIt) {
  LoadedDisc loaded = LoadCommittedDisc();
  ASSERT_EQ(loaded.result, S_OK);
  const MeshContents& contents = loaded.contents;
  EXPECT_EQ(contents.fvf, DWORD(D3DFVF_XYZ | D3DFVF_TEX1));
  EXPECT_EQ(loaded.materials, 1u);
  const DiscMesh& mesh = GeneratedMesh();
  ASSERT_EQ(contents.vertexCount, mesh.vertices.size());
  ASSERT_EQ(contents.faceCount, mesh.triangles.size());
  ASSERT_EQ(loaded.attributeTable.size(), 1u);
  const AttributeRange& range = loaded.attributeTable[0];
  EXPECT_EQ(range.AttribId, 0u);
  EXPECT_EQ(range.FaceStart, 0u);
  EXPECT_EQ(range.FaceCount, contents.faceCount);
  EXPECT_EQ(range.VertexStart, 0u);
  EXPECT_EQ(range.VertexCount, contents.vertexCount);
  // Well within what the reference device draws quickly.
  EXPECT_LE(contents.faceCount, 40000u);

  for (size_t v = 0; v < contents.vertexCount; ++v) {
    EXPECT_EQ(contents.FloatAt(v, 8), 0.0f);
    EXPECT_LE(std::abs(loaded.Position(v)), 1.0);
    ASSERT_NEAR(std::abs(loaded.Position(v) - mesh.vertices[v].position), 0, 1e-6) << v;
    ASSERT_NEAR(contents.FloatAt(v, 12), mesh.vertices[v].texture.u, 1e-6) << v;
    ASSERT_NEAR(contents.FloatAt(v, 16), mesh.vertices[v].texture.v, 1e-6) << v;
  }
  for (size_t f = 0; f < contents.faceCount; ++f) {
    ASSERT_EQ(contents.Face(f),
              (std::vector<uint32_t>{mesh.triangles[f][0], mesh.triangles[f][1], mesh.triangles[f][2]}));
  }
}

// As loaded: every triangle clockwise seen from -z with x right and y up, none flat, every
// vertex used; every inner side shared by exactly two triangles (no cracks, no T-junctions),
// the others on the rim; one disc without holes or overlaps.
TEST(DiscMesh, LoadedTrianglesTileTheDiscClockwise) {
  LoadedDisc loaded = LoadCommittedDisc();
  ASSERT_EQ(loaded.result, S_OK);
  const MeshContents& contents = loaded.contents;
  std::vector<bool> used(contents.vertexCount, false);
  std::map<std::pair<uint32_t, uint32_t>, int> sides;
  double totalArea = 0;
  for (size_t f = 0; f < contents.faceCount; ++f) {
    std::vector<uint32_t> face = contents.Face(f);
    hyperbolic::Point a = loaded.Position(face[0]), b = loaded.Position(face[1]), c = loaded.Position(face[2]);
    hyperbolic::Point ab = b - a, ac = c - a;
    double signedArea = (ab.real() * ac.imag() - ab.imag() * ac.real()) / 2;
    ASSERT_LT(signedArea, -1e-12) << "face " << f;
    totalArea -= signedArea;
    for (size_t k = 0; k < 3; ++k) {
      used[face[k]] = true;
      uint32_t from = face[k], to = face[(k + 1) % 3];
      ++sides[{std::min(from, to), std::max(from, to)}];
    }
  }
  for (size_t v = 0; v < used.size(); ++v) EXPECT_TRUE(used[v]) << "vertex " << v;
  size_t rimSides = 0;
  for (const auto& [side, uses] : sides) {
    ASSERT_LE(uses, 2) << side.first << "-" << side.second;
    if (uses == 1) {
      ++rimSides;
      EXPECT_GT(std::abs(loaded.Position(side.first)), 0.995) << side.first;
      EXPECT_GT(std::abs(loaded.Position(side.second)), 0.995) << side.second;
    }
  }
  EXPECT_GT(rimSides, 1000u);
  // Euler: a disc has V - E + F = 1; a hole or a second piece would change it.
  EXPECT_EQ(long(contents.vertexCount) - long(sides.size()) + long(contents.faceCount), 1);
  EXPECT_LT(totalArea, std::numbers::pi);
  EXPECT_GT(totalArea, std::numbers::pi * 0.99);
}

}  // namespace
