// Texture stage, depth, blending, render targets, thread counts and refused input.
#include <gtest/gtest.h>

#include <random>

#include "blend.h"
#include "render_fixture.h"
#include "texture_stage.h"

namespace refdevice::testing {
namespace {

TEST(TextureStage, CombinesTexelAndDiffuse) {
  const uint32_t texel = 0x80FF4010u, diffuse = 0xC0808080u;
  struct Case {
    StageOperation color, alpha;
    uint32_t expected;
  };
  const Case cases[] = {
      {StageOperation::SelectArg1, StageOperation::SelectArg1, texel},
      {StageOperation::SelectArg2, StageOperation::SelectArg2, diffuse},
      // 0xFF * 0x80 / 255 = 0x80, 0x40 * 0x80 / 255 = 0x20, 0x10 * 0x80 / 255 = 0x08.
      {StageOperation::Modulate, StageOperation::Modulate, 0x60802008u},
      // Doubled and saturated; alpha 2 * 0x80 * 0xC0 / 255 = 0xC1.
      {StageOperation::Modulate2x, StageOperation::Modulate2x, 0xC1FF4010u},
      {StageOperation::Modulate4x, StageOperation::SelectArg1, 0x80FF8120u},
      {StageOperation::Add, StageOperation::Add, 0xFFFFC090u},
      {StageOperation::Modulate, StageOperation::Modulate2x, 0xC1802008u},
      // A disabled colour operation switches texturing off altogether.
      {StageOperation::Disable, StageOperation::SelectArg1, diffuse},
  };
  for (const Case& c : cases) {
    TextureStage stage;
    stage.color = {c.color, StageArgument::Texture, StageArgument::Diffuse};
    stage.alpha = {c.alpha, StageArgument::Texture, StageArgument::Current};
    EXPECT_EQ(CombineStage(stage, texel, diffuse), c.expected) << int(c.color) << "/" << int(c.alpha);
  }
}

// A textured quad whose vertices all have one colour, modulated, its alpha doubled, without
// blending: where the target keeps no alpha and the colour is white, the texel's colour is what
// shows; everywhere the stage's own result does.
TEST(TextureStage, ModulatedQuadOfOneVertexColour) {
  const uint32_t texel = 0x80C060FFu;
  const std::vector<uint32_t> texels(16, texel);
  const Texture texture = TextureOf(texels, 4, 4);
  struct Case {
    uint32_t diffuse;
    bool targetAlphaIsOpaque;
  };
  const Case cases[] = {{0xFFFFFFFFu, true}, {0x40FFFFFFu, true}, {0xFFFFFFFFu, false},
                        {0xFF808080u, true}, {0xFFFFFFFEu, true}, {0xFFFEFFFFu, true}};
  for (const Case& c : cases) {
    Canvas canvas(64, 16);
    Device device(1);
    DrawCall call = BasicDraw(canvas);
    call.color.alphaIsOpaque = c.targetAlphaIsOpaque;
    call.stage.color = {StageOperation::Modulate, StageArgument::Texture, StageArgument::Diffuse};
    call.stage.alpha = {StageOperation::Modulate2x, StageArgument::Texture, StageArgument::Diffuse};
    call.stage.texture = &texture;
    call.stage.sampler = {Filter::Linear, Filter::Linear, MipFilter::None, Address::Mirror, Address::Mirror};
    const std::vector<ColorTexVertex> quad = {{-1, 1, 0.5f, c.diffuse, 0, 0},
                                              {1, 1, 0.5f, c.diffuse, 1, 0},
                                              {-1, -1, 0.5f, c.diffuse, 0, 1},
                                              {1, -1, 0.5f, c.diffuse, 1, 1}};
    call.vertices = StreamOf(quad);
    call.range.type = PrimitiveType::TriangleStrip;
    call.range.primitiveCount = 2;
    ASSERT_EQ(device.Draw(call), Status::Ok);
    uint32_t expected = CombineStage(call.stage, texel, c.diffuse);
    if (c.targetAlphaIsOpaque) expected |= 0xFF000000u;
    EXPECT_EQ(canvas.pixels, std::vector<uint32_t>(canvas.pixels.size(), expected))
        << std::hex << c.diffuse << " over a target " << (c.targetAlphaIsOpaque ? "without" : "with") << " alpha";
  }
}

TEST(Blending, CombinesSourceAndDestination) {
  const uint32_t source = 0x40FF8000u, destination = 0xFF0000FFu;
  struct Case {
    BlendFactor source, destination;
    uint32_t expected;
  };
  const Case cases[] = {
      {BlendFactor::One, BlendFactor::Zero, source},
      {BlendFactor::Zero, BlendFactor::One, destination},
      // Alpha 0x40 = 64/255: 255 * 64/255 = 64, 128 * 64/255 = 32; destination * 191/255.
      {BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha, 0xCF4020BFu},
      {BlendFactor::One, BlendFactor::One, 0xFFFF80FFu},
      {BlendFactor::DestinationColor, BlendFactor::Zero, 0x40000000u},
      {BlendFactor::InverseDestinationAlpha, BlendFactor::DestinationAlpha, destination},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Blend({true, c.source, c.destination}, source, destination), c.expected)
        << int(c.source) << "/" << int(c.destination);
  }
}

// A square of two triangles over the whole 4 x 4 target at one depth and colour.
std::vector<ScreenSpaceVertex> Square(float z, uint32_t color) {
  return {{-1, -1, z, 1, color, 0, 0}, {5, -1, z, 1, color, 0, 0}, {-1, 5, z, 1, color, 0, 0},
          {5, -1, z, 1, color, 0, 0},  {5, 5, z, 1, color, 0, 0},  {-1, 5, z, 1, color, 0, 0}};
}

TEST(Depth, LessEqualKeepsTheNearestAndWrites) {
  struct Case {
    float firstZ, secondZ;
    bool testEnable, writeEnable;
    uint32_t expectedColor;
    uint16_t expectedDepth;
  };
  const uint32_t first = 0xFFFF0000u, second = 0xFF00FF00u;
  const Case cases[] = {
      {0.25f, 0.75f, true, true, first, 16384},   {0.75f, 0.25f, true, true, second, 16384},
      {0.5f, 0.5f, true, true, second, 32768},     // equal passes
      {0.25f, 0.75f, true, false, second, 65535},  // nothing written, both pass against 1.0
      {0.25f, 0.75f, false, true, second, 65535},  // no test: no write either
  };
  for (const Case& c : cases) {
    Canvas canvas(4, 4);
    Device device(1);
    DrawCall call = BasicDraw(canvas);
    call.depthState = {c.testEnable, c.writeEnable, CompareFunction::LessEqual};
    SetTriangleList(call, 2);
    std::vector<ScreenSpaceVertex> near = Square(c.firstZ, first), far = Square(c.secondZ, second);
    call.vertices = StreamOf(near);
    ASSERT_EQ(device.Draw(call), Status::Ok);
    call.vertices = StreamOf(far);
    ASSERT_EQ(device.Draw(call), Status::Ok);
    EXPECT_EQ(canvas.At(1, 2), c.expectedColor) << c.firstZ << " then " << c.secondZ;
    EXPECT_EQ(canvas.depth[6], c.expectedDepth) << c.firstZ << " then " << c.secondZ;
  }
}

TEST(Blending, TranslucentDrawOverTarget) {
  Canvas canvas(4, 4, 0xFFFFFFFFu);
  Device device(1);
  DrawCall call = BasicDraw(canvas);
  call.blend = {true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha};
  std::vector<ScreenSpaceVertex> square = Square(0.5f, 0x80FF0000u);
  call.vertices = StreamOf(square);
  SetTriangleList(call, 2);
  ASSERT_EQ(device.Draw(call), Status::Ok);
  // Red: 255*128/255 + 255*127/255 = 255; others 255 * 127/255 = 127; alpha 128*128/255 + 255*127/255.
  EXPECT_EQ(canvas.At(0, 0), 0xBFFF7F7Fu);
  // An X8-style target keeps alpha opaque.
  Canvas opaque(4, 4, 0xFFFFFFFFu);
  call.color = opaque.Color();
  call.color.alphaIsOpaque = true;
  ASSERT_EQ(device.Draw(call), Status::Ok);
  EXPECT_EQ(opaque.At(0, 0), 0xFFFF7F7Fu);
}

// Drawing into a texture's memory, then sampling it point for point in the next draw.
TEST(RenderTarget, TextureDrawnThenSampled) {
  Canvas offscreen(8, 8, 0xFF000000u);
  Device device(1);
  DrawCall fill = BasicDraw(offscreen);
  std::vector<ScreenSpaceVertex> triangle = {
      {0, 0, 0, 1, 0xFF20C040u, 0, 0}, {8, 0, 0, 1, 0xFF20C040u, 0, 0}, {0, 8, 0, 1, 0xFF20C040u, 0, 0}};
  fill.vertices = StreamOf(triangle);
  SetTriangleList(fill, 1);
  ASSERT_EQ(device.Draw(fill), Status::Ok);

  Texture texture = TextureOf(offscreen.pixels, 8, 8);
  Canvas screen(8, 8, 0xFFFFFFFFu);
  DrawCall copy = BasicDraw(screen);
  copy.stage.color = {StageOperation::SelectArg1, StageArgument::Texture, StageArgument::Diffuse};
  copy.stage.alpha = copy.stage.color;
  copy.stage.texture = &texture;
  copy.stage.sampler = {Filter::Point, Filter::Point, MipFilter::None, Address::Clamp, Address::Clamp};
  std::vector<ScreenSpaceVertex> quad = {{-0.5f, -0.5f, 0, 1, ~0u, 0, 0},
                                         {7.5f, -0.5f, 0, 1, ~0u, 1, 0},
                                         {-0.5f, 7.5f, 0, 1, ~0u, 0, 1},
                                         {7.5f, 7.5f, 0, 1, ~0u, 1, 1}};
  copy.vertices = StreamOf(quad);
  copy.range.type = PrimitiveType::TriangleStrip;
  copy.range.primitiveCount = 2;
  ASSERT_EQ(device.Draw(copy), Status::Ok);
  EXPECT_EQ(screen.pixels, offscreen.pixels);
  EXPECT_EQ(screen.At(0, 0), 0xFF20C040u);
  EXPECT_EQ(screen.At(7, 7), 0xFF000000u);
}

// A dense, blended, depth-tested, textured mesh spread over many tiles draws the same pixels
// whatever the number of workers.
TEST(Threads, SamePixelsWhateverTheThreadCount) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> coordinate(-1.2f, 1.2f), depth(0.1f, 0.9f), unit(0.0f, 1.0f);
  std::vector<ColorTexVertex> vertices;
  for (int i = 0; i < 3 * 3000; ++i) {
    vertices.push_back({coordinate(random), coordinate(random), depth(random), uint32_t(random()) | 0x40000000u,
                        unit(random) * 3, unit(random) * 3});
  }
  std::vector<uint32_t> texels(64 * 64);
  for (uint32_t& texel : texels) texel = uint32_t(random());
  Texture texture = TextureOf(texels, 64, 64);

