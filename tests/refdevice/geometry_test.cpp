// Transforms, clipping and perspective: interpolation on a tilted quad, a triangle through
// the near plane, a quad far larger than the screen, viewports and unusable vertices.
#include <gtest/gtest.h>

#include <cmath>

#include "render_fixture.h"

namespace refdevice::testing {
namespace {

constexpr int kSize = 64;
constexpr float kQuarterTurn = 1.5707963f;

// Camera at the origin looking along +z with a 90 degree field: a pixel centre (X, Y) looks
// along (X / 32 - 1, 1 - Y / 32, 1).
DrawCall CameraDraw(Canvas& canvas) {
  DrawCall call = BasicDraw(canvas);
  call.transforms.projection = PerspectiveFov(kQuarterTurn, 1.0f, 1.0f, 100.0f);
  return call;
}

float RayX(int x) { return (x + 0.0f) / (kSize / 2) - 1.0f; }
float RayY(int y) { return 1.0f - (y + 0.0f) / (kSize / 2); }

// The quad y = -1 + 2t, z = 2 + 4t, x = -1 + 2s (its top leans away), with v = t. Along a
// pixel's ray it is met at z = 4 / (1 - 2 rayY), so t = (rayY z + 1) / 2.
TEST(Perspective, TiltedQuadInterpolatesInWorldSpace) {
  std::vector<uint32_t> rows(64);
  for (uint32_t k = 0; k < 64; ++k) rows[k] = 0xFF000000u | (k * 4);
  Texture texture = TextureOf(rows, 1, 64);
  for (bool textured : {true, false}) {
    Canvas canvas(kSize, kSize, 0);
    DrawCall call = CameraDraw(canvas);
    if (textured) {
      call.stage.color = {StageOperation::SelectArg1, StageArgument::Texture, StageArgument::Diffuse};
      call.stage.texture = &texture;
      call.stage.sampler = {Filter::Point, Filter::Point, MipFilter::None, Address::Clamp, Address::Clamp};
    }
    std::vector<ColorTexVertex> quad = {{-1, 1, 6, 0xFF0000FFu, 0, 1},
                                        {1, 1, 6, 0xFF0000FFu, 1, 1},
                                        {-1, -1, 2, 0xFF000000u, 0, 0},
                                        {1, -1, 2, 0xFF000000u, 1, 0}};
    call.vertices = StreamOf(quad);
    call.range.type = PrimitiveType::TriangleStrip;
    call.range.primitiveCount = 2;
    Device device(1);
    ASSERT_EQ(device.Draw(call), Status::Ok);

    int checked = 0, affineWouldFail = 0;
    for (int y = 0; y < kSize; ++y) {
      float z = 4.0f / (1.0f - 2.0f * RayY(y));
      float t = (RayY(y) * z + 1.0f) / 2.0f;
      float x = RayX(kSize / 2) * z;
      if (t < 0.02f || t > 0.98f || std::fabs(x) > 0.9f) continue;
      uint32_t blue = canvas.At(kSize / 2, y) & 0xFFu;
      if (textured) {
        float row = t * 64;
        if (std::fabs(row - std::round(row)) < 0.05f) continue;  // too close to a texel border
        EXPECT_EQ(blue, uint32_t(row) * 4) << "row " << y;
      } else {
        EXPECT_NEAR(double(blue), t * 255.0, 1.0) << "row " << y;
      }
      // Screen-space (affine) interpolation between the quad's top and bottom rows.
      float yTop = (1.0f - 1.0f / 6.0f) * 32, yBottom = (1.0f + 1.0f / 2.0f) * 32;
      float affine = (yBottom - y) / (yBottom - yTop);
      if (std::fabs(affine - t) > 0.05f) ++affineWouldFail;
      ++checked;
    }
    EXPECT_GT(checked, 12);         // the quad spans about 21 rows
    EXPECT_GT(affineWouldFail, 5);  // the quad is tilted enough for the check to mean something
  }
}

// A floor triangle at y = -1 reaching from behind the eye (z = -10) to z = 60. Its diffuse blue
// is 3 (z + 10), so each drawn pixel must show the depth at which its ray meets the floor.
TEST(Clipping, TriangleThroughTheNearPlane) {
  Canvas canvas(kSize, kSize, 0);
  DrawCall call = CameraDraw(canvas);
  std::vector<ColorTexVertex> floor = {
      {-20, -1, -10, 0xFF000000u, 0, 0}, {0, -1, 60, 0xFF0000D2u, 0, 0}, {20, -1, -10, 0xFF000000u, 0, 0}};
  call.vertices = StreamOf(floor);
  SetTriangleList(call, 1);
  Device device(1);
  ASSERT_EQ(device.Draw(call), Status::Ok);

  int drawn = 0;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      uint32_t pixel = canvas.At(x, y);
      float rayY = RayY(y);
      if (rayY >= -1.0e-3f) {
        EXPECT_EQ(pixel, 0u) << "above the horizon at " << x << "," << y;
        continue;
      }
      float z = -1.0f / rayY, worldX = RayX(x) * z;
      // Inside the triangle: between its slanted sides, which meet at (0, 60).
      float halfWidth = 20.0f * (60.0f - z) / 70.0f;
      bool clearlyInside = z > 1.05f && std::fabs(worldX) < halfWidth - 0.5f;
      bool clearlyOutside = z < 0.95f || std::fabs(worldX) > halfWidth + 0.5f;
      if (clearlyInside) {
        ASSERT_NE(pixel, 0u) << "missing at " << x << "," << y;
        EXPECT_NEAR(double(pixel & 0xFFu), 3.0 * (z + 10.0), 1.5) << x << "," << y;
        ++drawn;
      } else if (clearlyOutside) {
        EXPECT_EQ(pixel, 0u) << "stray at " << x << "," << y;
      }
    }
  }
  EXPECT_GT(drawn, 500);
}

