// The SIMD span shaders, four and eight pixels wide, must give exactly the scalar pipeline's
// pixels and depths, for every state they serve: random triangles (perspective, per-vertex
// colours, coordinates far outside the texture, triangles large and tiny) drawn both ways under
// a table of states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "guard_page.h"
#include "pixel_pipeline.h"
#include "raster.h"
#include "render_fixture.h"
#include "setup.h"
#include "simd_level.h"
#include "span_simd.h"
#include "tiles.h"

namespace refdevice::testing {
namespace {

struct StateCase {
  const char* name;
  Filter filter;
  Address addressU, addressV;
  StageCombiner color, alpha;
  BlendState blend;
  CompareFunction depth;
  bool opaqueTexture;
  bool alphaInBlocks = false;  // texel alpha 0 or 255 in patches, as masks have it
};

const StageCombiner kModulate{StageOperation::Modulate, StageArgument::Texture, StageArgument::Diffuse};
const StageCombiner kModulate2x{StageOperation::Modulate2x, StageArgument::Diffuse, StageArgument::Texture};
const StageCombiner kTexture{StageOperation::SelectArg1, StageArgument::Texture, StageArgument::Current};
const StageCombiner kDiffuse{StageOperation::SelectArg2, StageArgument::Texture, StageArgument::Diffuse};
const StageCombiner kAdd{StageOperation::Add, StageArgument::Texture, StageArgument::Diffuse};
const StageCombiner kModulate4x{StageOperation::Modulate4x, StageArgument::Texture, StageArgument::Current};
const StageCombiner kDisable{StageOperation::Disable, StageArgument::Texture, StageArgument::Current};
const BlendState kOver{true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha};
const BlendState kNoBlend{false, BlendFactor::One, BlendFactor::Zero};

// The SIMD levels this processor runs: the eight-wide shader only where it has AVX2.
std::vector<SimdLevel> WidthsToCheck() {
  if (ProcessorSimdLevel() == SimdLevel::Avx2) return {SimdLevel::Sse2, SimdLevel::Avx2};
  return {SimdLevel::Sse2};
}

const char* NameOf(SimdLevel level) {
  switch (level) {
    case SimdLevel::Scalar:
      return "scalar";
    case SimdLevel::Sse2:
      return "four wide";
    case SimdLevel::Avx2:
      return "eight wide";
  }
  return "?";
}

// Texels of any value.
std::vector<uint32_t> RandomTexels(size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint32_t> texels(count);
  for (uint32_t& texel : texels) texel = uint32_t(random());
  return texels;
}

// A texture filtered linearly and blended over the canvas: colour = texel x diffuse.
DrawCall BlendedTextureDraw(Canvas& canvas, const Texture& texture, const StageCombiner& alpha, Address address) {
  DrawCall call = BasicDraw(canvas);
  call.blend = kOver;
  call.stage.color = kModulate;
  call.stage.alpha = alpha;
  call.stage.texture = &texture;
  call.stage.sampler = {Filter::Linear, Filter::Linear, MipFilter::None, address, address};
  return call;
}

// One draw's state prepared twice, for the scalar pipeline and for a SIMD shader, each drawing
// into a canvas of its own. Triangles are drawn as the device draws them: tile by tile, in
// order within a tile, the SIMD shader's all in one list, and the pixels a shader set aside
// are shaded at the end of each tile.
struct BothWays {
  BothWays(int width, int height) : scalarCanvas(width, height), simdCanvas(width, height) {}

  // `call` holds the state; its targets become the canvases. False where the SIMD shader does
  // not serve the state.
  bool Prepare(DrawCall call, SimdLevel width) {
    call.color = scalarCanvas.Color();
    call.depth = scalarCanvas.Depth();
    scalar = PreparePixelPipeline(call, SimdLevel::Scalar);
    call.color = simdCanvas.Color();
    call.depth = simdCanvas.Depth();
    simd = PreparePixelPipeline(call, width);
    return simd.simd;
  }

  void Draw(const SetupTriangle& triangle) { chunk.Add(triangle); }