  std::vector<uint32_t> reference;
  for (int threads : {1, 2, 3}) {
    Canvas canvas(301, 203);
    Device device(threads);
    ASSERT_EQ(device.ThreadCount(), threads);
    DrawCall call = BasicDraw(canvas);
    call.depthState = {true, true, CompareFunction::LessEqual};
    call.blend = {true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha};
    call.stage.color = {StageOperation::Modulate, StageArgument::Texture, StageArgument::Diffuse};
    call.stage.alpha = {StageOperation::Modulate2x, StageArgument::Texture, StageArgument::Diffuse};
    call.stage.texture = &texture;
    call.stage.sampler = {Filter::Linear, Filter::Linear, MipFilter::None, Address::Mirror, Address::Mirror};
    call.transforms.projection = PerspectiveFov(1.2f, 1.5f, 0.5f, 10.0f);
    call.transforms.view = Translation(0, 0, 1.5f);
    call.vertices = StreamOf(vertices);
    SetTriangleList(call, 3000);
    ASSERT_EQ(device.Draw(call), Status::Ok);
    if (reference.empty()) {
      reference = canvas.pixels;
      size_t drawn = std::count_if(reference.begin(), reference.end(), [](uint32_t p) { return p != 0xFF000000u; });
      EXPECT_GT(drawn, reference.size() / 2);
    } else {
      EXPECT_EQ(canvas.pixels, reference) << threads << " threads";
    }
  }
}

