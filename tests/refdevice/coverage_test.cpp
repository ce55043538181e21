// Which pixels a triangle covers: pixel centres on integer coordinates, the top-left fill
// rule, shared edges drawn exactly once, and culling by winding.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "render_fixture.h"
#include "setup.h"

namespace refdevice::testing {
namespace {

constexpr uint32_t kOneCount = 0x00000001u;  // blue 1: additive blending counts coverage

// Draws pretransformed triangles additively and returns how often each pixel was covered.
std::vector<uint32_t> CoverageCounts(int width, int height, const std::vector<ScreenSpaceVertex>& vertices) {
  Canvas canvas(width, height, 0x00000000u);
  DrawCall call = BasicDraw(canvas);
  call.blend = AddBlend();
  call.vertices = StreamOf(vertices);
  SetTriangleList(call, unsigned(vertices.size() / 3));
  Device device(1);
  EXPECT_EQ(device.Draw(call), Status::Ok);
  std::vector<uint32_t> counts;
  for (uint32_t pixel : canvas.pixels) counts.push_back(pixel & 0xFFu);
  return counts;
}

ScreenSpaceVertex At(float x, float y) { return {x, y, 0.5f, 1.0f, kOneCount, 0, 0}; }

struct FillRuleCase {
  const char* name;
  std::vector<ScreenSpaceVertex> triangle;
  std::function<bool(int, int)> covers;
};

TEST(FillRule, PixelCentresOnEdgesFollowTopLeftRule) {
  const FillRuleCase cases[] = {
      {"top and left edges are included, the slanted right edge is not",
       {At(0, 0), At(4, 0), At(0, 4)},
       [](int x, int y) { return x + y < 4; }},
      {"bottom and right edges are excluded, the slanted left edge is included",
       {At(4, 0), At(4, 4), At(0, 4)},
       [](int x, int y) { return x + y >= 4 && x < 4 && y < 4; }},
      {"counter-clockwise corners give the same pixels",
       {At(0, 0), At(0, 4), At(4, 0)},
       [](int x, int y) { return x + y < 4; }},
      {"a horizontal bottom edge through centres is excluded",
       {At(1, 1), At(5, 3), At(1, 3)},
       [](int x, int y) { return y >= 1 && y < 3 && x >= 1 && 2 * (y - 1) > (x - 1); }},
      {"a thin sliver between centres covers nothing",
       {At(0.2f, 0.2f), At(5.8f, 0.2f), At(5.8f, 0.8f)},
       [](int, int) { return false; }},
  };
  for (const FillRuleCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint32_t> counts = CoverageCounts(8, 8, c.triangle);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        bool expected = x >= 0 && y >= 0 && c.covers(x, y);
        EXPECT_EQ(counts[y * 8 + x], expected ? 1u : 0u) << "pixel " << x << "," << y;
      }
    }
  }
}

// A jittered grid of triangles whose outer border runs between pixel centres: every pixel
// inside must be drawn exactly once, whatever the slopes of the shared inner edges. Small cells
// are walked pixel by pixel, large ones get their runs from the edge equations.
TEST(FillRule, SharedEdgesOfAMeshAreDrawnOnce) {
  constexpr int kCells = 6;
  for (float cellSize : {7.5f, 31.5f}) {
    const int size = int(cellSize * kCells) + 3;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> jitter(-cellSize * 0.4f, cellSize * 0.4f);
    float grid[kCells + 1][kCells + 1][2];
    for (int j = 0; j <= kCells; ++j) {
      for (int i = 0; i <= kCells; ++i) {
        bool border = i == 0 || j == 0 || i == kCells || j == kCells;
        grid[j][i][0] = 0.5f + i * cellSize + (border ? 0 : jitter(random));
        grid[j][i][1] = 0.5f + j * cellSize + (border ? 0 : jitter(random));
        // Some inner corners land exactly on pixel centres, the hardest ties.
        if (!border && (i + j) % 3 == 0) {
          grid[j][i][0] = std::round(grid[j][i][0]);
          grid[j][i][1] = std::round(grid[j][i][1]);
        }
      }
    }
    std::vector<ScreenSpaceVertex> triangles;
    auto corner = [&](int i, int j) { return At(grid[j][i][0], grid[j][i][1]); };
    for (int j = 0; j < kCells; ++j) {
      for (int i = 0; i < kCells; ++i) {
        if ((i + j) % 2 == 0) {
          triangles.insert(triangles.end(), {corner(i, j), corner(i + 1, j), corner(i + 1, j + 1)});
          triangles.insert(triangles.end(), {corner(i, j), corner(i + 1, j + 1), corner(i, j + 1)});
        } else {
          triangles.insert(triangles.end(), {corner(i, j), corner(i + 1, j), corner(i, j + 1)});
          triangles.insert(triangles.end(), {corner(i + 1, j), corner(i + 1, j + 1), corner(i, j + 1)});
        }
      }
    }
    std::vector<uint32_t> counts = CoverageCounts(size, size, triangles);
    const int last = int(0.5f + kCells * cellSize);  // the last pixel centre inside the border
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        bool inside = x >= 1 && y >= 1 && x <= last && y <= last;
        ASSERT_EQ(counts[y * size + x], inside ? 1u : 0u) << "cell " << cellSize << " pixel " << x << "," << y;
      }
    }
  }
}