  // Draws the triangles over tiles `tileWidth` pixels wide (at most a tile of the device) and a
  // device's tile high.
  void Finish(int tileWidth = tuning::kTileSize) {
    chunk.LinkExtras();
    const int width = scalarCanvas.width, height = scalarCanvas.height;
    for (int top = 0; top < height; top += tuning::kTileSize) {
      for (int left = 0; left < width; left += tileWidth) {
        const ScissorRect tile{left, top, std::min(left + tileWidth, width) - 1,
                               std::min(top + tuning::kTileSize, height) - 1};
        PendingPixels scalarPending(tile), simdPending(tile);
        std::vector<const SetupTriangle*> list;
        for (const SetupTriangle& triangle : chunk.triangles) {
          const SetupTriangle* const one = &triangle;
          RasterTriangles(scalar, &one, 1, tile, scalarPending);
          list.push_back(&triangle);
        }
        RasterTriangles(simd, list.data(), static_cast<int>(list.size()), tile, simdPending);
        EXPECT_TRUE(scalarPending.Empty()) << "the scalar pipeline sets nothing aside";
        FinishPendingPixels(simd, simdPending);
        EXPECT_TRUE(simdPending.Empty());
      }
    }
  }

  Canvas scalarCanvas, simdCanvas;
  PixelPipeline scalar, simd;
  TriangleChunk chunk;  // the triangles, with copies of their extras
};

TEST(SimdAgreement, SpanShaderMatchesScalarPipeline) {
  const StateCase cases[] = {
      {"saver state, mirrored", Filter::Linear, Address::Mirror, Address::Mirror, kModulate, kModulate2x, kOver,
       CompareFunction::LessEqual, false},
      {"unblended, wrapped", Filter::Linear, Address::Wrap, Address::Wrap, kModulate, kModulate2x, kNoBlend,
       CompareFunction::Less, false},
      {"point, clamped, texture only", Filter::Point, Address::Clamp, Address::Clamp, kTexture, kTexture, kNoBlend,
       CompareFunction::Greater, true},
      {"mixed addressing, additive",
       Filter::Linear,
       Address::Wrap,
       Address::Clamp,
       kAdd,
       kModulate4x,
       {true, BlendFactor::One, BlendFactor::One},
       CompareFunction::Always,
       false},
      {"destination factors",
       Filter::Linear,
       Address::Mirror,
       Address::Wrap,
       kModulate4x,
       kDiffuse,
       {true, BlendFactor::DestinationColor, BlendFactor::InverseDestinationAlpha},
       CompareFunction::NotEqual,
       false},
      {"source colour factors",
       Filter::Point,
       Address::Mirror,
       Address::Clamp,
       kDiffuse,
       kAdd,
       {true, BlendFactor::InverseSourceColor, BlendFactor::SourceColor},
       CompareFunction::GreaterEqual,
       false},
      {"stage disabled",
       Filter::Linear,
       Address::Clamp,
       Address::Mirror,
       kDisable,
       kTexture,
       {true, BlendFactor::InverseDestinationColor, BlendFactor::DestinationAlpha},
       CompareFunction::Equal,
       false},
      {"opaque and clear sources over the target", Filter::Linear, Address::Wrap, Address::Wrap, kModulate, kTexture,
       kOver, CompareFunction::LessEqual, false, true},
  };
  std::mt19937 random(5);
  std::vector<uint32_t> texels(32 * 16);
  for (uint32_t& texel : texels) texel = uint32_t(random());

  std::vector<uint32_t> blockAlphaTexels(texels);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 32; ++x) {
      uint32_t alpha = ((x / 8 + y / 8) % 2 == 0) ? 0xFF000000u : 0u;
      blockAlphaTexels[y * 32 + x] = (texels[y * 32 + x] & 0x00FFFFFFu) | alpha;
    }
  }