TEST(Refusals, MalformedDrawsChangeNothing) {
  std::vector<ColorTexVertex> vertices = {{0, 0, 0.5f, ~0u, 0, 0}, {1, 0, 0.5f, ~0u, 0, 0}, {0, 1, 0.5f, ~0u, 0, 0}};
  std::vector<uint16_t> indices = {0, 1, 2, 0, 1, 3};
  std::vector<uint32_t> texels = {0};
  struct Case {
    const char* name;
    std::function<void(DrawCall&, Texture&)> spoil;
  };
  const Case cases[] = {
      {"index beyond the vertex stream", [](DrawCall& call, Texture&) { call.range.firstIndex = 3; }},
      {"base vertex pushing an index beyond", [](DrawCall& call, Texture&) { call.range.baseVertex = 1; }},
      {"negative resulting vertex", [](DrawCall& call, Texture&) { call.range.baseVertex = -1; }},
      {"more indices than the buffer holds", [](DrawCall& call, Texture&) { call.range.primitiveCount = 3; }},
      {"zero stride", [](DrawCall& call, Texture&) { call.vertices.layout.strideBytes = 0; }},
      {"texcoords past the stride", [](DrawCall& call, Texture&) { call.vertices.layout.texcoordOffset = 20; }},
      {"texture level without texels", [](DrawCall&, Texture& texture) { texture.levels[0].texels = nullptr; }},
      {"depth target smaller than the colour target", [](DrawCall& call, Texture&) { call.depth.width = 2; }},
      {"empty viewport", [](DrawCall& call, Texture&) { call.viewport.width = 0; }},
  };
  for (const Case& c : cases) {
    Canvas canvas(4, 4);
    DrawCall call = BasicDraw(canvas);
    call.depthState.testEnable = true;
    Texture texture = TextureOf(texels, 1, 1);
    call.stage.texture = &texture;
    call.vertices = StreamOf(vertices);
    call.indices = {indices.data(), 3, IndexFormat::Bits16};
    SetTriangleList(call, 1);
    c.spoil(call, texture);
    Device device(1);
    EXPECT_EQ(device.Draw(call), Status::InvalidArgument) << c.name;
    EXPECT_EQ(canvas.pixels, std::vector<uint32_t>(16, 0xFF000000u)) << c.name;
  }
}

