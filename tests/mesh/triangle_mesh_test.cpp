// The mesh object on a device: buffer pools and usages from the options, drawing a subset,
// adjacency, and giving back everything it took.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfxsupport/meshes/mesh_loader.h"
#include "mesh_contents.h"
#include "recording_device.h"

namespace {

const std::string kTwoMaterials =
    "xof 0303txt 0032\n"
    "Mesh { 5; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 2;2;0;; 3; 3;0,1,2;, 3;0,2,3;, 3;2,1,4;;\n"
    "  MeshMaterialList { 3; 3; 2,0,2;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n"
    "    Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }";

HRESULT Load(RecordingDevice* device, DWORD options, TriangleMesh** mesh, std::vector<DWORD>* adjacency = nullptr,
             const std::string& file = kTwoMaterials) {
  return LoadMeshFromMemory(file.data(), file.size(), options, device, adjacency, nullptr, nullptr, nullptr, mesh);
}

TEST(TriangleMesh, OptionsChooseThePoolsAndUsages) {
  const struct {
    DWORD options;
    D3DPOOL vertexPool;
    DWORD vertexUsage;
    D3DPOOL indexPool;
    DWORD indexUsage;
  } cases[] = {
      {0x110, D3DPOOL_SYSTEMMEM, 0, D3DPOOL_SYSTEMMEM, 0},
      {0, D3DPOOL_DEFAULT, 0, D3DPOOL_DEFAULT, 0},
      {0x30 | 0x300, D3DPOOL_SYSTEMMEM, 0, D3DPOOL_SYSTEMMEM, 0},
      {0x20 | 0x200, D3DPOOL_MANAGED, 0, D3DPOOL_MANAGED, 0},
      {0x40 | 0x80 | 0x8000, D3DPOOL_DEFAULT, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC | D3DUSAGE_SOFTWAREPROCESSING,
       D3DPOOL_DEFAULT, 0},
      {0x400 | 0x800 | 0x10000, D3DPOOL_DEFAULT, 0, D3DPOOL_DEFAULT,
       D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC | D3DUSAGE_SOFTWAREPROCESSING},
      {0x2 | 0x4 | 0x8 | 0x4000, D3DPOOL_DEFAULT,
       D3DUSAGE_DONOTCLIP | D3DUSAGE_POINTS | D3DUSAGE_RTPATCHES | D3DUSAGE_NPATCHES, D3DPOOL_DEFAULT,
       D3DUSAGE_DONOTCLIP | D3DUSAGE_POINTS | D3DUSAGE_RTPATCHES | D3DUSAGE_NPATCHES},
  };
  for (const auto& c : cases) {
    RecordingDevice device;
    TriangleMesh* mesh = nullptr;
    ASSERT_EQ(Load(&device, c.options, &mesh), S_OK) << c.options;
    ASSERT_EQ(device.vertexBuffers.size(), 1u);
    ASSERT_EQ(device.indexBuffers.size(), 1u);
    EXPECT_EQ(device.vertexBuffers[0].pool, c.vertexPool) << c.options;
    EXPECT_EQ(device.vertexBuffers[0].usage, c.vertexUsage) << c.options;
    EXPECT_EQ(device.vertexBuffers[0].fvf, DWORD(D3DFVF_XYZ));
    EXPECT_EQ(device.vertexBuffers[0].length, 5u * 12);
    EXPECT_EQ(device.indexBuffers[0].pool, c.indexPool) << c.options;
    EXPECT_EQ(device.indexBuffers[0].usage, c.indexUsage) << c.options;
    EXPECT_EQ(device.indexBuffers[0].format, D3DFMT_INDEX16);
    EXPECT_EQ(device.indexBuffers[0].length, 3u * 3 * 2);
    mesh->Release();
  }
}

TEST(TriangleMesh, InvalidCallsAreRefused) {
  RecordingDevice device;
  TriangleMesh* mesh = nullptr;
  const std::string& file = kTwoMaterials;
  EXPECT_EQ(LoadMeshFromMemory(nullptr, 10, 0, &device, nullptr, nullptr, nullptr, nullptr, &mesh), D3DERR_INVALIDCALL);
  EXPECT_EQ(LoadMeshFromMemory(file.data(), 0, 0, &device, nullptr, nullptr, nullptr, nullptr, &mesh),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(LoadMeshFromMemory(file.data(), file.size(), 0, &device, nullptr, nullptr, nullptr, nullptr, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(Load(&device, 0x20000, &mesh), D3DERR_INVALIDCALL);
  EXPECT_EQ(mesh, nullptr);

  const D3DVERTEXELEMENT9 declaration[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                           D3DDECL_END()};
  EXPECT_EQ(TriangleMesh::Create(&device, 0xFFFF, 3, 0, declaration, D3DFVF_XYZ, 12, &mesh), D3DERR_INVALIDCALL);
  EXPECT_EQ(TriangleMesh::Create(&device, 1, 0xFFFF, 0, declaration, D3DFVF_XYZ, 12, &mesh), D3DERR_INVALIDCALL);
  EXPECT_EQ(TriangleMesh::Create(&device, 0, 3, 0, declaration, D3DFVF_XYZ, 12, &mesh), D3DERR_INVALIDCALL);
  EXPECT_EQ(mesh, nullptr);
  ASSERT_EQ(TriangleMesh::Create(&device, 0xFFFF, 3, 1, declaration, D3DFVF_XYZ, 12, &mesh), S_OK);
  EXPECT_EQ(device.indexBuffers.back().format, D3DFMT_INDEX32);
  mesh->Release();
}

TEST(TriangleMesh, DrawSubsetWithTheTableIsOneDraw) {
  RecordingDevice device;
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(Load(&device, 0x110, &mesh), S_OK);
  // Faces sorted: attribute 0 (file face 1: 0,2,3), then 2 (faces 0 and 2: 0,1,2 and 2,1,4).
  ASSERT_EQ(mesh->AttributeTable().size(), 2u);

  EXPECT_EQ(mesh->DrawSubset(2), S_OK);
  EXPECT_EQ(device.boundVertexBuffer, mesh->VertexBuffer());
  EXPECT_EQ(device.boundIndexBuffer, mesh->IndexBuffer());
  EXPECT_NE(device.boundDeclaration, nullptr);
  EXPECT_EQ(device.boundStream, 0u);
  EXPECT_EQ(device.boundOffset, 0u);
  EXPECT_EQ(device.boundStride, 12u);
  ASSERT_EQ(device.draws.size(), 1u);
  EXPECT_EQ(device.draws[0], (RecordedDraw{0, 0, 5, 3, 2}));

  EXPECT_EQ(mesh->DrawSubset(0), S_OK);
  ASSERT_EQ(device.draws.size(), 2u);
  EXPECT_EQ(device.draws[1], (RecordedDraw{0, 0, 4, 0, 1}));

  // An id that no face has draws nothing.
  EXPECT_EQ(mesh->DrawSubset(1), S_OK);
  EXPECT_EQ(mesh->DrawSubset(7), S_OK);
  EXPECT_EQ(device.draws.size(), 2u);

  device.drawResult = D3DERR_INVALIDCALL;
  EXPECT_EQ(mesh->DrawSubset(0), D3DERR_INVALIDCALL);
  mesh->Release();
}

TEST(TriangleMesh, DrawSubsetWithoutTableDrawsEachRun) {
  RecordingDevice device;
  const D3DVERTEXELEMENT9 declaration[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                           D3DDECL_END()};
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(TriangleMesh::Create(&device, 5, 9, 0, declaration, D3DFVF_XYZ, 12, &mesh), S_OK);
  const DWORD attributes[] = {3, 3, 1, 3, 1};
  std::copy(attributes, attributes + 5, mesh->Attributes());
  EXPECT_FALSE(mesh->HasAttributeTable());
  EXPECT_EQ(mesh->DrawSubset(3), S_OK);
  EXPECT_EQ(device.draws, (std::vector<RecordedDraw>{{0, 0, 9, 0, 2}, {0, 0, 9, 9, 1}}));
  device.draws.clear();
  EXPECT_EQ(mesh->DrawSubset(2), S_OK);
  EXPECT_TRUE(device.draws.empty());
  mesh->Release();
}

TEST(TriangleMesh, WithoutADeviceNothingIsDrawn) {
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(LoadPlainText(kTwoMaterials, &mesh), S_OK);
  EXPECT_EQ(mesh->VertexBuffer(), nullptr);
  EXPECT_EQ(mesh->DrawSubset(0), S_OK);
  mesh->Release();
}

TEST(TriangleMesh, ReleaseGivesBackEverything) {
  RecordingDevice device;
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(Load(&device, 0x110, &mesh), S_OK);
  EXPECT_EQ(device.liveObjects, 3);  // vertex buffer, index buffer, declaration
  EXPECT_EQ(device.references, 2u);  // the mesh holds the device
  mesh->AddRef();
  EXPECT_EQ(mesh->Release(), 1u);
  EXPECT_EQ(device.liveObjects, 3);
  EXPECT_EQ(mesh->Release(), 0u);
  EXPECT_EQ(device.liveObjects, 0);
  EXPECT_EQ(device.references, 1u);
}

TEST(TriangleMesh, FailedBufferCreationIsReturnedAndCleanedUp) {
  RecordingDevice device;
  device.failVertexBuffer = D3DERR_OUTOFVIDEOMEMORY;
  TriangleMesh* mesh = nullptr;
  EXPECT_EQ(Load(&device, 0x110, &mesh), D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(mesh, nullptr);
  EXPECT_EQ(device.liveObjects, 0);
  EXPECT_EQ(device.references, 1u);
}

TEST(TriangleMesh, AdjacencyFollowsTheSortedFaces) {
  RecordingDevice device;
  TriangleMesh* mesh = nullptr;
  std::vector<DWORD> adjacency;
  ASSERT_EQ(Load(&device, 0x110, &mesh, &adjacency), S_OK);
  // Sorted faces: 0 = (0,2,3), 1 = (0,1,2), 2 = (2,1,4).
  // Face 0 meets face 1 across edge (0,2); face 1 meets face 2 across (1,2) and face 0 across
  // (2,0); face 2 meets face 1 across (2,1).
  EXPECT_EQ(adjacency, (std::vector<DWORD>{1, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 2, 0, 1, 0xFFFFFFFF, 0xFFFFFFFF}));
  mesh->Release();
}

TEST(TriangleMesh, AdjacencyMatchesEqualPositionsAcrossSplitVertices) {
  // Both faces use vertex 0 and 2, but vertex 0 is split by its normals: the edge still joins.
  const std::string file =
      "xof 0303txt 0032\n"
      "Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;;\n"
      "  MeshNormals { 2; 0;0;1;, 0;1;0;; 2; 3;0,0,0;, 3;1,0,0;; } }";
  RecordingDevice device;
  TriangleMesh* mesh = nullptr;
  std::vector<DWORD> adjacency;
  ASSERT_EQ(Load(&device, 0x110, &mesh, &adjacency, file), S_OK);
  EXPECT_EQ(mesh->VertexCount(), 5u);
  EXPECT_EQ(adjacency, (std::vector<DWORD>{0xFFFFFFFF, 0xFFFFFFFF, 1, 0, 0xFFFFFFFF, 0xFFFFFFFF}));
  mesh->Release();
}

}  // namespace