  // Tiles as wide as the device's, and narrow ones: many tile edges, where groups of eight are
  // moved left to stay inside, and a last tile too narrow for a group, where nothing is set aside.
  const int tileWidths[] = {tuning::kTileSize, 13};
  for (SimdLevel width : WidthsToCheck()) {
    for (int tileWidth : tileWidths) {
      for (const StateCase& c : cases) {
        SCOPED_TRACE(NameOf(width));
        SCOPED_TRACE(tileWidth);
        Texture texture = TextureOf(c.alphaInBlocks ? blockAlphaTexels : texels, 32, 16);
        texture.alphaIsOpaque = c.opaqueTexture;
        BothWays draw(97, 71);
        std::uniform_int_distribution<uint32_t> anyColor;
        for (size_t i = 0; i < draw.scalarCanvas.pixels.size(); ++i) {
          draw.scalarCanvas.pixels[i] = draw.simdCanvas.pixels[i] = anyColor(random);
          draw.scalarCanvas.depth[i] = draw.simdCanvas.depth[i] = uint16_t(random());
        }
        DrawCall call = BasicDraw(draw.scalarCanvas);
        call.depthState = {true, true, c.depth};
        call.blend = c.blend;
        call.stage.color = c.color;
        call.stage.alpha = c.alpha;
        call.stage.texture = &texture;
        call.stage.sampler = {c.filter, c.filter, MipFilter::None, c.addressU, c.addressV};
        ASSERT_TRUE(draw.Prepare(call, width)) << c.name << ": the SIMD shader should serve this state";

        std::uniform_real_distribution<float> position(-20.0f, 117.0f), texcoord(-3.0f, 4.0f), depth(0.0f, 1.0f),
            q(0.2f, 3.0f);
        // Half the triangles are a few pixels across, like a dense mesh's: their rows are shorter
        // than a group, so their pixels are gathered (four wide) or set aside (eight wide).
        std::uniform_real_distribution<float> nearby(-4.0f, 4.0f);
        for (int t = 0; t < 120; ++t) {
          ScreenVertex corners[3];
          bool flat = t % 3 == 0, affine = t % 4 == 0, small = t % 2 == 1;
          uint32_t flatColor = anyColor(random);
          float centreX = position(random), centreY = position(random);
          for (ScreenVertex& v : corners) {
            uint32_t color = flat ? flatColor : anyColor(random);
            float x = small ? centreX + nearby(random) : position(random);
            float y = small ? centreY + nearby(random) : position(random);
            v = {x, y, depth(random), affine ? 1.0f : q(random), {}, {}};
            for (int channel = 0; channel < 4; ++channel) v.color[channel] = float((color >> (8 * channel)) & 0xFF);
            v.texcoord[0] = t == 7 ? 1.0e9f : texcoord(random);
            v.texcoord[1] = texcoord(random);
          }
          SetupTriangle triangle;
          TriangleExtras extras;
          if (!SetupScreenTriangle(corners[0], corners[1], corners[2], CullMode::None, {0, 0, 96, 70}, triangle,
                                   extras)) {
            continue;
          }
          draw.Draw(triangle);
        }
        draw.Finish(tileWidth);
        EXPECT_EQ(draw.simdCanvas.pixels, draw.scalarCanvas.pixels) << c.name;
        EXPECT_EQ(draw.simdCanvas.depth, draw.scalarCanvas.depth) << c.name;
      }
    }
  }
}

// Runs' last pixels wait in the tile's planes; a call with more runs than a tile has rows must
// still shade every one of them, exactly as the scalar pipeline does.
TEST(SimdAgreement, ManyShortRunsInOneCall) {
  for (SimdLevel width : WidthsToCheck()) {
    SCOPED_TRACE(NameOf(width));
    const std::vector<uint32_t> texels = RandomTexels(16 * 16, 11);
    Texture texture = TextureOf(texels, 16, 16);
    BothWays draw(97, 71);
    DrawCall call = BlendedTextureDraw(draw.scalarCanvas, texture, kModulate2x, Address::Mirror);
    call.depthState = {true, true, CompareFunction::LessEqual};
    ASSERT_TRUE(draw.Prepare(call, width));

    ScreenVertex corners[3] = {{-10, -10, 0.2f, 1, {}, {}}, {200, -10, 0.7f, 1, {}, {}}, {-10, 200, 0.4f, 1, {}, {}}};
    for (int i = 0; i < 3; ++i) {
      corners[i].texcoord[0] = float(i) * 1.5f;
      corners[i].texcoord[1] = float(i % 2) * 2.5f;
      for (float& channel : corners[i].color) channel = 200.0f;
    }
    SetupTriangle triangle;
    TriangleExtras extras;
    ASSERT_TRUE(
        SetupScreenTriangle(corners[0], corners[1], corners[2], CullMode::None, {0, 0, 96, 70}, triangle, extras));
    std::vector<Span> spans;  // runs of 1 to 3 pixels, 256 of them in one tile, none overlapping
    for (int y = 0; y < 64; ++y) {
      for (int run = 0; run < 4; ++run) spans.push_back({y, run * 8, run * 8 + 1 + (y + run) % 3});
    }
    const ScissorRect tile{0, 0, 63, 63};
    PendingPixels scalarPending(tile), simdPending(tile);
    ShadeSpans(draw.scalar, triangle, spans.data(), int(spans.size()), 64, scalarPending);
    ShadeSpans(draw.simd, triangle, spans.data(), int(spans.size()), 64, simdPending);
    FinishPendingPixels(draw.simd, simdPending);
    EXPECT_EQ(draw.simdCanvas.pixels, draw.scalarCanvas.pixels);
    EXPECT_EQ(draw.simdCanvas.depth, draw.scalarCanvas.depth);
    EXPECT_NE(draw.simdCanvas.pixels, Canvas(97, 71).pixels) << "the runs should have been drawn";
  }
}