TEST(Clear, FillsTheRectangleWithinTheTarget) {
  Canvas canvas(6, 4, 0);
  Device device(2);
  ASSERT_EQ(device.ClearColor(canvas.Color(), {4, -3, 10, 2}, 0x11223344u), Status::Ok);
  ASSERT_EQ(device.ClearDepth(canvas.Depth(), {0, 0, 6, 4}, 0.5f), Status::Ok);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) EXPECT_EQ(canvas.At(x, y), (x >= 4 && y < 2) ? 0x11223344u : 0u) << x << "," << y;
  }
  EXPECT_EQ(canvas.depth[0], 32768);
  ColorTarget broken = canvas.Color();
  broken.pitchBytes = 4;
  EXPECT_EQ(device.ClearColor(broken, {0, 0, 6, 4}, 0), Status::InvalidArgument);
}

// A draw reads the same triangles from 16-bit and 32-bit indices, offset by the first index and
// the base vertex, as from the vertices listed in order; a 32-bit index past the stream is
// refused like a 16-bit one.
TEST(IndexedDraws, SixteenAndThirtyTwoBitIndicesReadTheSameTriangles) {
  std::vector<ColorTexVertex> vertices;
  for (int i = 0; i < 12; ++i) {
    vertices.push_back(
        {float(i % 4) * 0.6f - 0.9f, float(i / 4) * 0.8f - 0.8f, 0.5f, 0xFF000000u | uint32_t(i * 0x101010), 0, 0});
  }
  // Two spare vertices at the front (the base vertex skips them) and a spare triangle of
  // indices (the first index skips it).
  const std::vector<uint32_t> mesh = {0, 0, 0, 0, 1, 4, 1, 5, 4, 1, 2, 5, 2, 6, 5, 4, 5, 8, 5, 9, 8};
  std::vector<ColorTexVertex> shifted(2, vertices[0]);
  shifted.insert(shifted.end(), vertices.begin(), vertices.end());
  std::vector<ColorTexVertex> listed;
  for (size_t i = 3; i < mesh.size(); ++i) listed.push_back(vertices[mesh[i]]);

  Canvas expected(40, 30);
  DrawCall plain = BasicDraw(expected);
  plain.vertices = StreamOf(listed);
  SetTriangleList(plain, unsigned(listed.size() / 3));
  Device device(2);
  ASSERT_EQ(device.Draw(plain), Status::Ok);

  const std::vector<uint16_t> mesh16(mesh.begin(), mesh.end());
  for (IndexFormat format : {IndexFormat::Bits16, IndexFormat::Bits32}) {
    Canvas canvas(40, 30);
    DrawCall call = BasicDraw(canvas);
    call.vertices = StreamOf(shifted);
    const void* data = format == IndexFormat::Bits16 ? static_cast<const void*>(mesh16.data()) : mesh.data();
    call.indices = {data, mesh.size(), format};
    SetTriangleList(call, unsigned(listed.size() / 3));
    call.range.firstIndex = 3;
    call.range.baseVertex = 2;
    ASSERT_EQ(device.Draw(call), Status::Ok);
    EXPECT_EQ(canvas.pixels, expected.pixels) << (format == IndexFormat::Bits16 ? "16-bit" : "32-bit");
    call.range.baseVertex = 5;  // the highest index, 9, now reads vertex 14 of 14
    EXPECT_EQ(device.Draw(call), Status::InvalidArgument);
  }
  EXPECT_NE(expected.pixels, Canvas(40, 30).pixels) << "the triangles should have been drawn";
}

