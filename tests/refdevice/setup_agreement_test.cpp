// Setting up eight triangles at once must keep exactly the triangles SetupScreenTriangle keeps,
// with the same records: random plain triangles (one w, one colour) and the cases where the
// rounding and the rules meet their edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "render_fixture.h"
#include "setup.h"
#include "setup_avx2.h"
#include "simd_level.h"

namespace refdevice::testing {
namespace {

// Records compared field by field: padding is not part of a record.
void ExpectSameRecord(const SetupTriangle& expected, const SetupTriangle& actual, int index) {
  SCOPED_TRACE(index);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(actual.edges[i].start, expected.edges[i].start);
    EXPECT_EQ(actual.edges[i].a, expected.edges[i].a);
    EXPECT_EQ(actual.edges[i].b, expected.edges[i].b);
  }
  EXPECT_EQ(actual.minX, expected.minX);
  EXPECT_EQ(actual.minY, expected.minY);
  EXPECT_EQ(actual.maxX, expected.maxX);
  EXPECT_EQ(actual.maxY, expected.maxY);
  EXPECT_EQ(actual.smallWalk, expected.smallWalk);
  auto bits = [](float value) {
    uint32_t word;
    std::memcpy(&word, &value, 4);
    return word;
  };
  auto expectPlane = [&](const AttributePlane& e, const AttributePlane& a) {
    EXPECT_EQ(bits(a.a), bits(e.a));
    EXPECT_EQ(bits(a.b), bits(e.b));
    EXPECT_EQ(bits(a.c), bits(e.c));
  };
  EXPECT_EQ(bits(actual.originX), bits(expected.originX));
  EXPECT_EQ(bits(actual.originY), bits(expected.originY));
  expectPlane(expected.depth, actual.depth);
  for (int i = 0; i < 2; ++i) expectPlane(expected.texcoord[i], actual.texcoord[i]);
  // The triangles set up eight at a time have no perspective and one colour: nothing extra.
  EXPECT_EQ(actual.extras, nullptr);
  EXPECT_EQ(expected.extras, nullptr);
  EXPECT_EQ(actual.flatDiffuse, expected.flatDiffuse);
}

// Every triangle of `corners` (three vertices each) set up both ways, eight at a time.
void ExpectSameSetup(const std::vector<ScreenVertex>& vertices, CullMode cull, const ScissorRect& scissor) {
  const int triangles = int(vertices.size() / 3);
  for (int first = 0; first < triangles; first += 8) {
    int32_t corners[3][8] = {};
    unsigned lanes = 0;
    for (int lane = 0; lane < 8 && first + lane < triangles; ++lane) {
      lanes |= 1u << lane;
      for (int i = 0; i < 3; ++i) corners[i][lane] = 3 * (first + lane) + i;
    }
    SetupTriangle eight[8];
    const unsigned kept = SetupEightTriangles(vertices.data(), corners, lanes, cull, scissor, eight);
    EXPECT_EQ(kept & ~lanes, 0u);
    for (int lane = 0; lane < 8 && first + lane < triangles; ++lane) {
      const int t = first + lane;
      SetupTriangle one;
      TriangleExtras extras;
      const bool keptOne =
          SetupScreenTriangle(vertices[3 * t], vertices[3 * t + 1], vertices[3 * t + 2], cull, scissor, one, extras);
      ASSERT_EQ((kept >> lane) & 1, keptOne ? 1u : 0u) << "triangle " << t;
      if (keptOne) ExpectSameRecord(one, eight[lane], t);
    }
  }
}

ScreenVertex Plain(float x, float y, float z, const float color[4], float u, float v) {
  return {x, y, z, 0.04f, {color[0], color[1], color[2], color[3]}, {u, v}};
}

TEST(SetupEightTriangles, KeepsAndBuildsWhatSetupScreenTriangleDoes) {
  if (ProcessorSimdLevel() != SimdLevel::Avx2) GTEST_SKIP() << "this processor has no AVX2";
  std::mt19937 random(31);
  std::uniform_real_distribution<float> position(-300.0f, 1100.0f), nearby(-6.0f, 6.0f), unit(0.0f, 1.0f),
      texcoord(-3.0f, 5.0f), channel(-20.0f, 280.0f);
  std::vector<ScreenVertex> vertices;
  for (int t = 0; t < 2000; ++t) {
    const float color[4] = {channel(random), channel(random), channel(random), channel(random)};
    const bool small = t % 2 == 0;
    const float cx = position(random), cy = position(random);
    for (int i = 0; i < 3; ++i) {
      float x = small ? cx + nearby(random) : position(random), y = small ? cy + nearby(random) : position(random);
      if (t % 7 == 0) x = std::round(x * 256.0f) / 256.0f + 0.5f / 256.0f;  // exactly half a subpixel: a rounding tie
      if (t % 11 == 0) y = std::round(y);                                   // corners on pixel centres
      vertices.push_back(Plain(x, y, unit(random), color, texcoord(random), texcoord(random)));
    }
  }
  const float white[4] = {255, 255, 255, 255};
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float oddColor[4] = {nan, -0.0f, 254.5f, 300.0f};
  const std::vector<ScreenVertex> edgeCases = {
      // Zero area: three corners on one line.
      Plain(10, 10, 0.5f, white, 0, 0),
      Plain(20, 20, 0.5f, white, 1, 0),
      Plain(30, 30, 0.5f, white, 0, 1),
      // Beyond the largest coordinate, and NaN.
      Plain(-2e6f, 10, 0.5f, white, 0, 0),
      Plain(20, 20, 0.5f, white, 1, 0),
      Plain(30, 5, 0.5f, white, 0, 1),
      Plain(nan, 10, 0.5f, white, 0, 0),
      Plain(20, 20, 0.5f, white, 1, 0),
      Plain(30, 5, 0.5f, white, 0, 1),
      // Negative zero and coordinates left of and above the target.
      Plain(-0.0f, -0.0f, 0.5f, white, 0, 0),
      Plain(-40, 12.5f, 0.5f, white, 1, 0),
      Plain(9.5f, -3, 0.5f, white, 0, 1),
      // Horizontal and vertical edges (the top-left rule's cases), both windings.
      Plain(4, 4, 0.2f, white, 0, 0),
      Plain(12, 4, 0.4f, white, 1, 0),
      Plain(4, 12, 0.6f, white, 0, 1),
      Plain(4, 4, 0.2f, white, 0, 0),
      Plain(4, 12, 0.4f, white, 1, 0),
      Plain(12, 4, 0.6f, white, 0, 1),
      // Outside the scissor rectangle.
      Plain(2000, 2000, 0.5f, white, 0, 0),
      Plain(2010, 2000, 0.5f, white, 1, 0),
      Plain(2000, 2010, 0.5f, white, 0, 1),
      // Colour channels that are NaN, negative zero, halfway and beyond 255.
      Plain(3, 3, 0.5f, oddColor, 0, 0),
      Plain(30, 5, 0.5f, oddColor, 1, 0),
      Plain(8, 25, 0.5f, oddColor, 0, 1),
      // Near the largest coordinate.
      Plain(-1048575.0f, 3, 0.5f, white, 0, 0),
      Plain(1048575.0f, 7, 0.5f, white, 1, 0),
      Plain(17, 1048575.0f, 0.5f, white, 0, 1),
  };
  vertices.insert(vertices.end(), edgeCases.begin(), edgeCases.end());
  const ScissorRect scissor{0, 0, 799, 599};
  for (CullMode cull : {CullMode::None, CullMode::Clockwise, CullMode::CounterClockwise}) {
    SCOPED_TRACE(int(cull));
    ExpectSameSetup(vertices, cull, scissor);
  }
  // Slivers ever longer, on a large target: the check of the small walk goes from fitting to not.
  std::vector<ScreenVertex> slivers;
  for (float length = 2.0f; length < 3000.0f; length *= 1.07f) {
    const float lean = length / 40.0f;
    slivers.push_back(Plain(100.3f, 10.0f, 0.5f, white, 0, 0));
    slivers.push_back(Plain(103.1f + lean, 10.0f + length, 0.5f, white, 1, 0));
    slivers.push_back(Plain(101.9f - lean, 10.6f + length / 2, 0.5f, white, 0, 1));
  }
  ExpectSameSetup(slivers, CullMode::None, {0, 0, 3999, 3999});
}

// In one draw, plain triangles are set up eight at a time and the others (per-corner colours,
// corners behind the near plane) one at a time: they must still reach every tile in draw
// order. Blending over each other shows the order; one triangle per draw is the reference.
TEST(SetupEightTriangles, KeepsDrawOrderAmongOtherTriangles) {
  std::mt19937 random(37);
  std::uniform_real_distribution<float> position(-1.1f, 1.1f), nearby(-0.15f, 0.15f), depth(0.1f, 0.9f);
  std::vector<ColorTexVertex> vertices;
  for (int t = 0; t < 300; ++t) {
    const float cx = position(random) * 0.7f, cy = position(random) * 0.7f;
    const uint32_t alpha = 0x80000000u;
    const uint32_t color = alpha | (uint32_t(random()) & 0x00FFFFFFu);
    for (int i = 0; i < 3; ++i) {
      const bool perCorner = t % 5 == 1, behindNearPlane = t % 9 == 4 && i == 0;
      vertices.push_back({cx + nearby(random), cy + nearby(random), behindNearPlane ? -0.5f : depth(random),
                          perCorner ? (alpha | (uint32_t(random()) & 0x00FFFFFFu)) : color, 0, 0});
    }
  }
  Canvas together(80, 60), oneByOne(80, 60);
  DrawCall call = BasicDraw(together);
  call.blend = {true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha};
  call.vertices = StreamOf(vertices);
  SetTriangleList(call, unsigned(vertices.size() / 3));
  Device device(2);
  ASSERT_EQ(device.Draw(call), Status::Ok);

  call.color = oneByOne.Color();
  call.depth = oneByOne.Depth();
  for (size_t t = 0; t < vertices.size() / 3; ++t) {
    call.range.firstVertex = unsigned(3 * t);
    call.range.primitiveCount = 1;
    ASSERT_EQ(device.Draw(call), Status::Ok);
  }
  EXPECT_EQ(together.pixels, oneByOne.pixels);
  EXPECT_NE(together.pixels, Canvas(80, 60).pixels) << "the triangles should have been drawn";
}

// A mesh's triangle list with 32-bit indices has its corners read eight triangles at a time
// straight from the indices, and its records written in place, dropping the culled ones: the
// same pixels as the triangles listed vertex by vertex. The indices skip spare ones at the
// front (the first index) and spare vertices (the base vertex); about half the triangles face
// away and the count is no multiple of eight. Blended textured triangles show the order, and
// the vertices' one colour, which modulates the texels, that every record has it.
TEST(SetupEightTriangles, ReadsAListsThirtyTwoBitIndicesAsItsVerticesListed) {
  std::mt19937 random(47);
  std::uniform_real_distribution<float> position(-0.9f, 0.9f), nearby(-0.12f, 0.12f), texcoord(0.0f, 1.0f);
  constexpr int kTriangles = 1001, kSpareVertices = 3, kSpareIndices = 6;
  constexpr uint32_t kColor = 0xC060A0FFu;
  std::vector<ColorTexVertex> pool(kSpareVertices, ColorTexVertex{0, 0, 0.5f, kColor, 0, 0});
  std::vector<uint32_t> indices(kSpareIndices, 0);
  std::vector<ColorTexVertex> listed;
  for (int t = 0; t < kTriangles; ++t) {
    const float cx = position(random), cy = position(random);
    for (int i = 0; i < 3; ++i) {
      const float x = cx + nearby(random), y = cy + nearby(random);
      listed.push_back({x, y, 0.5f, kColor, texcoord(random), texcoord(random)});
    }
  }
  // The pool holds the listed vertices in shuffled order; the indices find them again.
  std::vector<uint32_t> order(listed.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);
  std::vector<uint32_t> slotOf(listed.size());
  for (uint32_t slot = 0; slot < order.size(); ++slot) {
    pool.push_back(listed[order[slot]]);
    slotOf[order[slot]] = slot;
  }
  for (uint32_t i = 0; i < listed.size(); ++i) indices.push_back(slotOf[i]);

  std::vector<uint32_t> texels(16 * 16);
  for (uint32_t& texel : texels) texel = (uint32_t(random()) & 0x00FFFFFFu) | 0x80000000u;
  const Texture texture = TextureOf(texels, 16, 16);
  Canvas fromIndices(80, 60), fromList(80, 60);
  DrawCall call = BasicDraw(fromIndices);
  call.cull = CullMode::CounterClockwise;
  call.blend = {true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha};
  call.stage.color = {StageOperation::Modulate, StageArgument::Texture, StageArgument::Diffuse};
  call.stage.alpha = {StageOperation::Modulate, StageArgument::Texture, StageArgument::Diffuse};
  call.stage.texture = &texture;
  call.stage.sampler = {Filter::Linear, Filter::Linear, MipFilter::None, Address::Wrap, Address::Wrap};
  call.vertices = StreamOf(pool);
  call.indices = {indices.data(), indices.size(), IndexFormat::Bits32};
  SetTriangleList(call, kTriangles);
  call.range.firstIndex = kSpareIndices;
  call.range.baseVertex = kSpareVertices;
  Device device(2);
  ASSERT_EQ(device.Draw(call), Status::Ok);

  call.color = fromList.Color();
  call.depth = fromList.Depth();
  call.vertices = StreamOf(listed);
  call.indices = {};
  call.range.firstIndex = 0;
  call.range.baseVertex = 0;
  ASSERT_EQ(device.Draw(call), Status::Ok);
  EXPECT_EQ(fromIndices.pixels, fromList.pixels);
  EXPECT_NE(fromIndices.pixels, Canvas(80, 60).pixels) << "the triangles should have been drawn";
}

// A draw whose vertices all lie on the screen with one q and one colour has its triangles set
// up without asking of each whether it is plain. One vertex unlike the others, thousands of
// vertices along the stream, must still have its triangle set up as it is: with a colour of
// its own, with a q of its own (perspective), or clipped at the near plane. The reference is
// the same draw with a triangle of no area and another colour added, which makes the device
// ask of every triangle.
TEST(SetupEightTriangles, NoticesOneUnlikeVertexAnywhereInTheDraw) {
  struct Case {
    const char* name;
    float z;  // w too: the projection below makes w = z
    uint32_t diffuse;
  };
  const uint32_t color = 0x80FF8040u;
  const Case cases[] = {
      {"a colour of its own", 0.5f, 0x8020A0FFu},
      {"a q of its own", 0.8f, color},
      {"behind the near plane", -0.5f, color},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // 1600 small triangles: 4800 vertices, more than one worker's share.
    std::mt19937 random(43);
    std::uniform_real_distribution<float> position(-0.4f, 0.4f), nearby(-0.05f, 0.05f), texcoord(0.0f, 1.0f);
    std::vector<ColorTexVertex> alike;
    for (int t = 0; t < 1600; ++t) {
      const float cx = position(random), cy = position(random);
      for (int i = 0; i < 3; ++i) {
        alike.push_back({cx + nearby(random), cy + nearby(random), 0.5f, color, texcoord(random), texcoord(random)});
      }
    }
    std::vector<ColorTexVertex> vertices = alike;
    vertices[4700].z = c.z;
    vertices[4700].diffuse = c.diffuse;

    Canvas together(80, 60), asked(80, 60), allAlike(80, 60);
    DrawCall call = BasicDraw(together);
    call.blend = {true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha};
    // Colour texel x diffuse: a q of its own shows in where the triangle samples the texture.
    std::vector<uint32_t> texels(16 * 16);
    for (uint32_t& texel : texels) texel = uint32_t(random()) | 0xFF000000u;
    const Texture texture = TextureOf(texels, 16, 16);
    call.stage.color = {StageOperation::Modulate, StageArgument::Texture, StageArgument::Diffuse};
    call.stage.texture = &texture;
    call.stage.sampler = {Filter::Linear, Filter::Linear, MipFilter::None, Address::Wrap, Address::Wrap};
    call.transforms.projection.m[2][3] = 1.0f;
    call.transforms.projection.m[3][3] = 0.0f;
    Device device(2);
    auto draw = [&](Canvas& canvas, const std::vector<ColorTexVertex>& stream) {
      call.color = canvas.Color();
      call.depth = canvas.Depth();
      call.vertices = StreamOf(stream);
      SetTriangleList(call, unsigned(stream.size() / 3));
      ASSERT_EQ(device.Draw(call), Status::Ok);
    };
    draw(together, vertices);
    std::vector<ColorTexVertex> withNoArea = vertices;
    withNoArea.insert(withNoArea.end(), 3, ColorTexVertex{0.1f, 0.1f, 0.5f, 0x80000000u, 0, 0});
    draw(asked, withNoArea);
    EXPECT_EQ(together.pixels, asked.pixels);
    draw(allAlike, alike);
    EXPECT_NE(together.pixels, allAlike.pixels) << "the unlike vertex should show";
  }
}

}  // namespace
}  // namespace refdevice::testing