// Like the halo quad: a textured quad hundreds of times larger than the view, in front of a
// narrow camera, covers every pixel with the texel under the view's centre.
TEST(Clipping, QuadFarLargerThanTheScreen) {
  std::vector<uint32_t> texels = {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u};
  Texture texture = TextureOf(texels, 2, 2);
  Canvas canvas(40, 30, 0);
  DrawCall call = BasicDraw(canvas);
  call.cull = CullMode::CounterClockwise;
  call.transforms.view = Translation(0, 0, 25);
  call.transforms.projection = PerspectiveFov(0.08726646f, 40.0f / 30.0f, 1.0f, 1000.0f);
  call.stage.color = {StageOperation::Modulate, StageArgument::Texture, StageArgument::Diffuse};
  call.stage.texture = &texture;
  call.stage.sampler = {Filter::Point, Filter::Point, MipFilter::None, Address::Clamp, Address::Clamp};
  // The visible region is about 2.2 x 1.6 units; the quad spans 2000, its centre the texel
  // corner where all four texels meet. Shifted slightly into the lower right texel.
  const float h = 1000.0f;
  std::vector<ColorTexVertex> quad = {{-h - 3, h + 3, 0, 0xFFFFFFFFu, 0, 0},
                                      {h - 3, h + 3, 0, 0xFFFFFFFFu, 1, 0},
                                      {-h - 3, -h + 3, 0, 0xFFFFFFFFu, 0, 1},
                                      {h - 3, -h + 3, 0, 0xFFFFFFFFu, 1, 1}};
  call.vertices = StreamOf(quad);
  call.range.type = PrimitiveType::TriangleStrip;
  call.range.primitiveCount = 2;
  Device device(2);
  ASSERT_EQ(device.Draw(call), Status::Ok);
  EXPECT_EQ(canvas.pixels, std::vector<uint32_t>(canvas.pixels.size(), 0xFFA0B0C0u));
}

