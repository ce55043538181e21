// Scenes that no formula states simply, compared with reviewed pictures kept in reference/
// (binary PPM). Set ORBELUNE_REGENERATE_REFERENCES=1 to write the pictures anew, then look at
// them before committing. Blended and filtered output may move by rounding: a picture matches
// when no more than 1 % of its pixels differ by more than 2 in any channel.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "render_fixture.h"

namespace refdevice::testing {
namespace {

bool Regenerating() {
  const char* value = std::getenv("ORBELUNE_REGENERATE_REFERENCES");
  return value != nullptr && std::string(value) == "1";
}

std::string ReferencePath(const std::string& name) {
  return std::string(REFDEVICE_REFERENCE_DIR) + "/" + name + ".ppm";
}

void WritePpm(const std::string& path, const Canvas& canvas) {
  std::ofstream file(path, std::ios::binary);
  file << "P6\n" << canvas.width << " " << canvas.height << "\n255\n";
  for (uint32_t pixel : canvas.pixels) {
    const char rgb[3] = {char((pixel >> 16) & 0xFF), char((pixel >> 8) & 0xFF), char(pixel & 0xFF)};
    file.write(rgb, 3);
  }
}

// Returns false when the file is missing or not a PPM of the canvas's size.
bool ReadPpm(const std::string& path, const Canvas& canvas, std::vector<uint32_t>& pixels) {
  std::ifstream file(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  if (!(file >> magic >> width >> height >> maximum) || magic != "P6" || width != canvas.width ||
      height != canvas.height || maximum != 255) {
    return false;
  }
  file.get();
  std::vector<unsigned char> bytes(size_t(width) * height * 3);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) return false;
  pixels.resize(size_t(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = 0xFF000000u | (uint32_t(bytes[3 * i]) << 16) | (uint32_t(bytes[3 * i + 1]) << 8) | bytes[3 * i + 2];
  }
  return true;
}

void ExpectMatchesReference(const std::string& name, const Canvas& canvas) {
  const std::string path = ReferencePath(name);
  if (Regenerating()) {
    WritePpm(path, canvas);
    GTEST_SKIP() << "wrote " << path;
  }
  std::vector<uint32_t> reference;
  ASSERT_TRUE(ReadPpm(path, canvas, reference)) << "missing or malformed " << path;
  size_t differing = 0;
  for (size_t i = 0; i < reference.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      int delta = int((canvas.pixels[i] >> shift) & 0xFF) - int((reference[i] >> shift) & 0xFF);
      if (delta > 2 || delta < -2) {
        ++differing;
        break;
      }
    }
  }
  EXPECT_LE(differing, reference.size() / 100) << name << ": " << differing << " pixels differ";
}

Canvas OpaqueCanvas(int width, int height, uint32_t clear) {
  Canvas canvas(width, height, clear);
  return canvas;
}

// A fan of triangles with a colour at every corner, seen in perspective: colours bend with depth.
TEST(ReferenceImages, GouraudFanInPerspective) {
  Canvas canvas = OpaqueCanvas(64, 64, 0xFF202020u);
  DrawCall call = BasicDraw(canvas);
  call.color.alphaIsOpaque = true;
  call.depthState = {true, true, CompareFunction::LessEqual};
  call.transforms.projection = PerspectiveFov(1.0f, 1.0f, 0.5f, 20.0f);
  call.transforms.view = Translation(0, 0, 3);
  const uint32_t colors[6] = {0xFFFF0000u, 0xFFFFFF00u, 0xFF00FF00u, 0xFF00FFFFu, 0xFF0000FFu, 0xFFFF00FFu};
  std::vector<ColorTexVertex> fan = {{0, 0, 0, 0xFFFFFFFFu, 0, 0}};
  for (int i = 0; i <= 6; ++i) {
    float angle = -6.2831853f * i / 6;  // clockwise as the camera sees it
    fan.push_back({1.6f * std::cos(angle), 1.6f * std::sin(angle), 2.0f * std::cos(angle), colors[i % 6], 0, 0});
  }
  call.vertices = StreamOf(fan);
  call.range.type = PrimitiveType::TriangleFan;
  call.range.primitiveCount = 6;
  Device device(2);
  ASSERT_EQ(device.Draw(call), Status::Ok);
  ExpectMatchesReference("gouraud_fan", canvas);
}

// A checkered floor running from behind the eye to the distance: clipped at the near plane,
// sampled with trilinear filtering from a mip chain and mirrored addressing.
TEST(ReferenceImages, MipmappedFloorThroughTheNearPlane) {
  std::vector<uint32_t> levels[6];
  Texture texture;
  for (int level = 0; level < 6; ++level) {
    int size = 32 >> level;
    levels[level].resize(size_t(size) * size);
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        bool dark = ((x * 8 / size) + (y * 8 / size)) % 2 == 1;
        uint32_t tint = level == 0 ? 0x00FF8040u : 0x0040A0FFu * (level % 2) + 0x00FFFFFFu * (1 - level % 2);
        levels[level][size_t(y) * size + x] = size >= 8 ? (dark ? 0xFF101010u : 0xFF000000u | tint) : 0xFF808080u;
      }
    }
    texture.levels[level] = {levels[level].data(), size, size, size_t(size) * 4};
  }
  texture.levelCount = 6;
  Canvas canvas = OpaqueCanvas(96, 64, 0xFF000000u);
  DrawCall call = BasicDraw(canvas);
  call.color.alphaIsOpaque = true;
  call.cull = CullMode::CounterClockwise;
  call.transforms.projection = PerspectiveFov(1.2f, 1.5f, 0.5f, 100.0f);
  call.stage.color = {StageOperation::Modulate, StageArgument::Texture, StageArgument::Diffuse};
  call.stage.texture = &texture;
  call.stage.sampler = {Filter::Linear, Filter::Linear, MipFilter::Linear, Address::Mirror, Address::Mirror};
  std::vector<ColorTexVertex> floor = {{-30, -1, -5, 0xFFFFFFFFu, -6, 0},
                                       {-30, -1, 60, 0xFFFFFFFFu, -6, 13},
                                       {30, -1, -5, 0xFFFFFFFFu, 6, 0},
                                       {30, -1, 60, 0xFFFFFFFFu, 6, 13}};
  call.vertices = StreamOf(floor);
  call.range.type = PrimitiveType::TriangleStrip;
  call.range.primitiveCount = 2;
  Device device(2);
  ASSERT_EQ(device.Draw(call), Status::Ok);
  ExpectMatchesReference("mipmapped_floor", canvas);
}

