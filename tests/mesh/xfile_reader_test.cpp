// The X-file reader: header, compressed forms, the text grammar and its quirks, templates and
// references, as seen through the mesh they load to.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gfxsupport/meshes/xfile_decompress.h"
#include "gfxsupport/meshes/xfile_errors.h"
#include "gfxsupport/meshes/xfile_parser.h"
#include "gfxsupport/meshes/xfile_templates.h"
#include "gfxsupport/read_failure.h"
#include "mesh_contents.h"
#include "xfile_writer.h"

namespace gfx::meshes {
namespace {

const char kQuadBody[] = R"(
Mesh Quad {
  4;
  -1.0;-1.0;0.0;,
  -1.0;1.0;0.0;,
  1.0;1.0;0.0;,
  1.0;-1.0;0.0;;
  1;
  4;0,1,2,3;;
}
)";

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

struct HeaderCase {
  const char* header;
  HRESULT expected;
  const char* reason;  // "" when the file loads
};

TEST(XFileHeader, EachFieldHasItsOwnError) {
  const HeaderCase cases[] = {
      {"xof 0303txt 0032", S_OK, ""},
      {"xof 0302txt 0064", S_OK, ""},
      {"xof 0301txt 0032", ErrXFileBadVersion, "X file: version \"0301\" is neither 0302 nor 0303"},
      {"xof 0403txt 0032", ErrXFileBadVersion, "X file: version \"0403\" is neither 0302 nor 0303"},
      {"xof 0303txt 0016", ErrXFileBadFloatSize, "X file: float size \"0016\" is neither 0032 nor 0064"},
      {"xof 0303cmp 0032", ErrXFileBadType, "X file: format \"cmp \" is none of txt, bin, tzip, bzip"},
      {"xof 0303TXT 0032", ErrXFileBadType, "X file: format \"TXT \" is none of txt, bin, tzip, bzip"},
      {"xog 0303txt 0032", ErrXFileBadType, "X file: the data does not begin with an X-file header"},
      // The type is checked before the version and the float size.
      {"xof 0301abcd0016", ErrXFileBadType, "X file: format \"abcd\" is none of txt, bin, tzip, bzip"},
      {"xof 0303txt", ErrXFileBadType, "X file: format \"txt?\" is none of txt, bin, tzip, bzip"},
  };
  for (const HeaderCase& c : cases) {
    std::string file = std::string(c.header) + kQuadBody;
    TriangleMesh* mesh = nullptr;
    EXPECT_EQ(LoadPlainText(file, &mesh), c.expected) << c.header;
    EXPECT_STREQ(LastReadFailure(), c.reason) << c.header;
    if (mesh != nullptr) mesh->Release();
  }
}

TEST(XFileHeader, ShortDataIsNotAnXFile) {
  TriangleMesh* mesh = nullptr;
  EXPECT_EQ(LoadPlainText("xof 0303txt 003", &mesh), ErrXFileBadType);
  EXPECT_EQ(mesh, nullptr);
}

// Text with the same mesh as kQuadBody, written in the ways that real files write it.
TEST(XFileText, SeparatorAndLexicalQuirksReadTheSame) {
  const char* variants[] = {
      // Comments of both kinds, anywhere.
      "# leading comment\nMesh Quad { // the quad\n 4; # count\n -1.0;-1.0;0.0;, -1.0;1.0;0.0;,//x\n"
      " 1.0;1.0;0.0;, 1.0;-1.0;0.0;; 1; 4;0,1,2,3;; }",
      // Commas missing between template-typed elements, doubled terminators.
      "Mesh Quad { 4; -1.0;-1.0;0.0; -1.0;1.0;0.0; 1.0;1.0;0.0; 1.0;-1.0;0.0;;; 1; 4;0,1,2,3;;; }",
      // No separators at all, integers written for floats, signs and exponents.
      "Mesh Quad {4 -1 -1 0 -1 +1 0 1e0 10e-1 0 1 -1 0.0e+0 1 4 0 1 2 3}",
      // Object name with a dash, no blanks around braces.
      "Mesh Quad-1{4;-1.0;-1.0;0.0;,-1.0;1.0;0.0;,1.0;1.0;0.0;,1.0;-1.0;0.0;;1;4;0,1,2,3;;}",
      // Windows line ends and tabs.
      "Mesh\tQuad\r\n{\r\n4;\r\n-1.0;-1.0;0.0;,\r\n-1.0;1.0;0.0;,\r\n1.0;1.0;0.0;,\r\n1.0;-1.0;0.0;;\r\n1;\r\n4;0,1,2,"
      "3;;\r\n}\r\n",
  };
  TriangleMesh* reference = nullptr;
  ASSERT_EQ(LoadPlainText(std::string("xof 0303txt 0032") + kQuadBody, &reference), S_OK);
  MeshContents expected = ReadContents(reference);
  reference->Release();
  for (const char* variant : variants) {
    TriangleMesh* mesh = nullptr;
    ASSERT_EQ(LoadPlainText(std::string("xof 0303txt 0032\n") + variant, &mesh), S_OK) << variant;
    MeshContents contents = ReadContents(mesh);
    mesh->Release();
    EXPECT_EQ(contents.vertices, expected.vertices) << variant;
    EXPECT_EQ(contents.indices, expected.indices) << variant;
  }
}

TEST(XFileText, TemplatesDeclaredInTheFileAreUsed) {
  // A template of the file's own, used as a child and skipped by the loader; a repeated
  // standard template without GUID and with keywords in other cases; spaces inside a GUID.
  const std::string file = std::string("xof 0303txt 0032\n") +
                           "template Note { < 11111111-2222-3333-4444-555555555555 > string text; dword n; "
                           "Array Float values[n]; }\n"
                           "template Coords2d { float u; FLOAT v; }\n"
                           "Mesh Quad { 4; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;; 1; 4;0,1,2,3;;\n"
                           "  Note { \"braces { } in a string\"; 2; 0.5, 0.25; }\n"
                           "  MeshTextureCoords { 4; 0;0;, 0;1;, 1;1;, 1;0;; }\n"
                           "}\n";
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(LoadPlainText(file, &mesh), S_OK);
  MeshContents contents = ReadContents(mesh);
  mesh->Release();
  EXPECT_EQ(contents.fvf, DWORD(D3DFVF_XYZ | D3DFVF_TEX1));
  EXPECT_EQ(contents.FloatAt(2, 12), 1.0f);
  EXPECT_EQ(contents.FloatAt(2, 16), 1.0f);
}

TEST(XFileText, UnknownObjectsAreSkippedWhole) {
  const std::string file = std::string("xof 0303txt 0032\n") + "Gizmo { 1; 2; Thing { \"}\"; { Ref } } }\n" +
                           kQuadBody + "Mesh Later { 3; 0;0;0;, 0;1;0;, 1;1;0;; 1; 3;0,1,2;; Unknown { 7; } }\n";
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(LoadPlainText(file, &mesh), S_OK);
  EXPECT_EQ(mesh->FaceCount(), 3u);
  mesh->Release();
}

struct DamagedCase {
  const char* what;
  std::string body;
  const char* reason;  // followed by where the reading stopped
};

bool BeginsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

TEST(XFileText, DamagedStructureFailsTheLoad) {
  const DamagedCase cases[] = {
      {"unterminated object", "Mesh Quad { 4; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;; 1; 4;0,1,2,3;;",
       "X file: a Mesh does not end"},
      {"count beyond the data", "Mesh Quad { 4000000000; 0;0;0;; 1; 3;0,1,2;; }",
       "X file: array vertices counts more elements than the file has bytes"},
      {"value that is not a number", "Mesh Quad { 4; 0;0;x;, 0;1;0;, 1;1;0;, 1;0;0;; 1; 4;0,1,2,3;; }",
       "X file: the values of a Mesh do not match its template"},
      {"values beyond the template", "Mesh Quad { 3; 0;0;0;, 0;1;0;, 1;1;0;; 1; 3;0,1,2;; 7; }",
       "X file: a Mesh holds more values than its template, or is broken"},
      {"unterminated string", "Gizmo { \"abc }", "X file: an object of the unknown type Gizmo does not end"},
      {"broken GUID", "Mesh Quad { <1234> 3; 0;0;0;, 0;1;0;, 1;1;0;; 1; 3;0,1,2;; }",
       "X file: the values of a Mesh do not match its template"},
      {"template using an undeclared type", "template T { <11111111-2222-3333-4444-555555555555> Nothing n; }",
       "X file: a template member of the undeclared type Nothing"},
      {"array sized by an unknown member", "template T { DWORD n; array DWORD v[m]; }",
       "X file: array v sized by m, which is no earlier integer member"},
      {"child that the template does not allow",
       "Mesh Quad { 3; 0;0;0;, 0;1;0;, 1;1;0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; Mesh Inner { 3; "
       "0;0;0;, 0;1;0;, 1;1;0;; 1; 3;0,1,2;; } } }",
       "X file: a MeshMaterialList may not hold a Mesh"},
      {"child of a closed template",
       "Mesh Quad { 3; 0;0;0;, 0;1;0;, 1;1;0;; 1; 3;0,1,2;; MeshTextureCoords { 3; 0;0;, "
       "0;0;, 0;0;; Frame F { } } }",
       "X file: a MeshTextureCoords may not hold a Frame"},
      {"stray closing brace", "}", "X file: something other than a template or a data object at the top level"},
      {"negative count", "Mesh Quad { -3; 0;0;0;, 0;1;0;, 1;1;0;; 1; 3;0,1,2;; }",
       "X file: array vertices counts more elements than the file has bytes"},
  };
  for (const DamagedCase& c : cases) {
    TriangleMesh* mesh = nullptr;
    EXPECT_EQ(LoadPlainText("xof 0303txt 0032\n" + c.body, &mesh), E_FAIL) << c.what;
    EXPECT_EQ(mesh, nullptr) << c.what;
    EXPECT_TRUE(BeginsWith(LastReadFailure(), c.reason)) << c.what << ": " << LastReadFailure();
  }
}

TEST(XFileText, DeepNestingFailsInsteadOfExhaustingTheStack) {
  std::string file = "xof 0303txt 0032\n";
  for (int i = 0; i < 100000; ++i) file += "Frame{";
  TriangleMesh* mesh = nullptr;
  EXPECT_EQ(LoadPlainText(file, &mesh), E_FAIL);
}

TEST(XFileTemplates, TheLoaderRegistersEveryStandardTemplateWithItsGuid) {
  XFileParser parser;
  ASSERT_EQ(RegisterLoaderTemplates(&parser), S_OK);
  const struct {
    const char* name;
    GUID guid;
    size_t members;
  } expected[] = {
      {"Header", {0x3D82AB43, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}}, 3},
      {"Mesh", {0x3D82AB44, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}}, 4},
      {"MeshNormals", {0xF6F23F43, 0x7686, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}}, 4},
      {"Material", {0x3D82AB4D, 0x62DA, 0x11CF, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}}, 4},
      {"Guid", {0xA42790E0, 0x7810, 0x11CF, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}}, 4},
      {"RightHanded", {0x7F5D5EA0, 0xD53A, 0x11D1, {0x82, 0xC0, 0x00, 0xA0, 0xC9, 0x69, 0x72, 0x71}}, 1},
      {"SkinWeights", {0x6F0D123B, 0xBAD2, 0x4167, {0xA0, 0xD0, 0x80, 0x22, 0x4F, 0x25, 0xFA, 0xBB}}, 5},
      {"EffectInstance", {0xE331F7E4, 0x0559, 0x4CC2, {0x8E, 0x99, 0x1C, 0xEC, 0x16, 0x57, 0x92, 0x8F}}, 1},
      {"DeclData", {0xBF22E553, 0x292C, 0x4781, {0x9F, 0xEA, 0x62, 0xBD, 0x55, 0x4B, 0xDD, 0x93}}, 4},
      {"PMInfo", {0xB6C3E656, 0xEC8B, 0x4B92, {0x9B, 0x62, 0x68, 0x16, 0x59, 0x52, 0x29, 0x47}}, 9},
  };
  for (const auto& e : expected) {
    const XTemplate* found = parser.FindTemplate(e.name);
    ASSERT_NE(found, nullptr) << e.name;
    EXPECT_TRUE(found->hasGuid && SameGuid(found->guid, e.guid)) << e.name;
    EXPECT_EQ(found->members.size(), e.members) << e.name;
  }
  const char* all[] = {"Vector",
                       "Coords2d",
                       "Matrix4x4",
                       "ColorRGBA",
                       "ColorRGB",
                       "IndexedColor",
                       "Boolean",
                       "Boolean2d",
                       "MaterialWrap",
                       "TextureFilename",
                       "MeshFace",
                       "MeshFaceWraps",
                       "MeshTextureCoords",
                       "MeshMaterialList",
                       "MeshVertexColors",
                       "FrameTransformMatrix",
                       "Frame",
                       "FloatKeys",
                       "TimedFloatKeys",
                       "AnimationKey",
                       "AnimationOptions",
                       "Animation",
                       "AnimationSet",
                       "InlineData",
                       "Url",
                       "ProgressiveMesh",
                       "StringProperty",
                       "PropertyBag",
                       "ExternalVisual",
                       "XSkinMeshHeader",
                       "VertexDuplicationIndices",
                       "FaceAdjacency",
                       "Patch",
                       "PatchMesh",
                       "PatchMesh9",
                       "EffectFloats",
                       "EffectString",
                       "EffectDWord",
                       "EffectParamFloats",
                       "EffectParamString",
                       "EffectParamDWord",
                       "AnimTicksPerSecond",
                       "CompressedAnimationSet",
                       "FVFData",
                       "VertexElement",
                       "PMAttributeRange",
                       "PMVSplitRecord"};
  for (const char* name : all) EXPECT_NE(parser.FindTemplate(name), nullptr) << name;
  // Spot checks of the binary block's structure: restrictions and sized arrays.
  EXPECT_EQ(parser.FindTemplate("Frame")->restriction, XRestriction::Open);
  EXPECT_EQ(parser.FindTemplate("Vector")->restriction, XRestriction::Closed);
  const XTemplate* list = parser.FindTemplate("MeshMaterialList");
  ASSERT_EQ(list->restriction, XRestriction::Restricted);
  ASSERT_EQ(list->allowedChildren.size(), 1u);
  EXPECT_EQ(list->allowedChildren[0].name, "Material");
  EXPECT_EQ(list->members[2].dimensions[0].memberIndex, 1);
  EXPECT_EQ(parser.FindTemplate("Matrix4x4")->members[0].dimensions[0].fixedSize, 16u);
}