// Pixels of small triangles wait to be shaded together with later triangles' pixels. Where a
// later triangle covers a waiting pixel again, the order must still show: with blending the
// first reaches the target before the second is blended over it, without blending the second
// is what remains, and depth decides between them in order, whether or not it is written.
TEST(SimdAgreement, SmallTrianglesOverSamePixelsKeepTheirOrder) {
  const DepthState depthStates[] = {{true, true, CompareFunction::Always},
                                    {true, true, CompareFunction::LessEqual},
                                    {true, false, CompareFunction::LessEqual}};
  const BlendState blends[] = {kOver, kNoBlend};
  for (SimdLevel width : WidthsToCheck()) {
    for (const BlendState& blend : blends) {
      for (const DepthState& depthState : depthStates) {
        SCOPED_TRACE(NameOf(width));
        SCOPED_TRACE(blend.enable ? "blended" : "unblended");
        SCOPED_TRACE(depthState.writeEnable ? "depth written" : "depth kept");
        const std::vector<uint32_t> texels = RandomTexels(16 * 16, 17);
        Texture texture = TextureOf(texels, 16, 16);
        BothWays draw(32, 32);
        DrawCall call = BlendedTextureDraw(draw.scalarCanvas, texture, kTexture, Address::Wrap);
        call.depthState = depthState;
        call.blend = blend;
        std::mt19937 random(17);
        ASSERT_TRUE(draw.Prepare(call, width));

        // Forty triangles all over the pixels around (10, 10), each with its own colour, depth and
        // texture coordinates: most a few pixels across, every fifth large. A large one's rows are
        // whole groups of eight, shaded at once rather than set aside; its first row is 9, so
        // that the groups meet the small triangles' pixels before its own fill the waiting ones.
        std::uniform_real_distribution<float> corner(-2.5f, 2.5f), depth(0.0f, 1.0f), texcoord(0.0f, 1.0f);
        const float large[3][2] = {{-8.0f, -1.5f}, {16.0f, -1.5f}, {-8.0f, 20.0f}};
        for (int t = 0; t < 40; ++t) {
          ScreenVertex corners[3];
          const float z = depth(random);
          for (int i = 0; i < 3; ++i) {
            ScreenVertex& v = corners[i];
            const bool isLarge = t % 5 == 4;
            v = {10.0f + (isLarge ? large[i][0] : corner(random)),
                 10.0f + (isLarge ? large[i][1] : corner(random)),
                 z,
                 1.0f,
                 {},
                 {}};
            for (int channel = 0; channel < 4; ++channel) v.color[channel] = float((t * 37 + channel * 60) % 256);
            v.texcoord[0] = texcoord(random);
            v.texcoord[1] = texcoord(random);
          }
          SetupTriangle triangle;
          TriangleExtras extras;
          if (!SetupScreenTriangle(corners[0], corners[1], corners[2], CullMode::None, {0, 0, 31, 31}, triangle,
                                   extras)) {
            continue;
          }
          draw.Draw(triangle);
        }
        draw.Finish();
        EXPECT_EQ(draw.simdCanvas.pixels, draw.scalarCanvas.pixels);
        EXPECT_EQ(draw.simdCanvas.depth, draw.scalarCanvas.depth);
      }
    }
  }
}