// Translucent triangles crossing each other in depth, drawn back to front and then front to
// back over an opaque one: blending, depth test and writes together.
TEST(ReferenceImages, TranslucentLayersWithDepth) {
  Canvas canvas = OpaqueCanvas(64, 64, 0xFF303030u);
  DrawCall call = BasicDraw(canvas);
  call.color.alphaIsOpaque = true;
  call.depthState = {true, true, CompareFunction::LessEqual};
  call.blend = {true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha};
  std::vector<ScreenSpaceVertex> triangles = {
      {4, 4, 0.5f, 1, 0xFF2060C0u, 0, 0},   {60, 10, 0.5f, 1, 0xFF2060C0u, 0, 0}, {20, 60, 0.5f, 1, 0xFF2060C0u, 0, 0},
      {10, 50, 0.2f, 1, 0x80FF4000u, 0, 0}, {30, 2, 0.8f, 1, 0x80FFC000u, 0, 0},  {62, 40, 0.2f, 1, 0x8040FF00u, 0, 0},
      {2, 20, 0.9f, 1, 0x60FFFFFFu, 0, 0},  {58, 58, 0.1f, 1, 0xC000FFFFu, 0, 0}, {20, 62, 0.1f, 1, 0x20FF00FFu, 0, 0},
  };
  call.vertices = StreamOf(triangles);
  SetTriangleList(call, 3);
  Device device(2);
  ASSERT_EQ(device.Draw(call), Status::Ok);
  ExpectMatchesReference("translucent_layers", canvas);
}

}  // namespace
}  // namespace refdevice::testing