TEST(Viewport, MapsClipSpaceIntoItsRectangleOnly) {
  Canvas canvas(10, 10, 0);
  DrawCall call = BasicDraw(canvas);
  call.viewport = {2, 3, 4, 5, 0.0f, 1.0f};
  // Larger than clip space: the viewport's pixels and nothing else.
  std::vector<ColorTexVertex> triangle = {
      {-3, -3, 0.5f, ~0u, 0, 0}, {-3, 9, 0.5f, ~0u, 0, 0}, {9, -3, 0.5f, ~0u, 0, 0}};
  call.vertices = StreamOf(triangle);
  SetTriangleList(call, 1);
  Device device(1);
  ASSERT_EQ(device.Draw(call), Status::Ok);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      bool inside = x >= 2 && x < 6 && y >= 3 && y < 8;
      EXPECT_EQ(canvas.At(x, y), inside ? ~0u : 0u) << x << "," << y;
    }
  }
}

TEST(Viewport, DepthRangeMapsToMinAndMaxZ) {
  Canvas canvas(4, 4, 0);
  DrawCall call = BasicDraw(canvas);
  call.viewport = {0, 0, 4, 4, 0.25f, 0.75f};
  call.depthState = {true, true, CompareFunction::Always};
  std::vector<ColorTexVertex> triangle = {
      {-3, -3, 0.5f, ~0u, 0, 0}, {-3, 9, 0.5f, ~0u, 0, 0}, {9, -3, 0.5f, ~0u, 0, 0}};
  call.vertices = StreamOf(triangle);
  SetTriangleList(call, 1);
  Device device(1);
  ASSERT_EQ(device.Draw(call), Status::Ok);
  EXPECT_EQ(canvas.depth[5], 32768);  // 0.25 + 0.5 * 0.5
}

// Vertices that cannot be drawn take only their own triangles with them.
TEST(Clipping, UnusableVerticesDropOnlyTheirTriangles) {
  const float nan = std::nanf("");
  struct Case {
    const char* name;
    bool pretransformed;
    float badX;
  };
  const Case cases[] = {
      {"not a number", false, nan},
      {"infinite", false, INFINITY},
      {"pretransformed not a number", true, nan},
      {"pretransformed beyond any screen", true, 1.0e30f},
  };
  for (const Case& c : cases) {
    Canvas canvas(8, 8, 0);
    DrawCall call = BasicDraw(canvas);
    std::vector<ColorTexVertex> clip = {{-1, 1, 0.5f, ~0u, 0, 0}, {0, 1, 0.5f, ~0u, 0, 0},
                                        {-1, 0, 0.5f, ~0u, 0, 0}, {c.badX, -1, 0.5f, ~0u, 0, 0},
                                        {1, -1, 0.5f, ~0u, 0, 0}, {1, 0, 0.5f, ~0u, 0, 0}};
    std::vector<ScreenSpaceVertex> screen = {{0, 0, 0.5f, 1, ~0u, 0, 0}, {4, 0, 0.5f, 1, ~0u, 0, 0},
                                             {0, 4, 0.5f, 1, ~0u, 0, 0}, {c.badX, 8, 0.5f, 1, ~0u, 0, 0},
                                             {8, 8, 0.5f, 1, ~0u, 0, 0}, {8, 4, 0.5f, 1, ~0u, 0, 0}};
    call.vertices = c.pretransformed ? StreamOf(screen) : StreamOf(clip);
    SetTriangleList(call, 2);
    Device device(1);
    ASSERT_EQ(device.Draw(call), Status::Ok) << c.name;
    EXPECT_EQ(canvas.At(1, 1), ~0u) << c.name;
    EXPECT_EQ(canvas.At(7, 6), 0u) << c.name;
  }
}

}  // namespace
}  // namespace refdevice::testing
