// Texture sampling: addressing, bilinear weights, texel-exact mapping and mip selection.
#include <gtest/gtest.h>

#include "render_fixture.h"
#include "sampler.h"

namespace refdevice::testing {
namespace {

TEST(Addressing, FoldsIndicesIntoTheTexture) {
  struct Case {
    Address mode;
    int size;
    int64_t index;
    int expected;
  };
  const Case cases[] = {
      {Address::Wrap, 4, 5, 1},   {Address::Wrap, 4, -1, 3},   {Address::Wrap, 3, -1, 2},
      {Address::Wrap, 3, 7, 1},   {Address::Mirror, 4, 4, 3},  {Address::Mirror, 4, 7, 0},
      {Address::Mirror, 4, 8, 0}, {Address::Mirror, 4, -1, 0}, {Address::Mirror, 4, -5, 3},
      {Address::Mirror, 3, 3, 2}, {Address::Mirror, 3, -2, 1}, {Address::Clamp, 4, -9, 0},
      {Address::Clamp, 4, 9, 3},  {Address::Mirror, 1, 5, 0},  {Address::Wrap, 4, int64_t(1) << 40, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyAddressing(c.index, c.size, c.mode), c.expected)
        << "mode " << int(c.mode) << " size " << c.size << " index " << c.index;
  }
}

TEST(Bilinear, WeightsFollowTexelCentres) {
  // Two texels, blue 0 and 200; centres at u = 0.25 and 0.75.
  std::vector<uint32_t> texels = {0xFF000000u, 0xFF0000C8u};
  TextureLevel level{texels.data(), 2, 1, 8};
  struct Case {
    Address mode;
    float u;
    uint32_t blue;
  };
  const Case cases[] = {
      {Address::Clamp, 0.25f, 0},   {Address::Clamp, 0.75f, 200},  {Address::Clamp, 0.5f, 100},
      {Address::Clamp, 0.375f, 50}, {Address::Clamp, 0.0f, 0},     {Address::Clamp, 1.0f, 200},
      {Address::Wrap, 0.0f, 100},   {Address::Wrap, 1.0f, 100},    {Address::Mirror, 0.0f, 0},
      {Address::Mirror, 1.0f, 200}, {Address::Mirror, 1.25f, 200}, {Address::Wrap, 1.25f, 0},
  };
  for (const Case& c : cases) {
    uint32_t sample = SampleLevel(level, Filter::Linear, c.mode, Address::Clamp, c.u, 0.5f);
    EXPECT_EQ(sample & 0xFFu, c.blue) << "mode " << int(c.mode) << " u " << c.u;
    EXPECT_EQ(sample >> 24, 0xFFu);
  }
  // Two dimensions: the centre of a 2 x 2 texture is the mean of its four texels.
  std::vector<uint32_t> square = {0u, 100u, 200u, 44u};
  TextureLevel squareLevel{square.data(), 2, 2, 8};
  EXPECT_EQ(SampleLevel(squareLevel, Filter::Linear, Address::Clamp, Address::Clamp, 0.5f, 0.5f) & 0xFFu,
            86u);  // (0 + 100 + 200 + 44) / 4
}

// An 8 x 8 quad over 8 x 8 pixels, corners on pixel corners: each pixel centre falls on a texel
// centre and reads that texel unchanged under either filter, pretransformed or not.
TEST(TexturedQuad, MapsTexelsToPixelsExactly) {
  std::vector<uint32_t> texels(64);
  for (int i = 0; i < 64; ++i) texels[i] = 0xFF000000u | (uint32_t(i) * 0x030507u);
  Texture texture = TextureOf(texels, 8, 8);
  for (Filter filter : {Filter::Point, Filter::Linear}) {
    for (bool pretransformed : {true, false}) {
      Canvas canvas(8, 8);
      DrawCall call = BasicDraw(canvas);
      call.stage.color = {StageOperation::SelectArg1, StageArgument::Texture, StageArgument::Diffuse};
      call.stage.alpha = call.stage.color;
      call.stage.texture = &texture;
      call.stage.sampler = {filter, filter, MipFilter::None, Address::Wrap, Address::Wrap};
      std::vector<ScreenSpaceVertex> screen = {{-0.5f, -0.5f, 0, 1, ~0u, 0, 0},
                                               {7.5f, -0.5f, 0, 1, ~0u, 1, 0},
                                               {-0.5f, 7.5f, 0, 1, ~0u, 0, 1},
                                               {7.5f, 7.5f, 0, 1, ~0u, 1, 1}};
      // The same corners in clip space: screen X = (x + 1) * 4, Y = (1 - y) * 4.
      std::vector<ColorTexVertex> clip;
      for (const ScreenSpaceVertex& v : screen) clip.push_back({v.x / 4 - 1, 1 - v.y / 4, 0, ~0u, v.u, v.v});
      call.vertices = pretransformed ? StreamOf(screen) : StreamOf(clip);
      call.range.type = PrimitiveType::TriangleStrip;
      call.range.primitiveCount = 2;
      Device device(1);
      ASSERT_EQ(device.Draw(call), Status::Ok);
      EXPECT_EQ(canvas.pixels, texels) << "filter " << int(filter) << (pretransformed ? " pretransformed" : "");
    }
  }
}

// One row of four texels, 0..3 in blue, stretched over eight pixels with u running 0..2.
TEST(TexturedQuad, AddressingModesRepeatTheImage) {
  std::vector<uint32_t> texels = {0xFF000000u, 0xFF000001u, 0xFF000002u, 0xFF000003u};
  Texture texture = TextureOf(texels, 4, 1);
  struct Case {
    Address mode;
    uint32_t expected[8];
  };
  const Case cases[] = {
      {Address::Wrap, {0, 1, 2, 3, 0, 1, 2, 3}},
      {Address::Mirror, {0, 1, 2, 3, 3, 2, 1, 0}},
      {Address::Clamp, {0, 1, 2, 3, 3, 3, 3, 3}},
  };
  for (const Case& c : cases) {
    Canvas canvas(8, 1);
    DrawCall call = BasicDraw(canvas);
    call.stage.color = {StageOperation::SelectArg1, StageArgument::Texture, StageArgument::Diffuse};
    call.stage.texture = &texture;
    call.stage.sampler = {Filter::Point, Filter::Point, MipFilter::None, c.mode, c.mode};
    std::vector<ScreenSpaceVertex> quad = {{-0.5f, -0.5f, 0, 1, ~0u, 0, 0},
                                           {7.5f, -0.5f, 0, 1, ~0u, 2, 0},
                                           {-0.5f, 0.5f, 0, 1, ~0u, 0, 1},
                                           {7.5f, 0.5f, 0, 1, ~0u, 2, 1}};
    call.vertices = StreamOf(quad);
    call.range.type = PrimitiveType::TriangleStrip;
    call.range.primitiveCount = 2;
    Device device(1);
    ASSERT_EQ(device.Draw(call), Status::Ok);
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(canvas.At(x, 0) & 0xFFu, c.expected[x]) << "mode " << int(c.mode) << " x " << x;
  }
}

// Levels 8 x 8, 4 x 4, 2 x 2 and 1 x 1 in four colours; a quad showing the whole texture on
// N x N pixels has level of detail log2(8 / N).
TEST(MipSelection, PicksLevelsByTexelsPerPixel) {
  const uint32_t colors[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
  std::vector<uint32_t> levels[4];
  Texture texture;
  for (int level = 0; level < 4; ++level) {
    int size = 8 >> level;
    levels[level].assign(size_t(size) * size, colors[level]);
    texture.levels[level] = {levels[level].data(), size, size, size_t(size) * 4};
  }
  texture.levelCount = 4;
  struct Case {
    int pixels;
    MipFilter mip;
    Filter min, mag;
    uint32_t expected;
  };
  const Case cases[] = {
      {8, MipFilter::Point, Filter::Point, Filter::Point, colors[0]},
      {4, MipFilter::Point, Filter::Point, Filter::Point, colors[1]},
      {2, MipFilter::Point, Filter::Point, Filter::Point, colors[2]},
      {1, MipFilter::Point, Filter::Point, Filter::Point, colors[3]},
      {2, MipFilter::None, Filter::Point, Filter::Point, colors[0]},
      {4, MipFilter::Linear, Filter::Point, Filter::Point, colors[1]},
      {16, MipFilter::Point, Filter::Point, Filter::Point, colors[0]},
      // Between levels 1 and 2 (lod 1.5 for about 2.83 pixels) a linear mip filter mixes them.
      {3, MipFilter::Linear, Filter::Point, Filter::Point, 0},
  };
  for (const Case& c : cases) {
    Canvas canvas(16, 16, 0);
    DrawCall call = BasicDraw(canvas);
    call.stage.color = {StageOperation::SelectArg1, StageArgument::Texture, StageArgument::Diffuse};
    call.stage.alpha = call.stage.color;
    call.stage.texture = &texture;
    call.stage.sampler = {c.min, c.mag, c.mip, Address::Clamp, Address::Clamp};
    float edge = c.pixels - 0.5f;
    std::vector<ScreenSpaceVertex> quad = {{-0.5f, -0.5f, 0, 1, ~0u, 0, 0},
                                           {edge, -0.5f, 0, 1, ~0u, 1, 0},
                                           {-0.5f, edge, 0, 1, ~0u, 0, 1},
                                           {edge, edge, 0, 1, ~0u, 1, 1}};
    call.vertices = StreamOf(quad);
    call.range.type = PrimitiveType::TriangleStrip;
    call.range.primitiveCount = 2;
    Device device(1);
    ASSERT_EQ(device.Draw(call), Status::Ok);
    uint32_t pixel = canvas.At(0, 0);
    if (c.expected != 0) {
      EXPECT_EQ(pixel, c.expected) << c.pixels << " pixels, mip filter " << int(c.mip);
    } else {
      // lod = log2(8 / 3) = 1.415: 58 % of level 1 (green) and 42 % of level 2 (blue).
      EXPECT_NEAR(double((pixel >> 8) & 0xFF), 0.585 * 255, 2.0);
      EXPECT_NEAR(double(pixel & 0xFF), 0.415 * 255, 2.0);
    }
  }
}

// Minified and magnified draws take their own filter when the two differ.
TEST(MipSelection, MagnificationAndMinificationUseTheirFilters) {
  std::vector<uint32_t> texels = {0xFF000000u, 0xFF0000C8u};  // blue 0 | 200
  Texture texture = TextureOf(texels, 2, 1);
  for (bool magnified : {true, false}) {
    Canvas canvas(16, 1, 0);
    DrawCall call = BasicDraw(canvas);
    call.stage.color = {StageOperation::SelectArg1, StageArgument::Texture, StageArgument::Diffuse};
    call.stage.texture = &texture;
    call.stage.sampler = {magnified ? Filter::Point : Filter::Linear, magnified ? Filter::Linear : Filter::Point,
                          MipFilter::None, Address::Clamp, Address::Clamp};
    // Magnified: 16 pixels over the two texels. Minified: one pixel over 2 x 16 repeats.
    float uEnd = magnified ? 1.0f : 16.0f;
    std::vector<ScreenSpaceVertex> quad = {{-0.5f, -0.5f, 0, 1, ~0u, 0, 0},
                                           {15.5f, -0.5f, 0, 1, ~0u, uEnd, 0},
                                           {-0.5f, 0.5f, 0, 1, ~0u, 0, 1},
                                           {15.5f, 0.5f, 0, 1, ~0u, uEnd, 1}};
    call.vertices = StreamOf(quad);
    call.range.type = PrimitiveType::TriangleStrip;
    call.range.primitiveCount = 2;
    Device device(1);
    ASSERT_EQ(device.Draw(call), Status::Ok);
    // Pixel 7 sits at u = 15/32 magnified: linear gives a mix. Minified, both filters differ
    // in kind: the point filter (chosen for minification here) gives a pure texel.
    uint32_t blue = canvas.At(7, 0) & 0xFF;
    if (magnified) {
      EXPECT_GT(blue, 0u);
      EXPECT_LT(blue, 200u);
    } else {
      EXPECT_TRUE(blue == 0 || blue == 200) << blue;
    }
  }
}

}  // namespace
}  // namespace refdevice::testing
