// The scene's setup and release on the reference device: which images it takes, how the quads
// are sized and coloured, how the curves move, what the user sees when the image file is bad,
// and the disc mesh resource.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/blank_png.h"
#include "gfxsupport/images/image_decoding.h"
#include "headless_display.h"
#include "render/scene_vertex.h"
#include "render/scrambled_mesh.h"
#include "scene_fixture.h"

namespace {

namespace fs = std::filesystem;

std::vector<SceneVertex> QuadVertices(IDirect3DVertexBuffer9* quad) {
  std::vector<SceneVertex> vertices(4);
  void* data = nullptr;
  if (quad == nullptr || FAILED(quad->Lock(0, 0, &data, 0))) return {};
  std::memcpy(vertices.data(), data, 4 * sizeof(SceneVertex));
  quad->Unlock();
  return vertices;
}

// A binary PPM of the given size in a fresh folder: the smallest file that says its size.
class ImageFile {
 public:
  ImageFile(unsigned width, unsigned height) : folder(fs::temp_directory_path() / "orbelune-scene-test") {
    fs::create_directories(folder);
    path = (folder / (std::to_string(width) + "x" + std::to_string(height) + ".ppm")).string();
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    const std::string pixels(static_cast<size_t>(width) * height * 3, '\x80');
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  }
  ~ImageFile() { fs::remove(path); }
  fs::path folder;
  std::string path;
};

TEST_F(SceneTest, BuiltInPhotographsAlternateAndKeepTheirProportions) {
  const struct {
    DWORD defImageNum;
    DWORD resource;
    float aspect, width, height;
  } cases[] = {
      {0, 125, 1.3333334f, 2.6666667f, 2.0f},
      {1, 126, 640.0f / 426.0f, 2.0f * (640.0f / 426.0f), 2.0f},
      {7, 126, 640.0f / 426.0f, 2.0f * (640.0f / 426.0f), 2.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.defImageNum);
    SceneSettings settings;
    settings.defImageNum = c.defImageNum;
    ASSERT_EQ(SetUpScene(settings), S_OK);
    EXPECT_EQ(scene.imageResourceId, c.resource);
    EXPECT_FLOAT_EQ(scene.imageAspect, c.aspect);
    EXPECT_FLOAT_EQ(scene.quadWidth, c.width);
    EXPECT_FLOAT_EQ(scene.quadHeight, c.height);
    EXPECT_NE(scene.objectTexture, nullptr);
    EXPECT_NE(scene.haloTexture, nullptr);
    EXPECT_NE(scene.discMesh, nullptr);
    EXPECT_NE(scene.offscreenSurface, nullptr);
    EXPECT_EQ(scene.objectCount, 1);
  }
}

TEST_F(SceneTest, UserImageShapesTheQuadAndTheSway) {
  const struct {
    unsigned width, height;
    float quadWidth, quadHeight, swayX, swayY;
  } cases[] = {
      {64, 64, 2.0f, 2.0f, -0.126f, -0.126f},
      {800, 400, 4.0f, 2.0f, -0.426f, -0.126f},
      {400, 800, 2.0f, 4.0f, -0.126f, -0.426f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    ImageFile image(c.width, c.height);
    SceneSettings settings;
    settings.fileName = image.path;
    ASSERT_EQ(SetUpScene(settings), S_OK);
    EXPECT_NE(scene.objectTexture, nullptr);
    EXPECT_FLOAT_EQ(scene.quadWidth, c.quadWidth);
    EXPECT_FLOAT_EQ(scene.quadHeight, c.quadHeight);
    // The sways are cosines: at the start they stand at their amplitude, half a period on
    // at its opposite.
    EXPECT_NEAR(SampleAt(scene.objectSwayX[0], 0), c.swayX, 1e-6);
    EXPECT_NEAR(SampleAt(scene.objectSwayY[0], 0), c.swayY, 1e-6);
    EXPECT_NEAR(SampleAt(scene.objectSwayX[0], 50000), -c.swayX, 1e-5);
    EXPECT_NEAR(SampleAt(scene.objectSwayY[0], 60000), -c.swayY, 1e-5);

    const std::vector<SceneVertex> quad = QuadVertices(scene.objectQuad);
    ASSERT_EQ(quad.size(), 4u);
    const float w = c.quadWidth / 2, h = c.quadHeight / 2;
    const float expected[4][4] = {{-w, h, 0, 0}, {w, h, 1, 0}, {-w, -h, 0, 1}, {w, -h, 1, 1}};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(quad[i].x, expected[i][0]);
      EXPECT_EQ(quad[i].y, expected[i][1]);
      EXPECT_EQ(quad[i].z, 0.0f);
      EXPECT_EQ(quad[i].colour, 0xFFFFFFFFu);
      EXPECT_EQ(quad[i].u, expected[i][2]);
      EXPECT_EQ(quad[i].v, expected[i][3]);
    }
  }
}

// Every format the image reader knows serves as the object image.
TEST_F(SceneTest, UserImageInEveryKnownFormat) {
  for (const char* name : {"rgb24.bmp", "headerless.dib", "baseline.jpg", "progressive.jpg", "rgba.png", "rgba.tga",
                           "rgb.dds", "p6.ppm", "pf.pfm", "flat.hdr"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(ORBELUNE_IMAGE_SEEDS) + "/" + name;
    ImageInfo info{};
    ASSERT_EQ(GetImageInfoFromFile(path.c_str(), &info), S_OK);
    SceneSettings settings;
    settings.fileName = path;
    ASSERT_EQ(SetUpScene(settings), S_OK);
    EXPECT_NE(scene.objectTexture, nullptr);
    EXPECT_FLOAT_EQ(scene.imageAspect, static_cast<float>(info.width) / static_cast<float>(info.height));
    EXPECT_EQ(PendingQuitCode(), -1);
  }
}

TEST_F(SceneTest, UnusableImageFileIsReportedAndEndsTheRun) {
  const fs::path folder = fs::temp_directory_path() / "orbelune-scene-test";
  fs::create_directories(folder);
  const std::string text = (folder / "notes.txt").string();
  std::ofstream(text) << "not a picture\n";
  // A header that promises pixels the file does not hold.
  const std::string truncated = (folder / "truncated.ppm").string();
  std::ofstream(truncated, std::ios::binary) << "P6\n64 64\n255\n\x10\x20";
  // Nothing to wait for (a pipe without a writer), nothing to read (a device) and a megabyte
  // that would decode to a gigabyte.
  const std::string pipe = (folder / "pipe.png").string();
  fs::remove(pipe);  // left by a run that was stopped
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string bomb = (folder / "bomb.png").string();
  ASSERT_TRUE(WriteBlankPng(bomb, 16384, 16384, 0));

  for (const std::string& path :
       {(folder / "missing.png").string(), text, truncated, folder.string(), pipe, std::string("/dev/zero"), bomb}) {
    SCOPED_TRACE(path);
    ShowWindow(window, SW_SHOW);
    SceneSettings settings;
    settings.fileName = path;
    testing::internal::CaptureStderr();
    EXPECT_EQ(SetUpScene(settings), E_FAIL);
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(told, "エラー: 画像ファイルのサイズが認識できません\n");
    EXPECT_EQ(PendingQuitCode(), 1);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(standin::headless::CursorVisible());
    EXPECT_EQ(scene.objectTexture, nullptr);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  EXPECT_LT(usage.ru_maxrss / 1024, 200) << "peak resident megabytes";
  for (const std::string& path : {text, truncated, pipe, bomb}) fs::remove(path);
}

TEST_F(SceneTest, SettingsSetScaleColourAndCurves) {
  const struct {
    const char* name;
    SceneSettings settings;
    float scale;
    D3DCOLOR haloTint;
    float discAtQuarter;  // degrees, a quarter of the disc's period after the start
    DWORD discPeriod;
    float spinStepPerKey;  // degrees between neighbouring spin keys
  } cases[] = {
      {"fallbacks", {}, 2.0f, 0xFF000000, -90.0f, 36000000, 3.6f},
      {"near, counter-clockwise, coloured",
       {50, 100, 120, 30, 1, 0, 0, 0x00336699, "Default", 0},
       10.0f,
       0xFF996633,
       90.0f,
       60000,
       3.6f},
      {"object clockwise, colour's high byte ignored",
       {10, 30, 300, 300, 1000, 1, 1, 0xAB336699, "Default", 0},
       2.0f,
       0xFF996633,
       -90.0f,
       60000000,
       -3.6f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(SetUpScene(c.settings), S_OK);
    EXPECT_EQ(scene.objectScale, c.scale);
    for (const SceneVertex& vertex : QuadVertices(scene.haloQuad)) {
      EXPECT_EQ(vertex.colour, c.haloTint);
      EXPECT_EQ(std::fabs(vertex.x), 8.85f);
      EXPECT_EQ(vertex.z, -0.1f);
    }
    EXPECT_NEAR(SampleAt(*scene.discRotation, c.discPeriod / 4), c.discAtQuarter, 1e-3);
    // Keys 1 and 2 of the spin: one step apart, the first one step past the random start
    // angle, which lies within a turn.
    const DWORD spinPeriod = c.settings.objectRotationSpeed * 1000;
    const float firstKey = SampleAt(scene.objectSpin[0], spinPeriod / 100);
    const float secondKey = SampleAt(scene.objectSpin[0], spinPeriod / 50);
    EXPECT_NEAR(secondKey - firstKey, c.spinStepPerKey, 1e-3);
    EXPECT_GE(firstKey - c.spinStepPerKey, 0.0f);
    EXPECT_LE(firstKey - c.spinStepPerKey, 360.0f);
  }
}

// The random start angle is seeded from the clock, so a held clock gives the same scene.
TEST_F(SceneTest, HeldClockGivesTheSameStartAngle) {
  ASSERT_EQ(SetUpScene({}), S_OK);
  const float first = SampleAt(scene.objectSpin[0], 0);
  ASSERT_EQ(SetUpScene({}), S_OK);
  EXPECT_EQ(SampleAt(scene.objectSpin[0], 0), first);
}

TEST_F(SceneTest, ReleaseEmptiesEverySlotAndMayBeRepeated) {
  scene.Release();  // never set up
  ASSERT_EQ(SetUpScene({}), S_OK);
  for (int round = 0; round < 2; ++round) {
    scene.Release();
    EXPECT_EQ(scene.objectCount, 0);
    EXPECT_EQ(scene.discRotation, nullptr);
    EXPECT_EQ(scene.objectSpin, nullptr);
    EXPECT_EQ(scene.objectSwayX, nullptr);
    EXPECT_EQ(scene.objectSwayY, nullptr);
    for (const void* slot :
         {static_cast<const void*>(scene.objectTexture), static_cast<const void*>(scene.haloTexture),
          static_cast<const void*>(scene.haloQuad), static_cast<const void*>(scene.objectQuad),
          static_cast<const void*>(scene.discMesh), static_cast<const void*>(scene.offscreenSurface),
          static_cast<const void*>(scene.offscreenTexture), static_cast<const void*>(scene.offscreenDepth)}) {
      EXPECT_EQ(slot, nullptr);
    }
  }
  EXPECT_EQ(scene.Setup(window, nullptr, 10, 100, 120, 120, 600, 0, 1, 0, "Default", 0), E_FAIL);
}

TEST_F(SceneTest, DiscMeshResourceIsADiscForTheCamera) {
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(LoadScrambledMesh(graphics.GetDevice(), 118, RT_RCDATA, &mesh), 1);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->Fvf(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_TEX1));
  ASSERT_EQ(mesh->AttributeTable().size(), 1u);
  EXPECT_EQ(mesh->AttributeTable()[0].AttribId, 0u);
  EXPECT_EQ(mesh->AttributeTable()[0].FaceCount, mesh->FaceCount());

  struct Vertex {
    float x, y, z, u, v;
  };
  void* vertexData = nullptr;
  void* indexData = nullptr;
  ASSERT_EQ(mesh->LockVertexBuffer(0, &vertexData), S_OK);
  ASSERT_EQ(mesh->LockIndexBuffer(0, &indexData), S_OK);
  const auto* vertices = static_cast<const Vertex*>(vertexData);
  float largestRadius = 0;
  for (DWORD i = 0; i < mesh->VertexCount(); ++i) {
    largestRadius = std::max(largestRadius, std::hypot(vertices[i].x, vertices[i].y));
    EXPECT_EQ(vertices[i].z, 0.0f);
  }
  EXPECT_LE(largestRadius, 1.0f);
  EXPECT_GT(largestRadius, 0.95f);
  // Clockwise as the camera on the -z side sees it (x right, y up): CCW culling keeps all.
  DWORD counterClockwise = 0;
  for (DWORD face = 0; face < mesh->FaceCount(); ++face) {
    uint32_t corner[3];
    for (int k = 0; k < 3; ++k) {
      corner[k] = mesh->Has32BitIndices() ? static_cast<const uint32_t*>(indexData)[face * 3 + k]
                                          : static_cast<const uint16_t*>(indexData)[face * 3 + k];
    }
    const Vertex& a = vertices[corner[0]];
    const Vertex& b = vertices[corner[1]];
    const Vertex& c = vertices[corner[2]];
    if ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) >= 0) ++counterClockwise;
  }
  EXPECT_EQ(counterClockwise, 0u);
  mesh->UnlockIndexBuffer();
  mesh->UnlockVertexBuffer();
  mesh->Release();
}

TEST_F(SceneTest, MissingMeshResourceIsReportedOnce) {
  TriangleMesh* mesh = nullptr;
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadScrambledMesh(graphics.GetDevice(), 999, RT_RCDATA, &mesh), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: FindResource Error\n");
  EXPECT_EQ(mesh, nullptr);
}

TEST(ScrambledMesh, UnscramblingReversesComplementsAndTurnsEachByte) {
  // Worked by hand: the last source byte 0x0F comes first, complemented to 0xF0 and turned
  // right by one bit; the turn grows by a bit a byte and starts over every seven bytes.
  const uint8_t scrambled[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x0F};
  const uint8_t plain[] = {0x78, 0xC3, 0x24, 0x34, 0x2B, 0x1E, 0x53, 0xE5, 0x7B};
  uint8_t out[sizeof(scrambled)] = {};
  UnscrambleMeshBytes(scrambled, sizeof(scrambled), out);
  EXPECT_EQ(std::vector<uint8_t>(out, out + sizeof(out)), std::vector<uint8_t>(plain, plain + sizeof(plain)));
}

}  // namespace