TEST(XFileText, FileObjectsAreStoredFlatInTemplateOrder) {
  XFileParser parser;
  ASSERT_EQ(RegisterLoaderTemplates(&parser), S_OK);
  const std::string file =
      "xof 0303txt 0032\n"
      "template Mixed { <11111111-2222-3333-4444-555555555555> WORD w; CHAR c; SDWORD s; DOUBLE d; STRING t; }\n"
      "Mixed M { 513; 65; -2; 0.5; \"hello\"; }\n";
  XFileDocument document;
  ASSERT_EQ(parser.Parse(file.data(), file.size(), &document), S_OK);
  ASSERT_EQ(document.topLevel.size(), 1u);
  const XDataObject& object = *document.topLevel[0];
  ASSERT_EQ(object.data.size(), 2u + 1 + 4 + 8 + 4);
  uint16_t w;
  int32_t s;
  double d;
  uint32_t t;
  std::memcpy(&w, &object.data[0], 2);
  std::memcpy(&s, &object.data[3], 4);
  std::memcpy(&d, &object.data[7], 8);
  std::memcpy(&t, &object.data[15], 4);
  EXPECT_EQ(w, 513);
  EXPECT_EQ(object.data[2], 65);
  EXPECT_EQ(s, -2);
  EXPECT_EQ(d, 0.5);
  ASSERT_LT(t, object.strings.size());
  EXPECT_EQ(object.strings[t], "hello");
  EXPECT_EQ(object.name, "M");
}