// A fan around a vertex that sits exactly on a pixel centre (as the disc's centre does): that
// pixel belongs to exactly one of the triangles meeting there.
TEST(FillRule, FanCentreOnAPixelCentreIsDrawnOnce) {
  constexpr int kSectors = 12;
  std::vector<ScreenSpaceVertex> triangles;
  for (int s = 0; s < kSectors; ++s) {
    float a0 = 2 * 3.14159265f * s / kSectors, a1 = 2 * 3.14159265f * (s + 1) / kSectors;
    triangles.insert(triangles.end(), {At(8, 8), At(8 + 6 * std::cos(a0), 8 + 6 * std::sin(a0)),
                                       At(8 + 6 * std::cos(a1), 8 + 6 * std::sin(a1))});
  }
  std::vector<uint32_t> counts = CoverageCounts(16, 16, triangles);
  EXPECT_EQ(counts[8 * 16 + 8], 1u);
  for (uint32_t count : counts) EXPECT_LE(count, 1u);
}

TEST(Culling, DropsTrianglesByScreenWinding) {
  struct Case {
    CullMode cull;
    bool clockwiseDrawn, counterClockwiseDrawn;
  };
  const Case cases[] = {
      {CullMode::None, true, true},
      {CullMode::Clockwise, false, true},
      {CullMode::CounterClockwise, true, false},
  };
  // Clockwise as seen on the screen, y growing downwards.
  std::vector<ScreenSpaceVertex> clockwise = {At(1, 1), At(7, 1), At(1, 7)};
  std::vector<ScreenSpaceVertex> counterClockwise = {At(1, 1), At(1, 7), At(7, 1)};
  for (const Case& c : cases) {
    for (bool isClockwise : {true, false}) {
      Canvas canvas(8, 8, 0);
      DrawCall call = BasicDraw(canvas);
      call.cull = c.cull;
      const auto& vertices = isClockwise ? clockwise : counterClockwise;
      call.vertices = StreamOf(vertices);
      SetTriangleList(call, 1);
      Device device(1);
      ASSERT_EQ(device.Draw(call), Status::Ok);
      bool drawn = canvas.At(2, 2) != 0;
      EXPECT_EQ(drawn, isClockwise ? c.clockwiseDrawn : c.counterClockwiseDrawn)
          << "cull " << int(c.cull) << (isClockwise ? " clockwise" : " counter-clockwise");
    }
  }
}

// Through the transforms: with the left-handed camera, a triangle wound clockwise as the
// camera sees it (x right, y up) is clockwise on the screen and survives counter-clockwise
// culling, as the disc's triangles do.
TEST(Culling, WindingSeenThroughTheCameraMatchesScreenWinding) {
  Canvas canvas(16, 16, 0);
  DrawCall call = BasicDraw(canvas);
  call.cull = CullMode::CounterClockwise;
  // (0,0) -> (0,1) -> (1,0): clockwise with y up.
  std::vector<ColorTexVertex> vertices = {
      {0, 0, 0.5f, 0xFFFFFFFF, 0, 0}, {0, 0.9f, 0.5f, 0xFFFFFFFF, 0, 0}, {0.9f, 0, 0.5f, 0xFFFFFFFF, 0, 0}};
  call.vertices = StreamOf(vertices);
  SetTriangleList(call, 1);
  Device device(1);
  ASSERT_EQ(device.Draw(call), Status::Ok);
  EXPECT_NE(canvas.At(9, 6), 0u);  // upper right quadrant of the screen
  call.cull = CullMode::Clockwise;
  std::fill(canvas.pixels.begin(), canvas.pixels.end(), 0);
  ASSERT_EQ(device.Draw(call), Status::Ok);
  EXPECT_EQ(canvas.At(9, 6), 0u);
}