// Two white triangles covering the whole canvas, with texture coordinates (u, v) at its top
// left, top right, bottom left and bottom right corners, drawn both ways.
void DrawQuadOverCanvas(BothWays& draw, const float texcoords[4][2]) {
  const float width = float(draw.scalarCanvas.width), height = float(draw.scalarCanvas.height);
  const float positions[4][2] = {{0, 0}, {width, 0}, {0, height}, {width, height}};
  const int triangles[2][3] = {{0, 1, 2}, {2, 1, 3}};
  const ScissorRect canvas{0, 0, draw.scalarCanvas.width - 1, draw.scalarCanvas.height - 1};
  for (const auto& corner : triangles) {
    ScreenVertex v[3];
    for (int i = 0; i < 3; ++i) {
      const float* p = positions[corner[i]];
      const float* t = texcoords[corner[i]];
      v[i] = {p[0], p[1], 0.5f, 1.0f, {255, 255, 255, 255}, {t[0], t[1]}};
    }
    SetupTriangle triangle;
    TriangleExtras extras;
    ASSERT_TRUE(SetupScreenTriangle(v[0], v[1], v[2], CullMode::None, canvas, triangle, extras));
    draw.Draw(triangle);
  }
  draw.Finish();
}

// The same, u from u0 to u1 left to right and v from v0 to v1 top to bottom.
void DrawQuadOverCanvas(BothWays& draw, float u0, float v0, float u1, float v1) {
  const float texcoords[4][2] = {{u0, v0}, {u1, v0}, {u0, v1}, {u1, v1}};
  DrawQuadOverCanvas(draw, texcoords);
}

// A magnified texture over a quad whose texture coordinates lean: where u changes down the rows
// too, or v along them, each row reads texel columns of its own.
TEST(SimdAgreement, QuadsWhoseTextureLeans) {
  struct Case {
    const char* name;
    float texcoords[4][2];
  };
  const Case cases[] = {
      {"u down the rows too", {{0.05f, 0.1f}, {0.6f, 0.1f}, {0.35f, 0.9f}, {0.9f, 0.9f}}},
      {"v along the rows too", {{0.1f, 0.05f}, {0.9f, 0.3f}, {0.1f, 0.7f}, {0.9f, 0.95f}}},
  };
  const std::vector<uint32_t> texels = RandomTexels(32 * 16, 37);
  const Texture texture = TextureOf(texels, 32, 16);
  for (SimdLevel width : WidthsToCheck()) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(NameOf(width)) + ", " + c.name);
      BothWays draw(97, 71);
      ASSERT_TRUE(draw.Prepare(BlendedTextureDraw(draw.scalarCanvas, texture, kTexture, Address::Clamp), width));
      DrawQuadOverCanvas(draw, c.texcoords);
      EXPECT_EQ(draw.simdCanvas.pixels, draw.scalarCanvas.pixels);
    }
  }
}

// A magnified texture: a group's texels lie close together and come from two short stretches
// of memory, up to the texture's last row and column, whose neighbours are still read right
// and nothing past the texture is read.
TEST(SimdAgreement, MagnifiedCornerOfTexture) {
  for (SimdLevel width : WidthsToCheck()) {
    SCOPED_TRACE(NameOf(width));
    BytesBeforeGuardPage storage(32 * 16 * 4);
    ASSERT_NE(storage.bytes(), nullptr);
    const std::vector<uint32_t> texels = RandomTexels(32 * 16, 23);
    std::memcpy(storage.bytes(), texels.data(), texels.size() * 4);
    Texture texture;
    texture.levels[0] = {reinterpret_cast<const uint32_t*>(storage.bytes()), 32, 16, 32 * 4};
    texture.levelCount = 1;
    BothWays draw(97, 71);
    ASSERT_TRUE(draw.Prepare(BlendedTextureDraw(draw.scalarCanvas, texture, kTexture, Address::Clamp), width));

    // The whole canvas shows u 0.70 to 0.99 and v 0.60 to 0.99: the last texels of both axes.
    DrawQuadOverCanvas(draw, 0.70f, 0.60f, 0.99f, 0.99f);
    EXPECT_EQ(draw.simdCanvas.pixels, draw.scalarCanvas.pixels);
  }
}