// A long index list is checked in pieces by the workers: the lowest and the highest index are
// found wherever they lie, the last piece included.
TEST(IndexedDraws, LongListsAreCheckedToTheirLastIndex) {
  // A green triangle on the right, drawn over and over, and at the very end a red one on the
  // left, the only user of vertices 0 to 2.
  const std::vector<ColorTexVertex> vertices = {
      {-0.9f, 0.8f, 0.5f, 0xFFFF0000u, 0, 0},  {-0.1f, 0.8f, 0.5f, 0xFFFF0000u, 0, 0},
      {-0.9f, -0.8f, 0.5f, 0xFFFF0000u, 0, 0}, {0.1f, 0.8f, 0.5f, 0xFF00FF00u, 0, 0},
      {0.9f, 0.8f, 0.5f, 0xFF00FF00u, 0, 0},   {0.1f, -0.8f, 0.5f, 0xFF00FF00u, 0, 0}};
  constexpr unsigned kTriangles = 40000;
  auto listEndingWith = [](std::initializer_list<uint32_t> last) {
    std::vector<uint32_t> indices;
    for (unsigned i = 0; i + 1 < kTriangles; ++i) indices.insert(indices.end(), {3, 4, 5});
    indices.insert(indices.end(), last);
    return indices;
  };
  // Drawn as listed; then with a last triangle that reads vertex 6 of 6, past the stream.
  const std::vector<uint32_t> drawn = listEndingWith({0, 1, 2}), refused = listEndingWith({0, 1, 6});
  Device device(2);
  for (IndexFormat format : {IndexFormat::Bits16, IndexFormat::Bits32}) {
    for (const std::vector<uint32_t>* indices : {&drawn, &refused}) {
      const std::vector<uint16_t> indices16(indices->begin(), indices->end());
      const void* data = format == IndexFormat::Bits16 ? static_cast<const void*>(indices16.data()) : indices->data();
      Canvas canvas(40, 30);
      DrawCall call = BasicDraw(canvas);
      call.vertices = StreamOf(vertices);
      call.indices = {data, indices->size(), format};
      SetTriangleList(call, kTriangles);
      if (indices == &refused) {
        EXPECT_EQ(device.Draw(call), Status::InvalidArgument);
        EXPECT_EQ(canvas.pixels, Canvas(40, 30).pixels);
        continue;
      }
      ASSERT_EQ(device.Draw(call), Status::Ok);
      EXPECT_EQ(canvas.At(5, 10), 0xFFFF0000u);
      EXPECT_EQ(canvas.At(30, 10), 0xFF00FF00u);
    }
  }
}

}  // namespace
}  // namespace refdevice::testing