// The rows' runs, however they are found (walked in 32 or 64 bits, or solved for wide
// triangles), are exactly the pixel centres where all three snapped edge functions are >= 0.
TEST(Coverage, RunsAreExactlyThePixelsTheEdgeFunctionsAccept) {
  constexpr int kWidth = 150, kHeight = 90;
  std::vector<std::vector<ScreenSpaceVertex>> triangles = {
      {At(3.3f, 2.2f), At(6.1f, 4.9f), At(2.0f, 5.5f)},                  // a few pixels
      {At(60.5f, 1.0f), At(63.2f, 88.7f), At(61.0f, 88.0f)},             // thin and tall, across tile rows
      {At(20.25f, -400000.0f), At(22.75f, 400000.0f), At(21.0f, 0.0f)},  // thin, edges too large for 32 bits
      {At(-700000.0f, 30.5f), At(700000.0f, 33.0f), At(0.0f, 31.0f)},    // wide sliver, far-off corners
      {At(10.0f, 10.0f), At(140.0f, 20.0f), At(30.0f, 85.0f)},           // wide: runs solved per row
  };
  std::mt19937 random(3);
  std::uniform_real_distribution<float> centre(-5.0f, 155.0f), offset(-6.0f, 6.0f);
  for (int t = 0; t < 200; ++t) {
    float x = centre(random), y = centre(random) * 0.6f;
    triangles.push_back({At(x + offset(random), y + offset(random)), At(x + offset(random), y + offset(random)),
                         At(x + offset(random), y + offset(random))});
  }
  for (size_t t = 0; t < triangles.size(); ++t) {
    std::vector<uint32_t> expected(size_t(kWidth) * kHeight, 0);
    ScreenVertex corners[3];
    for (int i = 0; i < 3; ++i) corners[i] = {triangles[t][i].x, triangles[t][i].y, 0.5f, 1.0f, {}, {}};
    SetupTriangle setup;
    TriangleExtras extras;
    if (SetupScreenTriangle(corners[0], corners[1], corners[2], CullMode::None, {0, 0, kWidth - 1, kHeight - 1}, setup,
                            extras)) {
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          bool inside = true;
          for (const EdgeFunction& edge : setup.edges) {
            inside = inside && edge.At(x, y, setup.minX, setup.minY) >= 0;
          }
          expected[size_t(y) * kWidth + x] = inside ? 1u : 0u;
        }
      }
    }
    EXPECT_EQ(CoverageCounts(kWidth, kHeight, triangles[t]), expected) << "triangle " << t;
  }
}

// Setup marks a triangle for walking in 32 bits only where every edge value such a walk meets,
// from seven columns left of its bounds to seven right and one row below, fits. Slivers ever
// taller and longer cross from fitting to not.
TEST(SmallWalk, IsMarkedOnlyWhereEveryValueFitsIn32Bits) {
  constexpr int kSize = 4000;
  int marked = 0, unmarked = 0;
  for (float length = 2.0f; length < 3000.0f; length *= 1.19f) {
    for (float lean : {0.0f, 3.7f, -41.3f}) {
      ScreenVertex corners[3] = {{100.3f, 10.0f, 0.5f, 1, {}, {}},
                                 {103.1f + lean, 10.0f + length, 0.5f, 1, {}, {}},
                                 {101.9f - lean, 10.6f + length / 2, 0.5f, 1, {}, {}}};
      SetupTriangle t;
      TriangleExtras extras;
      ASSERT_TRUE(
          SetupScreenTriangle(corners[0], corners[1], corners[2], CullMode::None, {0, 0, kSize, kSize}, t, extras));
      (t.smallWalk ? marked : unmarked) += 1;
      if (!t.smallWalk) continue;
      for (int i = 0; i < 3; ++i) {
        const EdgeFunction& edge = t.edges[i];
        auto value = [&](int64_t x, int64_t y) { return edge.At(x, y, t.minX, t.minY); };
        for (int64_t x : {t.minX - 7, t.maxX + 7}) {
          for (int64_t y : {t.minY, t.maxY + 1}) {
            EXPECT_EQ(value(x, y), int64_t(int32_t(value(x, y))))
                << "length " << length << ", corner " << x << ", " << y;
          }
        }
      }
    }
  }
  EXPECT_GT(marked, 0);
  EXPECT_GT(unmarked, 0);
}

}  // namespace
}  // namespace refdevice::testing