// A magnified texture of flat blocks: groups whose texels are all one value take it as it is,
// as filtering gives it; beside them, groups with one texel of another value, or another row
// below, are filtered. Blending shows every channel, alpha included.
TEST(SimdAgreement, MagnifiedFlatBlocksOfTexture) {
  std::vector<uint32_t> texels(32 * 16);
  const std::vector<uint32_t> blockColors = RandomTexels(8, 29), stripeColors = RandomTexels(8, 31);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 32; ++x) {
      const int block = (y / 8) * 4 + x / 8;
      texels[y * 32 + x] = block == 2 ? stripeColors[y % 8] : blockColors[block];  // block 2: a stripe per row
    }
  }
  texels[11 * 32 + 13] ^= 0x01000000u;  // one texel whose alpha alone differs, inside block 5
  texels[4 * 32 + 4] ^= 0x00000100u;    // and one whose green differs, inside block 0
  for (SimdLevel width : WidthsToCheck()) {
    SCOPED_TRACE(NameOf(width));
    const Texture texture = TextureOf(texels, 32, 16);
    BothWays draw(97, 71);
    ASSERT_TRUE(draw.Prepare(BlendedTextureDraw(draw.scalarCanvas, texture, kTexture, Address::Wrap), width));
    DrawQuadOverCanvas(draw, 0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(draw.simdCanvas.pixels, draw.scalarCanvas.pixels);
  }
}

// Waiting pixels find their place in a target as y * pitch + x in 32 bits: targets where that
// does not hold stay with the scalar pipeline.
TEST(SimdAgreement, TargetsBeyondThirtyTwoBitPixelNumbersStayScalar) {
  struct Case {
    const char* name;
    size_t colorPitch;
    int height;
    size_t depthPitch;
    bool simd;
  };
  const Case cases[] = {
      {"usual targets", 97 * 4, 71, 97 * 2, true},
      {"colour pitch not whole pixels", 97 * 4 + 2, 71, 97 * 2, false},
      {"depth pitch not whole pixels", 97 * 4, 71, 97 * 2 + 1, false},
      {"more colour pixels than 32 bits number", size_t(1) << 18, 40000, 97 * 2, false},
  };
  for (const Case& c : cases) {
    PixelPipeline pipeline;
    pipeline.color = {nullptr, 97, c.height, c.colorPitch, false};
    pipeline.depth = {nullptr, 97, c.height, c.depthPitch};
    pipeline.depthActive = true;
    EXPECT_EQ(SimdSpanSupports(pipeline), c.simd) << c.name;
  }
}

// Slivers a few pixels wide and thousands of pixels tall: within the canvas they are narrow,
// but their edge values are too large for a 32-bit walk, and another walk must draw them.
TEST(SimdAgreement, NarrowSliversTooLongForThirtyTwoBitWalk) {
  for (SimdLevel width : WidthsToCheck()) {
    SCOPED_TRACE(NameOf(width));
    BothWays draw(32, 32);
    DrawCall call = BasicDraw(draw.scalarCanvas);
    call.blend = kOver;
    ASSERT_TRUE(draw.Prepare(call, width));
    for (int t = 0; t < 12; ++t) {
      const float x = 2.0f + 2.5f * float(t), wide = 0.5f + 0.4f * float(t);
      const float color[4] = {float(20 * t), 90, 200, 160};
      ScreenVertex corners[3] = {{x, -6000.0f, 0.5f, 1, {}, {}},
                                 {x + wide, -6000.0f, 0.5f, 1, {}, {}},
                                 {x + wide / 2, 7000.0f + 100.0f * float(t), 0.5f, 1, {}, {}}};
      for (ScreenVertex& v : corners) std::copy(color, color + 4, v.color);
      SetupTriangle triangle;
      TriangleExtras extras;
      if (!SetupScreenTriangle(corners[0], corners[1], corners[2], CullMode::None, {0, 0, 31, 31}, triangle, extras)) {
        continue;
      }
      draw.Draw(triangle);
    }
    draw.Finish();
    EXPECT_EQ(draw.simdCanvas.pixels, draw.scalarCanvas.pixels);
    EXPECT_NE(draw.simdCanvas.pixels, Canvas(32, 32).pixels) << "the slivers should have been drawn";
  }
}