TEST(XFileCompressed, BlocksReachBackIntoEarlierBlocks) {
  // Repetitive text deflates into back-references that cross the small blocks used here.
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "// the same comment line again and again\n";
  text += kQuadBody;
  std::vector<uint8_t> body(text.begin(), text.end());
  std::vector<uint8_t> file = CompressXFile("xof 0303tzip0032", body, 4096);
  std::vector<uint8_t> inflated;
  ASSERT_EQ(DecompressXFile(file.data(), file.size(), &inflated), S_OK);
  ASSERT_EQ(inflated.size(), body.size() + 16);
  EXPECT_EQ(std::string(inflated.begin(), inflated.begin() + 16), "xof 0303txt 0032");
  EXPECT_TRUE(std::equal(body.begin(), body.end(), inflated.begin() + 16));
}

TEST(XFileCompressed, DamagedBlocksFail) {
  std::string text = std::string(kQuadBody) + std::string(3000, ' ');
  const std::vector<uint8_t> good = CompressXFile("xof 0303tzip0032", Bytes(text), 1024);
  const struct {
    const char* what;
    size_t offset;  // byte to change, counted from the start of the file
    uint8_t value;
    const char* reason;
  } cases[] = {
      {"missing CK", 24, 'X', "X file: a compressed block without its CK signature"},
      {"stated total too large", 17, 0x7F, "X file: compressed blocks give less than the stated size"},
      {"stated total too small", 16, 0x10, "X file: compressed blocks give more than the stated size"},
      {"block inflating to another size", 20, 0x01, "X file: a compressed block does not inflate to its size"},
      {"compressed size beyond the data", 23, 0xFF, "X file: a compressed block runs past the end of the file"},
      {"corrupt deflate data", 26, 0xFF, "X file: a compressed block does not inflate to its size"},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> damaged = good;
    damaged[c.offset] = c.value;
    TriangleMesh* mesh = nullptr;
    EXPECT_EQ(LoadPlain(damaged, &mesh), E_FAIL) << c.what;
    EXPECT_EQ(mesh, nullptr) << c.what;
    EXPECT_STREQ(LastReadFailure(), c.reason) << c.what;
  }
  std::vector<uint8_t> truncated(good.begin(), good.end() - 5);
  TriangleMesh* mesh = nullptr;
  EXPECT_EQ(LoadPlain(truncated, &mesh), E_FAIL);
  TriangleMesh* loaded = nullptr;
  ASSERT_EQ(LoadPlain(good, &loaded), S_OK);
  loaded->Release();
}

