// Processing eight vertices at once must give exactly what the scalar steps give, field by
// field and bit by bit: random transforms and positions, and the values where outcodes and
// division meet their edges, under each vertex layout the saver's draws use.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "guard_page.h"
#include "simd_level.h"
#include "vertex_avx2.h"
#include "vertex_processing.h"

namespace refdevice::testing {
namespace {

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

void ExpectSameFloats(const float* expected, const float* actual, int count, const char* field, size_t vertex) {
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(Bits(actual[i]), Bits(expected[i])) << field << "[" << i << "] of vertex " << vertex;
  }
}

struct LayoutCase {
  const char* name;
  VertexLayout layout;
};

// A stream of `count` vertices in `layout`, its bytes random but for the fields the layout
// names: positions spread around the view, some of them far off, NaN or infinite.
std::vector<uint8_t> RandomStream(const VertexLayout& layout, size_t count, std::mt19937& random) {
  std::vector<uint8_t> bytes(count * layout.strideBytes);
  for (uint8_t& byte : bytes) byte = uint8_t(random());
  std::uniform_real_distribution<float> near(-3.0f, 3.0f), far(-1e8f, 1e8f);
  const float special[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(), -0.0f, 1e38f};
  auto put = [&](size_t vertex, int offset, float value) {
    std::memcpy(bytes.data() + vertex * layout.strideBytes + offset, &value, sizeof value);
  };
  for (size_t v = 0; v < count; ++v) {
    for (int axis = 0; axis < 3; ++axis) {
      float value = v % 13 == 5 ? far(random) : near(random);
      if (v % 29 == 7 && axis == int(v % 3)) value = special[v % 5];
      put(v, layout.positionOffset + 4 * axis, value);
    }
    if (layout.texcoordOffset != kAbsent) {
      put(v, layout.texcoordOffset, near(random));
      put(v, layout.texcoordOffset + 4, near(random));
    }
  }
  return bytes;
}

TEST(ProcessVerticesEightWide, GivesWhatTheScalarStepsGive) {
  if (ProcessorSimdLevel() != SimdLevel::Avx2) GTEST_SKIP() << "this processor has no AVX2";
  const LayoutCase layouts[] = {
      {"position and texture coordinates (the disc)", {20, 0, false, kAbsent, kAbsent, 12}},
      {"position, diffuse and texture coordinates (the quads)", {24, 0, false, kAbsent, 12, 16}},
      {"position, normal and texture coordinates (a mesh)", {32, 0, false, 12, kAbsent, 24}},
      {"position and diffuse only", {16, 0, false, kAbsent, 12, kAbsent}},
  };
  std::mt19937 random(41);
  std::uniform_real_distribution<float> element(-2.0f, 2.0f);
  for (const LayoutCase& c : layouts) {
    SCOPED_TRACE(c.name);
    const size_t count = 203;
    const std::vector<uint8_t> bytes = RandomStream(c.layout, count, random);
    const VertexStream stream{bytes.data(), count, c.layout};
    // A perspective projection, so that w varies, passes zero and turns negative.
    Matrix m;
    for (auto& row : m.m) {
      for (float& value : row) value = element(random);
    }
    const Viewport viewport{3, 5, 800, 600, 0.2f, 0.9f};
    const GuardBand band = ComputeGuardBand(viewport);

    const size_t first = 1;  // a stream position that is not the start
    std::vector<uint32_t> outcodes(count);
    std::vector<ScreenVertex> screen(count);
    const size_t done =
        ProcessVerticesEightWide(stream, first, count - first, m, band, viewport, outcodes.data(), screen.data());
    EXPECT_EQ(done, (count - first) / 8 * 8) << "whole groups of eight";
    size_t onScreen = 0;
    for (size_t i = 0; i < done; ++i) {
      const ClipVertex expected = FetchVertex(stream, first + i, m);
      const uint32_t code = ComputeOutcode(expected, band);
      ASSERT_EQ(outcodes[i], code) << "vertex " << i;
      if (code != 0) continue;
      ++onScreen;
      const ScreenVertex projected = ProjectToScreen(expected, viewport);
      const float expectedScreen[4] = {projected.x, projected.y, projected.z, projected.q};
      const float actualScreen[4] = {screen[i].x, screen[i].y, screen[i].z, screen[i].q};
      ExpectSameFloats(expectedScreen, actualScreen, 4, "screen position", i);
      ExpectSameFloats(projected.color, screen[i].color, 4, "screen color", i);
      ExpectSameFloats(projected.texcoord, screen[i].texcoord, 2, "screen texcoord", i);
    }
    // The fixture is meant to reach both kinds of vertex.
    EXPECT_GT(onScreen, 0u);
    EXPECT_LT(onScreen, done);
  }
}

// Where the position is a vertex's last element, the stream's last vertex ends with it: eight
// vertices that end where an unreadable page begins are read without passing their end.
TEST(ProcessVerticesEightWide, ReadsNothingPastTheLastVertex) {
  if (ProcessorSimdLevel() != SimdLevel::Avx2) GTEST_SKIP() << "this processor has no AVX2";
  const LayoutCase layouts[] = {
      {"position only", {12, 0, false, kAbsent, kAbsent, kAbsent}},
      {"texture coordinates, then the position", {20, 8, false, kAbsent, kAbsent, 0}},
  };
  std::mt19937 random(53);
  for (const LayoutCase& c : layouts) {
    SCOPED_TRACE(c.name);
    const size_t count = 8;
    const std::vector<uint8_t> bytes = RandomStream(c.layout, count, random);
    BytesBeforeGuardPage storage(bytes.size());
    ASSERT_NE(storage.bytes(), nullptr);
    std::memcpy(storage.bytes(), bytes.data(), bytes.size());
    const VertexStream stream{storage.bytes(), count, c.layout};
    const Viewport viewport{0, 0, 64, 64, 0.0f, 1.0f};
    std::vector<uint32_t> outcodes(count);
    std::vector<ScreenVertex> screen(count);
    ASSERT_EQ(ProcessVerticesEightWide(stream, 0, count, Matrix{}, ComputeGuardBand(viewport), viewport,
                                       outcodes.data(), screen.data()),
              count);
    for (size_t i = 0; i < count; ++i) {
      EXPECT_EQ(outcodes[i], ComputeOutcode(FetchVertex(stream, i, Matrix{}), ComputeGuardBand(viewport))) << i;
    }
  }
}

// Layouts not made of whole floats, and pretransformed ones, are left to the
// scalar steps.
TEST(ProcessVerticesEightWide, LeavesOtherLayoutsToTheScalarSteps) {
  if (ProcessorSimdLevel() != SimdLevel::Avx2) GTEST_SKIP() << "this processor has no AVX2";
  const LayoutCase layouts[] = {
      {"stride not whole floats", {22, 0, false, kAbsent, kAbsent, 12}},
      {"texture coordinates not on a float", {24, 0, false, kAbsent, kAbsent, 14}},
      {"pretransformed", {24, 0, true, kAbsent, 16, kAbsent}},
  };
  std::vector<uint8_t> bytes(64 * 32);
  for (const LayoutCase& c : layouts) {
    const VertexStream stream{bytes.data(), 64, c.layout};
    std::vector<uint32_t> outcodes(16);
    std::vector<ScreenVertex> screen(16);
    EXPECT_EQ(
        ProcessVerticesEightWide(stream, 0, 16, Matrix{}, {1, 1}, {0, 0, 8, 8, 0, 1}, outcodes.data(), screen.data()),
        0u)
        << c.name;
  }
}

}  // namespace
}  // namespace refdevice::testing