// Each level takes its own pixel path: the scalar pipeline, the four-wide shader (nothing set
// aside) or the eight-wide one (narrow triangles set aside); a level beyond the processor's is
// narrowed to what it runs.
TEST(SimdAgreement, EachLevelSelectsItsPath) {
  Canvas canvas(16, 16);
  const std::vector<uint32_t> texels = RandomTexels(16 * 16, 3);
  const Texture texture = TextureOf(texels, 16, 16);
  const DrawCall call = BlendedTextureDraw(canvas, texture, kModulate2x, Address::Wrap);
  for (SimdLevel asked : {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2}) {
    const SimdLevel level = RunnableSimdLevel(asked);
    SCOPED_TRACE(NameOf(level));
    EXPECT_LE(level, asked);
    EXPECT_EQ(level, asked <= ProcessorSimdLevel() ? asked : ProcessorSimdLevel());
    const PixelPipeline pipeline = PreparePixelPipeline(call, level);
    EXPECT_EQ(pipeline.simd, level != SimdLevel::Scalar);
    EXPECT_EQ(pipeline.narrowShader != nullptr, level == SimdLevel::Avx2);
    EXPECT_EQ(pipeline.pendingShader != nullptr, level == SimdLevel::Avx2);
  }
}

// A grid of small jittered triangles over the canvas, as clip-space vertices with identity
// transforms: every corner with the same w, and with one colour when `colors` is false.
std::vector<ColorTexVertex> JitteredGrid(int columns, int rows, bool colors, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> jitter(-0.3f, 0.3f), depth(0.1f, 0.9f);
  std::uniform_int_distribution<uint32_t> anyColor;
  std::vector<ColorTexVertex> vertices;
  auto corner = [&](int column, int row) {
    const float x = (float(column) + jitter(random)) / float(columns) * 2.2f - 1.1f;
    const float y = (float(row) + jitter(random)) / float(rows) * 2.2f - 1.1f;
    const uint32_t diffuse = colors ? anyColor(random) : 0xFFFFFFFFu;
    return ColorTexVertex{x, y, depth(random), diffuse, x * 1.7f + 0.2f, y * 2.3f - 0.4f};
  };
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const ColorTexVertex a = corner(column, row), b = corner(column + 1, row), c = corner(column, row + 1),
                           d = corner(column + 1, row + 1);
      vertices.insert(vertices.end(), {a, b, c, c, b, d});
    }
  }
  return vertices;
}

// The whole device at each level, its vertex processing and triangle setup included: the same
// frame and depth, bit for bit, from a plain white mesh (the eight-wide setup's and narrow
// shader's case), then a coloured one blended over it with perspective.
TEST(SimdAgreement, DeviceDrawsTheSameFrameAtEveryLevel) {
  const std::vector<uint32_t> texels = RandomTexels(64 * 32, 41);
  const Texture texture = TextureOf(texels, 64, 32);
  const std::vector<ColorTexVertex> plain = JitteredGrid(40, 30, false, 43), colored = JitteredGrid(9, 7, true, 47);
  auto drawFrame = [&](SimdLevel level) {
    Canvas canvas(203, 149);
    Device device(2);
    device.LimitSimd(level);
    EXPECT_EQ(device.Simd(), RunnableSimdLevel(level));
    DrawCall call = BasicDraw(canvas);
    call.depthState = {true, true, CompareFunction::LessEqual};
    call.stage.color = kModulate;
    call.stage.alpha = kModulate2x;
    call.stage.texture = &texture;
    call.stage.sampler = {Filter::Linear, Filter::Linear, MipFilter::None, Address::Mirror, Address::Mirror};
    call.vertices = StreamOf(plain);
    SetTriangleList(call, unsigned(plain.size() / 3));
    EXPECT_EQ(device.Draw(call), Status::Ok);
    call.blend = kOver;
    call.transforms.projection = PerspectiveFov(1.2f, 203.0f / 149.0f, 0.5f, 10.0f);
    call.transforms.world = Translation(0.0f, 0.0f, 2.0f);
    call.vertices = StreamOf(colored);
    SetTriangleList(call, unsigned(colored.size() / 3));
    EXPECT_EQ(device.Draw(call), Status::Ok);
    return canvas;
  };
  const Canvas scalar = drawFrame(SimdLevel::Scalar);
  EXPECT_NE(scalar.pixels, Canvas(203, 149).pixels) << "the meshes should have been drawn";
  for (SimdLevel level : WidthsToCheck()) {
    SCOPED_TRACE(NameOf(level));
    const Canvas frame = drawFrame(level);
    EXPECT_EQ(frame.pixels, scalar.pixels);
    EXPECT_EQ(frame.depth, scalar.depth);
  }
}

}  // namespace
}  // namespace refdevice::testing
