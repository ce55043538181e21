// Loading meshes: the vertex format, triangles, splitting, materials, frames, merging, the
// index width and the failures of mesh data.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gfxsupport/meshes/xfile_errors.h"
#include "gfxsupport/read_failure.h"
#include "mesh_contents.h"
#include "xfile_writer.h"

namespace {

const std::string kHeader = "xof 0303txt 0032\n";

const std::string kQuad = "Mesh Quad { 4; -1.0;-1.0;0.0;, -1.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;-1.0;0.0;; 1; 4;0,1,2,3;; ";

MeshContents LoadText(const std::string& body, HRESULT* result = nullptr) {
  TriangleMesh* mesh = nullptr;
  HRESULT loaded = LoadPlainText(kHeader + body, &mesh);
  if (result != nullptr) *result = loaded;
  MeshContents contents;
  if (SUCCEEDED(loaded)) {
    contents = ReadContents(mesh);
    mesh->Release();
  }
  return contents;
}

TEST(MeshLoad, QuadIsFannedIntoTwoTriangles) {
  HRESULT result;
  MeshContents quad = LoadText(kQuad + "}", &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(quad.fvf, DWORD(D3DFVF_XYZ));
  EXPECT_EQ(quad.vertexSize, 12u);
  EXPECT_FALSE(quad.index32);
  EXPECT_EQ(quad.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
  EXPECT_EQ(quad.Position(2), (std::vector<float>{1, 1, 0}));

  MeshContents textured = LoadText(kQuad + "MeshTextureCoords { 4; 0;1;, 0;0;, 1;0;, 1;1;; } }", &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(textured.fvf, 0x102u);
  EXPECT_EQ(textured.vertexSize, 20u);
  EXPECT_EQ(textured.FloatAt(3, 12), 1.0f);
  EXPECT_EQ(textured.FloatAt(3, 16), 1.0f);
  EXPECT_EQ(textured.FloatAt(0, 16), 1.0f);
}

TEST(MeshLoad, FaceWithManyCornersIsAFan) {
  MeshContents hexagon = LoadText("Mesh { 6; 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;2;0;, -1;1;0;; 1; 6;0,1,2,3,4,5;; }");
  EXPECT_EQ(hexagon.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 5}));
}

TEST(MeshLoad, BadMeshDataFails) {
  const struct {
    const char* what;
    std::string body;
    const char* reason;
  } cases[] = {
      {"texture coordinates fewer than vertices", kQuad + "MeshTextureCoords { 3; 0;1;, 0;0;, 1;0;; } }",
       "X file: MeshTextureCoords does not hold one pair for every vertex"},
      {"index out of range", "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }",
       "X file: a Mesh face names a vertex the Mesh does not have"},
      {"face with two corners", "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 2; 3;0,1,2;, 2;0,1;; }",
       "X file: a Mesh face has 2 corners"},
      {"colour of a vertex that does not exist", kQuad + "MeshVertexColors { 1; 4;1;0;0;1;; } }",
       "X file: MeshVertexColors names a vertex the Mesh does not have"},
      {"material index beyond the materials",
       kQuad + "MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
       "X file: MeshMaterialList names a material it does not have"},
      {"normal index out of range", kQuad + "MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,1;; } }",
       "X file: MeshNormals names a normal it does not have"},
      {"normals for fewer faces than the mesh", kQuad + "MeshNormals { 1; 0;0;1;; 0; } }",
       "X file: MeshNormals has fewer faces than the Mesh"},
      {"normal face with other corners than the mesh face", kQuad + "MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; } }",
       "X file: MeshNormals faces do not match the Mesh's"},
      {"short frame matrix",
       "template FrameTransformMatrix { <F6F23F41-7686-11CF-8F52-0040333594A3> array FLOAT m[8]; }\n"
       "Frame { FrameTransformMatrix { 1,0,0,0,0,1,0,0; } " +
           kQuad + "} }",
       "X file: a FrameTransformMatrix ends before its 16 numbers"},
      {"mesh data shorter than its counts",
       "template Mesh { <3D82AB44-62DA-11CF-AB39-0020AF71E433> DWORD nVertices; array Vector v[nVertices]; [...] }\n"
       "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; }",
       "X file: a Mesh ends before its face count"},
      {"no mesh in the file", "Frame { }", "X file: the file holds no Mesh with triangles"},
      {"empty file", "", "X file: the file holds no Mesh with triangles"},
  };
  for (const auto& c : cases) {
    HRESULT result;
    LoadText(c.body, &result);
    EXPECT_EQ(result, E_FAIL) << c.what;
    EXPECT_STREQ(LastReadFailure(), c.reason) << c.what;
  }
}

TEST(MeshLoad, DegenerateTrianglesAreDropped) {
  HRESULT result;
  MeshContents mixed =
      LoadText("Mesh { 6; 0;0;0;, 1;0;0;, 0;1;0;, 3;0;0;, 4;0;0;, 5;0;0;; 2; 3;3,3,5;, 3;0,1,2;; }", &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(mixed.indices, (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(mixed.vertexCount, 6u);  // vertices are kept even when no face uses them

  LoadText("Mesh { 6; 0;0;0;, 1;0;0;, 0;1;0;, 3;0;0;, 4;0;0;, 5;0;0;; 1; 3;3,3,5;; }", &result);
  EXPECT_EQ(result, E_FAIL);
  LoadText("Mesh { 0;; 0;; }", &result);
  EXPECT_EQ(result, E_FAIL);
}

TEST(MeshLoad, CornersWithDifferentNormalsSplitTheVertex) {
  // Two triangles share vertices 0 and 2; vertex 0 has another normal on the second face.
  const std::string body =
      "Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;;\n"
      "  MeshNormals { 2; 0;0;1;, 0;1;0;; 2; 3;0,0,0;, 3;1,0,0;; }\n"
      "  MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; } }";
  HRESULT result;
  MeshContents mesh = LoadText(body, &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(mesh.fvf, DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
  ASSERT_EQ(mesh.vertexCount, 5u);
  EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2, 4, 2, 3}));
  EXPECT_EQ(mesh.Position(4), mesh.Position(0));
  EXPECT_EQ(mesh.FloatAt(0, 20), 1.0f);                 // z of the first normal
  EXPECT_EQ(mesh.FloatAt(4, 16), 1.0f);                 // y of the second
  EXPECT_EQ(mesh.FloatAt(4, 24), mesh.FloatAt(0, 24));  // the copy keeps the texture coordinate
  EXPECT_EQ(mesh.FloatAt(3, 16), 0.0f);                 // vertex 3 takes the normal of its only corner
  EXPECT_EQ(mesh.FloatAt(3, 20), 1.0f);
}

TEST(MeshLoad, VertexColoursAreQuantised) {
  HRESULT result;
  MeshContents mesh = LoadText(
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
      "  MeshVertexColors { 2; 0;1.5;-0.5;0.5;1;;, 2;0.25;0.0019;0.998;0.5;;; } }",
      &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(mesh.fvf, DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE));
  EXPECT_EQ(mesh.DwordAt(0, 12), 0xFFFF0080u);  // clamped; 0.5 * 255 + 0.5 truncates to 128
  EXPECT_EQ(mesh.DwordAt(1, 12), 0xFFFFFFFFu);  // a vertex without colour is opaque white
  EXPECT_EQ(mesh.DwordAt(2, 12), 0x804000FEu);
}

TEST(MeshLoad, MaterialListGivesAttributesAndMaterials) {
  const std::string body =
      "Material Red { 1;0;0;1;; 5; 0;0;0;; 0;0;0;; TextureFilename { \"red.png\"; } }\n"
      "Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 3; 3;0,1,2;, 3;0,2,3;, 3;1,2,3;;\n"
      "  MeshMaterialList { 2; 2; 1, 0;;\n"
      "    Material Blue { 0;0;1;1;; 1; 0;0;0;; 0;0;0;; EffectInstance { \"glow.fx\"; } }\n"
      "    { Red } } }";
  std::string file = kHeader + body;
  std::vector<MeshMaterial> materials;
  std::vector<MeshEffectInstance> effects;
  DWORD materialCount = 0;
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(LoadMeshFromMemory(file.data(), file.size(), 0x110, nullptr, nullptr, &materials, &effects, &materialCount,
                               &mesh),
            S_OK);
  MeshContents contents = ReadContents(mesh);
  // Face 0 has material 1, faces 1 and 2 material 0 (the last one beyond the list).
  // Sorted by attribute: faces 1, 2, then 0.
  EXPECT_EQ(contents.attributes, (std::vector<DWORD>{0, 0, 1}));
  EXPECT_EQ(contents.indices, (std::vector<uint32_t>{0, 2, 3, 1, 2, 3, 0, 1, 2}));
  ASSERT_TRUE(mesh->HasAttributeTable());
  ASSERT_EQ(mesh->AttributeTable().size(), 2u);
  const AttributeRange& first = mesh->AttributeTable()[0];
  EXPECT_EQ(first.AttribId, 0u);
  EXPECT_EQ(first.FaceStart, 0u);
  EXPECT_EQ(first.FaceCount, 2u);
  EXPECT_EQ(first.VertexStart, 0u);
  EXPECT_EQ(first.VertexCount, 4u);
  const AttributeRange& second = mesh->AttributeTable()[1];
  EXPECT_EQ(second.AttribId, 1u);
  EXPECT_EQ(second.FaceStart, 2u);
  EXPECT_EQ(second.VertexStart, 0u);
  EXPECT_EQ(second.VertexCount, 3u);
  mesh->Release();

  ASSERT_EQ(materialCount, 2u);
  ASSERT_EQ(materials.size(), 2u);
  EXPECT_EQ(materials[0].diffuse[2], 1.0f);  // Blue, given inline
  EXPECT_EQ(materials[0].power, 1.0f);
  EXPECT_EQ(materials[1].diffuse[0], 1.0f);  // Red, by reference
  EXPECT_EQ(materials[1].textureFilename, "red.png");
  ASSERT_EQ(effects.size(), 2u);
  EXPECT_EQ(effects[0].effectFilename, "glow.fx");
  EXPECT_EQ(effects[1].effectFilename, "");
}

TEST(MeshLoad, ReferenceByGuidFindsTheMaterial) {
  const std::string body =
      "Material Named { <01234567-89AB-CDEF-0123-456789ABCDEF> 0;1;0;1;; 2; 0;0;0;; 0;0;0;; }\n"
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
      "  MeshMaterialList { 1; 1; 0;; { <01234567-89ab-cdef-0123-456789abcdef> } } }";
  std::string file = kHeader + body;
  std::vector<MeshMaterial> materials;
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(LoadMeshFromMemory(file.data(), file.size(), 0x110, nullptr, nullptr, &materials, nullptr, nullptr, &mesh),
            S_OK);
  mesh->Release();
  ASSERT_EQ(materials.size(), 1u);
  EXPECT_EQ(materials[0].diffuse[1], 1.0f);
  EXPECT_EQ(materials[0].power, 2.0f);
}

TEST(MeshLoad, WithoutMaterialListOneDefaultMaterial) {
  std::string file = kHeader + kQuad + "}";
  DWORD materialCount = 0;
  std::vector<MeshMaterial> materials;
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(
      LoadMeshFromMemory(file.data(), file.size(), 0, nullptr, nullptr, &materials, nullptr, &materialCount, &mesh),
      S_OK);
  mesh->Release();
  EXPECT_EQ(materialCount, 1u);
  ASSERT_EQ(materials.size(), 1u);
  EXPECT_EQ(materials[0].diffuse[0], 1.0f);
}

TEST(MeshLoad, FrameMatrixMovesOnlyWhatFollowsIt) {
  const std::string triangle = "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";
  HRESULT result;
  MeshContents mesh =
      LoadText("Frame Root {\n" + triangle + "  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,5,1;; }\n" +
                   triangle + "  Frame Child { FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,0,1;; } " +
                   triangle + "} }\n" + triangle,
               &result);
  ASSERT_EQ(result, S_OK);
  ASSERT_EQ(mesh.vertexCount, 12u);
  EXPECT_EQ(mesh.Position(1), (std::vector<float>{1, 0, 0}));   // before the matrix
  EXPECT_EQ(mesh.Position(4), (std::vector<float>{1, 0, 5}));   // after it
  EXPECT_EQ(mesh.Position(7), (std::vector<float>{2, 0, 5}));   // child: its own matrix, then the parent's
  EXPECT_EQ(mesh.Position(10), (std::vector<float>{1, 0, 0}));  // outside the frame
}

TEST(MeshLoad, NormalsAreTurnedWithTheFrame) {
  HRESULT result;
  MeshContents mesh = LoadText(
      "Frame { FrameTransformMatrix { 0,2,0,0, -2,0,0,0, 0,0,2,0, 3,4,5,1;; }\n"
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshNormals { 1; 1;0;0;; 1; 3;0,0,0;; } } }",
      &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(mesh.Position(1), (std::vector<float>{3, 6, 5}));
  EXPECT_FLOAT_EQ(mesh.FloatAt(0, 12), 0.0f);
  EXPECT_FLOAT_EQ(mesh.FloatAt(0, 16), 1.0f);  // turned, without translation, unit length
  EXPECT_FLOAT_EQ(mesh.FloatAt(0, 20), 0.0f);
}

TEST(MeshLoad, SecondMeshIsMergedAfterTheFirst) {
  HRESULT result;
  MeshContents mesh = LoadText(
      "Mesh A { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n"
      "Mesh B { 4; 5;0;0;, 6;0;0;, 6;1;0;, 5;1;0;; 1; 4;0,1,2,3;; }",
      &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(mesh.vertexCount, 7u);
  EXPECT_EQ(mesh.indices, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 3, 5, 6}));
  EXPECT_EQ(mesh.Position(3), (std::vector<float>{5, 0, 0}));
  // Each mesh without a material list has its own default material.
  EXPECT_EQ(mesh.attributes, (std::vector<DWORD>{0, 1, 1}));
}

TEST(MeshLoad, MergedMeshesOfDifferentFormatsKeepEveryElement) {
  HRESULT result;
  MeshContents mesh = LoadText(
      "Mesh A { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshTextureCoords { 3; 0.5;0.25;, 0;0;, 0;0;; } }\n"
      "Mesh B { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; } }",
      &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(mesh.fvf, DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
  EXPECT_EQ(mesh.FloatAt(0, 24), 0.5f);  // A's texture coordinate
  EXPECT_EQ(mesh.FloatAt(3, 20), 1.0f);  // B's normal
}

TEST(MeshLoad, MeshWithoutUsableFacesIsSkipped) {
  HRESULT result;
  MeshContents mesh = LoadText(
      "Mesh Empty { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;1,1,2;; }\n"
      "Mesh Real { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }",
      &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(mesh.vertexCount, 3u);
  EXPECT_EQ(mesh.faceCount, 1u);
}

// A strip of n - 2 triangles over n vertices.
std::string Strip(uint32_t n) {
  std::string text = "Mesh {" + std::to_string(n) + ";";
  for (uint32_t i = 0; i < n; ++i) text += std::to_string(i / 2) + ";" + std::to_string(i % 2) + ";0;,";
  text.back() = ';';
  text += std::to_string(n - 2) + ";";
  for (uint32_t i = 0; i + 2 < n; ++i) {
    text += "3;" + std::to_string(i) + "," + std::to_string(i + 1) + "," + std::to_string(i + 2) + ";,";
  }
  text.back() = ';';
  return text + "}";
}

TEST(MeshLoad, IndexWidthFollowsTheCounts) {
  const struct {
    uint32_t vertices;
    bool index32;
  } cases[] = {{65534, false}, {65535, true}, {70000, true}};
  for (const auto& c : cases) {
    HRESULT result;
    MeshContents mesh = LoadText(Strip(c.vertices), &result);
    ASSERT_EQ(result, S_OK) << c.vertices;
    EXPECT_EQ(mesh.index32, c.index32) << c.vertices;
    EXPECT_EQ(mesh.indices.back(), c.vertices - 1) << c.vertices;
  }
}

TEST(MeshLoad, ProgressiveMeshInfoCanAskForWideIndices) {
  HRESULT result;
  MeshContents mesh = LoadText(
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
      "  PMInfo { 2; 0;1;40000;0;3;3;, 0;1;30000;0;3;3;; 6; 3; 3; 0; ; 0; ; } }",
      &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_TRUE(mesh.index32);
}

TEST(MeshLoad, FvfDataAddsValuesAndComputedNormals) {
  // FVFData asks for a normal, a specular colour and one more texture set of one float.
  const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_SPECULAR | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE1(0);
  HRESULT result;
  MeshContents mesh = LoadText(
      "Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;;\n"
      "  MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n"
      "  FVFData { " +
          std::to_string(fvf) + "; 8; 1,2,3,4,5,6,7,1065353216;; } }",
      &result);
  ASSERT_EQ(result, S_OK);
  // Texture set 0 is the file's coordinates; FVFData's set moves to 1 with its size code.
  EXPECT_EQ(mesh.fvf, DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_SPECULAR | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE1(1)));
  ASSERT_EQ(mesh.vertexSize, 12u + 12 + 4 + 8 + 4);
  EXPECT_EQ(mesh.DwordAt(0, 24), 1u);  // specular of vertex 0
  EXPECT_EQ(mesh.DwordAt(0, 36), 2u);  // texture set 1 of vertex 0
  EXPECT_EQ(mesh.DwordAt(3, 24), 7u);
  EXPECT_EQ(mesh.FloatAt(3, 36), 1.0f);
  EXPECT_EQ(mesh.FloatAt(2, 28), 1.0f);  // set 0
  // The computed normal of the flat quad, whose winding (v0 - v1) x (v0 - v2) points to +z.
  for (size_t v = 0; v < 4; ++v) {
    EXPECT_FLOAT_EQ(mesh.FloatAt(v, 12), 0.0f) << v;
    EXPECT_FLOAT_EQ(mesh.FloatAt(v, 20), 1.0f) << v;
  }
}

TEST(MeshLoad, TextureCoordinatesBeyondEightSetsAreRefused) {
  HRESULT result;
  LoadText(kQuad + "MeshTextureCoords { 4; 0;1;, 0;0;, 1;0;, 1;1;; } FVFData { 2050; 0; ; } }", &result);
  EXPECT_EQ(result, D3DERR_INVALIDCALL);
  EXPECT_STREQ(LastReadFailure(), "X file: MeshTextureCoords would make a ninth texture coordinate set");
}

TEST(MeshLoad, DeclDataAppendsItsElements) {
  // One FLOAT3 tangent per vertex after the FVF part.
  HRESULT result;
  MeshContents mesh = LoadText(
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
      "  DeclData { 1; 2;0;6;0;; 9; 1065353216,0,0, 0,1065353216,0, 0,0,1065353216;; } }",
      &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(mesh.fvf, 0u);
  ASSERT_EQ(mesh.vertexSize, 24u);
  EXPECT_EQ(mesh.FloatAt(1, 16), 1.0f);
  EXPECT_EQ(mesh.FloatAt(2, 20), 1.0f);
}

// The same mesh, with normals, texture coordinates, colours and two materials, in every form.
std::vector<uint8_t> RichMesh(XForm form, size_t blockSize) {
  XFileWriter writer(form);
  writer.Text("// written by the test\n").Begin("Frame", "Root");
  writer.Begin("FrameTransformMatrix").Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.125f, -3, 7, 1}).End();
  writer.Begin("Mesh", "Rich").Integers({5});
  writer.Floats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0.5f, 0.5f, 1.0e-7f});
  writer.Integers({3, 4, 0, 1, 2, 3, 3, 1, 4, 2, 3, 2, 4, 3});
  writer.Begin("MeshNormals")
      .Integers({2})
      .Floats({0, 0, 1, 0.6f, 0, 0.8f})
      .Integers({3, 4, 0, 0, 0, 0, 3, 1, 1, 1, 3, 0, 1, 0})
      .End();
  writer.Begin("MeshTextureCoords").Integers({5}).Floats({0, 0, 1, 0, 1, 1, 0, 1, 0.5f, 0.5f}).End();
  writer.Begin("MeshVertexColors").Integers({1, 4}).Floats({0.1f, 0.2f, 0.3f, 0.4f}).End();
  writer.Begin("MeshMaterialList").Integers({2, 3, 1, 0, 1});
  writer.Begin("Material").Floats({1, 0, 0, 1, 8, 1, 1, 1, 0, 0, 0});
  writer.Begin("TextureFilename").String("stone.png").End().End();
  writer.Begin("Material").Floats({0, 1, 0, 1, 2, 0, 0, 0, 0, 0, 0}).End();
  writer.End().End().End();
  return writer.Finish(blockSize);
}

TEST(MeshForms, EveryFormLoadsToTheSameBuffers) {
  TriangleMesh* reference = nullptr;
  ASSERT_EQ(LoadPlain(RichMesh(XForm::Text, 32768), &reference), S_OK);
  MeshContents expected = ReadContents(reference);
  reference->Release();
  EXPECT_EQ(expected.fvf, DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1));
  EXPECT_EQ(expected.faceCount, 4u);
  EXPECT_EQ(expected.vertexCount, 7u);  // vertices 1 and 2 are split by their second normal

  for (XForm form : {XForm::Binary, XForm::Binary64, XForm::CompressedText, XForm::CompressedBinary}) {
    for (size_t blockSize : {size_t(32768), size_t(64)}) {
      TriangleMesh* mesh = nullptr;
      ASSERT_EQ(LoadPlain(RichMesh(form, blockSize), &mesh), S_OK) << XFormName(form);
      MeshContents contents = ReadContents(mesh);
      mesh->Release();
      EXPECT_EQ(contents.fvf, expected.fvf) << XFormName(form);
      EXPECT_EQ(contents.vertices, expected.vertices) << XFormName(form);
      EXPECT_EQ(contents.indices, expected.indices) << XFormName(form);
      EXPECT_EQ(contents.attributes, expected.attributes) << XFormName(form);
    }
  }
}

TEST(MeshForms, BinaryListsMayBeSplitOrMergedAnyhow) {
  // Integer lists that end inside a face, and float lists that end inside a vertex.
  XFileWriter whole(XForm::Binary);
  whole.Begin("Mesh").Integers({4}).Floats({0, 0, 0, 1, 0, 0}).Floats({1, 1, 0, 0, 1, 0});
  whole.Integers({1}).Integers({4, 0, 1}).Integers({2, 3}).End();
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(LoadPlain(whole.Finish(), &mesh), S_OK);
  MeshContents contents = ReadContents(mesh);
  mesh->Release();
  EXPECT_EQ(contents.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
  EXPECT_EQ(contents.Position(2), (std::vector<float>{1, 1, 0}));
}

}  // namespace

namespace {

TEST(MeshLoad, FvfDataPositionKindsSetTheVertexSize) {
  const struct {
    DWORD fvf;
    HRESULT result;
    DWORD vertexSize;
  } cases[] = {
      {D3DFVF_XYZB1, S_OK, 16},  {D3DFVF_XYZB4, S_OK, 28},  {D3DFVF_XYZB5 | D3DFVF_LASTBETA_UBYTE4, S_OK, 32},
      {D3DFVF_XYZB5, E_FAIL, 0}, {D3DFVF_XYZRHW, S_OK, 16}, {D3DFVF_NORMAL, S_OK, 24},  // no position bit: XYZ is added
  };
  for (const auto& c : cases) {
    HRESULT result;
    MeshContents mesh = LoadText(
        "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; FVFData { " + std::to_string(c.fvf) + "; 0; ; } }", &result);
    EXPECT_EQ(result, c.result) << c.fvf;
    if (SUCCEEDED(result)) {
      EXPECT_EQ(mesh.vertexSize, c.vertexSize) << c.fvf;
    }
  }
}

}  // namespace

namespace {

TEST(MeshLoad, ComputedNormalsIgnoreTrianglesWithoutArea) {
  // Triangle (0,1,3) is a line: it adds no direction instead of an undefined one.
  HRESULT result;
  MeshContents mesh = LoadText(
      "Mesh { 4; 0;0;0;, 1;0;0;, 0;1;0;, 2;0;0;; 2; 3;0,1,2;, 3;0,1,3;;\n"
      "  FVFData { " +
          std::to_string(D3DFVF_XYZ | D3DFVF_NORMAL) + "; 0; ; } }",
      &result);
  ASSERT_EQ(result, S_OK);
  ASSERT_EQ(mesh.vertexSize, 24u);
  for (size_t v = 0; v < 3; ++v) {
    EXPECT_EQ(mesh.FloatAt(v, 20), 1.0f) << v;  // the one real triangle's normal, alone
  }
  EXPECT_EQ(mesh.FloatAt(3, 12), 0.0f);
  EXPECT_EQ(mesh.FloatAt(3, 16), 0.0f);
  EXPECT_EQ(mesh.FloatAt(3, 20), 0.0f);
}

}  // namespace