TEST(XFileBinary, DamagedTokensFail) {
  XFileWriter writer(XForm::Binary);
  writer.Begin("Mesh", "Quad").Integers({3}).Floats({0, 0, 0, 0, 1, 0, 1, 1, 0}).Integers({1, 3, 0, 1, 2}).End();
  const std::vector<uint8_t> good = writer.Finish();
  TriangleMesh* loaded = nullptr;
  ASSERT_EQ(LoadPlain(good, &loaded), S_OK);
  loaded->Release();
  // Cut anywhere, the file must fail cleanly (never read past its end).
  for (size_t size = 16; size < good.size(); ++size) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + size);
    TriangleMesh* mesh = nullptr;
    EXPECT_EQ(LoadPlain(cut, &mesh), E_FAIL) << size;
  }
  // A float list claiming more values than the file holds.
  std::vector<uint8_t> huge = good;
  const uint8_t floatList[] = {7, 0, 9, 0, 0, 0};
  auto at = std::search(huge.begin(), huge.end(), floatList, floatList + 6);
  ASSERT_NE(at, huge.end());
  at[5] = 0x7F;
  TriangleMesh* mesh = nullptr;
  EXPECT_EQ(LoadPlain(huge, &mesh), E_FAIL);
}

}  // namespace
}  // namespace gfx::meshes
