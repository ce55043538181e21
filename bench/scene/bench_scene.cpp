// bench_scene: draws the kaleidoscope proxy frame of the bench-scene folder (an object pass
// into a 512 x 512 render-target texture, then the mirrored disc and the mask into the back
// buffer) without presentation, and prints the median milliseconds per frame on its last line.
// The frame goes through the Direct3D 9 interface by default; `--interface refdevice` drives
// the reference device's own interface directly, which shows what the API layer costs.
// `--device hal` draws through the OpenGL device instead of the reference device (an X display
// with OpenGL is needed, and ORBELUNE_HAL=software where its GL is software); each of its
// frames ends with Present, since a GL frame is only finished when it is shown, and the GL
// calls per frame are printed as well.
//
//   bench_scene --scene DIR [--size WxH] [--threads N] [--frames N] [--warmup N]
//               [--theta DEGREES] [--write-frame PATH.bmp] [--interface d3d9|refdevice]
//               [--device ref|hal] [--without-mask]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "d3d9_scene_renderer.h"
#include "gldevice/gl_api.h"
#include "refdevice.h"
#include "scene_files.h"
#include "scene_options.h"
#include "scene_matrices.h"

namespace {

constexpr int kOffscreenSize = 512;

struct Options : SceneOptions {
  int threads = 0;
  bool direct = false;  // the reference device's interface instead of Direct3D 9
  bool hal = false;     // the OpenGL device instead of the reference device
  bool withMask = true;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (name == "--without-mask") {
      options.withMask = false;
      continue;
    }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (name == "--threads") {
      options.threads = std::atoi(value);
    } else if (name == "--interface") {
      std::string chosen = value;
      if (chosen != "d3d9" && chosen != "refdevice") return false;
      options.direct = chosen == "refdevice";
    } else if (name == "--device") {
      std::string chosen = value;
      if (chosen != "ref" && chosen != "hal") return false;
      options.hal = chosen == "hal";
    } else if (!ReadSceneOption(name, value, options)) {
      return false;
    }
  }
  return SceneOptionsAreComplete(options) && !(options.direct && options.hal);
}

struct QuadVertex {
  float x, y, z;
  uint32_t diffuse;
  float u, v;
};

refdevice::VertexStream QuadStream(const std::vector<QuadVertex>& quad) {
  refdevice::VertexStream stream;
  stream.data = reinterpret_cast<const uint8_t*>(quad.data());
  stream.vertexCount = quad.size();
  stream.layout = {sizeof(QuadVertex), 0, false, refdevice::kAbsent, 12, 16};
  return stream;
}

std::vector<QuadVertex> Quad(float half, float z, uint32_t diffuse, float halfWidth) {
  return {{-halfWidth, half, z, diffuse, 0, 0},
          {halfWidth, half, z, diffuse, 1, 0},
          {-halfWidth, -half, z, diffuse, 0, 1},
          {halfWidth, -half, z, diffuse, 1, 1}};
}

refdevice::Texture OneLevelTexture(const uint32_t* texels, int width, int height) {
  refdevice::Texture texture;
  texture.levels[0] = {texels, width, height, size_t(width) * 4};
  texture.levelCount = 1;
  return texture;
}

class FrameRenderer {
 public:
  virtual ~FrameRenderer() = default;
  virtual bool DrawFrame(float theta, bool withMask) = 0;
  virtual bool WriteFrame(const std::string& path) = 0;
};

class ThroughD3d9 : public FrameRenderer {
 public:
  explicit ThroughD3d9(std::unique_ptr<D3d9SceneRenderer> renderer) : renderer_(std::move(renderer)) {}
  bool DrawFrame(float theta, bool withMask) override { return renderer_->DrawFrame(theta, withMask); }
  bool WriteFrame(const std::string& path) override { return renderer_->WriteFrame(path); }

 private:
  std::unique_ptr<D3d9SceneRenderer> renderer_;
};

// The OpenGL device's frame: drawn, then shown, which is when the GL has finished it.
class ThroughOpenGlDevice : public FrameRenderer {
 public:
  explicit ThroughOpenGlDevice(std::unique_ptr<D3d9SceneRenderer> renderer) : renderer_(std::move(renderer)) {}
  bool DrawFrame(float theta, bool withMask) override {
    return renderer_->DrawFrame(theta, withMask) && renderer_->PresentFrame();
  }
  // The back buffer is read before the frame is shown: afterwards its pixels are gone.
  bool WriteFrame(const std::string& path) override { return renderer_->WriteFrame(path); }
  bool DrawForWriting(float theta, bool withMask) { return renderer_->DrawFrame(theta, withMask); }

 private:
  std::unique_ptr<D3d9SceneRenderer> renderer_;
};

// The frame, drawn through the reference device's own interface.
class SceneRenderer : public FrameRenderer {
 public:
  SceneRenderer(const SceneData& scene, int width, int height, int threads)
      : scene_(scene),
        device_(threads),
        width_(width),
        height_(height),
        backBuffer_(size_t(width) * height),
        backDepth_(size_t(width) * height),
        offscreen_(size_t(kOffscreenSize) * kOffscreenSize),
        offscreenDepth_(offscreen_.size()),
        objectQuad_(Quad(1, 0, 0xE6FFF2E6u, 2)),
        maskQuad_(Quad(8.85f, -0.1f, 0xFF8CBFFFu, 8.85f)) {
    objectTexture_ = OneLevelTexture(scene.objectImage.data(), SceneData::kObjectWidth, SceneData::kObjectHeight);
    maskTexture_ = OneLevelTexture(scene.maskImage.data(), SceneData::kMaskWidth, SceneData::kMaskHeight);
    offscreenTexture_ = OneLevelTexture(offscreen_.data(), kOffscreenSize, kOffscreenSize);
  }

  bool DrawFrame(float theta, bool withMask) override {
    using namespace refdevice;
    DrawCall base;
    base.cull = CullMode::CounterClockwise;
    base.depthState = {false, true, CompareFunction::LessEqual};
    base.blend = {true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha};
    base.stage.color = {StageOperation::Modulate, StageArgument::Texture, StageArgument::Diffuse};
    base.stage.alpha = {StageOperation::Modulate2x, StageArgument::Texture, StageArgument::Diffuse};
    base.stage.sampler = {Filter::Linear, Filter::Linear, MipFilter::None, Address::Mirror, Address::Mirror};

    // Object pass.
    ColorTarget offscreenTarget{offscreen_.data(), kOffscreenSize, kOffscreenSize, kOffscreenSize * 4, false};
    DepthTarget offscreenDepth{offscreenDepth_.data(), kOffscreenSize, kOffscreenSize, kOffscreenSize * 2};
    Rect offscreenRect{0, 0, kOffscreenSize, kOffscreenSize};
    bool ok = device_.ClearColor(offscreenTarget, offscreenRect, 0xFFFFFFFFu) == Status::Ok &&
              device_.ClearDepth(offscreenDepth, offscreenRect, 1.0f) == Status::Ok;
    DrawCall object = base;
    object.color = offscreenTarget;
    object.depth = offscreenDepth;
    object.viewport = {0, 0, kOffscreenSize, kOffscreenSize, 0.0f, 1.0f};
    const float offscreenEye[3] = {0, 0, -5}, origin[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    object.transforms = {scene::Scaling(0.70715f, 0.70715f, 1.0f), scene::LookAtLH(offscreenEye, origin, up),
                         scene::OrthoLH(1, 1, 0, 1000)};
    object.stage.texture = &objectTexture_;
    object.vertices = QuadStream(objectQuad_);
    object.range.type = PrimitiveType::TriangleStrip;
    object.range.primitiveCount = 2;
    ok = ok && device_.Draw(object) == Status::Ok;

    // Main pass.
    ColorTarget back{backBuffer_.data(), width_, height_, size_t(width_) * 4, true};
    DepthTarget backDepth{backDepth_.data(), width_, height_, size_t(width_) * 2};
    Rect backRect{0, 0, width_, height_};
    ok = ok && device_.ClearColor(back, backRect, 0xFF000000u) == Status::Ok &&
         device_.ClearDepth(backDepth, backRect, 1.0f) == Status::Ok;
    const float mainEye[3] = {0, 0, -25};
    Matrix view = scene::LookAtLH(mainEye, origin, up);
    Matrix projection = scene::PerspectiveFovLH(0.08726646f, float(width_) / float(height_), 1.0f, 1000.0f);

    DrawCall disc = base;
    disc.color = back;
    disc.depth = backDepth;
    disc.viewport = {0, 0, width_, height_, 0.0f, 1.0f};
    disc.depthState.testEnable = true;
    disc.blend.enable = false;
    disc.transforms = {scene::RotationZ(theta), view, projection};
    disc.stage.texture = &offscreenTexture_;
    disc.vertices.data = scene_.discVertices.data();
    disc.vertices.vertexCount = SceneData::kDiscVertices;
    disc.vertices.layout = {20, 0, false, kAbsent, kAbsent, 12};
    disc.indices = {scene_.discIndices.data(), scene_.discIndices.size(), IndexFormat::Bits32};
    disc.range.type = PrimitiveType::TriangleList;
    disc.range.primitiveCount = SceneData::kDiscIndices / 3;
    disc.range.vertexRange = SceneData::kDiscVertices;
    ok = ok && device_.Draw(disc) == Status::Ok;

    DrawCall mask = disc;
    mask.blend.enable = true;
    mask.transforms.world = Matrix{};
    mask.stage.texture = &maskTexture_;
    mask.vertices = QuadStream(maskQuad_);
    mask.indices = {};
    mask.range = {};
    mask.range.type = PrimitiveType::TriangleStrip;
    mask.range.primitiveCount = 2;
    if (withMask) ok = ok && device_.Draw(mask) == Status::Ok;
    return ok;
  }

  bool WriteFrame(const std::string& path) override {
    return WriteBmp32(path, backBuffer_.data(), width_, height_, size_t(width_) * 4);
  }

 private:
  const SceneData& scene_;
  refdevice::Device device_;
  int width_, height_;
  std::vector<uint32_t> backBuffer_;
  std::vector<uint16_t> backDepth_;
  std::vector<uint32_t> offscreen_;
  std::vector<uint16_t> offscreenDepth_;
  std::vector<QuadVertex> objectQuad_, maskQuad_;
  refdevice::Texture objectTexture_, maskTexture_, offscreenTexture_;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: bench_scene --scene DIR [--size WxH] [--threads N] [--frames N] [--warmup N]\n"
                 "                   [--theta DEGREES] [--write-frame PATH.bmp] [--interface d3d9|refdevice] "
                 "[--device ref|hal] [--without-mask]\n");
    return 2;
  }
  SceneData scene;
  std::string error = LoadSceneData(options.sceneDirectory, scene);
  if (!error.empty()) {
    std::fprintf(stderr, "bench_scene: %s\n", error.c_str());
    return 1;
  }
  std::unique_ptr<FrameRenderer> chosen;
  if (options.direct) {
    chosen = std::make_unique<SceneRenderer>(scene, options.width, options.height, options.threads);
  } else {
    std::unique_ptr<D3d9SceneRenderer> d3d9 = D3d9SceneRenderer::Create(
        scene, options.hal ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF, options.width, options.height, options.threads, error);
    if (!d3d9) {
      std::fprintf(stderr, "bench_scene: %s\n", error.c_str());
      return 1;
    }
    if (options.hal) {
      chosen = std::make_unique<ThroughOpenGlDevice>(std::move(d3d9));
    } else {
      chosen = std::make_unique<ThroughD3d9>(std::move(d3d9));
    }
  }
  FrameRenderer& renderer = *chosen;
  float theta = options.thetaDegrees * 3.14159265358979f / 180.0f;

  if (!options.writeFrame.empty()) {
    auto* openGl = dynamic_cast<ThroughOpenGlDevice*>(chosen.get());
    const bool drawn = openGl != nullptr ? openGl->DrawForWriting(theta, options.withMask)
                                         : renderer.DrawFrame(theta, options.withMask);
    if (!drawn || !renderer.WriteFrame(options.writeFrame)) {
      std::fprintf(stderr, "bench_scene: cannot draw or write %s\n", options.writeFrame.c_str());
      return 1;
    }
    if (options.frames == 0) return 0;
  }

  for (int i = 0; i < options.warmup; ++i) renderer.DrawFrame(theta, options.withMask);
  std::vector<double> milliseconds;
  // Processor time next to wall time: on a busy machine it still shows what a frame costs.
  std::timespec cpuStart{}, cpuEnd{};
  const unsigned long long glCallsBefore = gldevice::GlCallCount();
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
  for (int i = 0; i < options.frames; ++i) {
    auto start = std::chrono::steady_clock::now();
    if (!renderer.DrawFrame(theta, options.withMask)) {
      std::fprintf(stderr, "bench_scene: a draw failed\n");
      return 1;
    }
    milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
  if (milliseconds.empty()) return 0;
  double cpuMilliseconds = (cpuEnd.tv_sec - cpuStart.tv_sec) * 1e3 + (cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e6;
  double mean = std::accumulate(milliseconds.begin(), milliseconds.end(), 0.0) / milliseconds.size();
  std::sort(milliseconds.begin(), milliseconds.end());
  std::printf("%s, size %dx%d, threads %d, frames %zu: mean %.3f ms, min %.3f ms, processor %.3f ms a frame\n",
              options.direct ? "refdevice" : (options.hal ? "d3d9 hal" : "d3d9"), options.width, options.height,
              options.threads, milliseconds.size(), mean, milliseconds.front(), cpuMilliseconds / milliseconds.size());
  if (options.hal) {
    std::printf("GL calls a frame: %.1f\n",
                double(gldevice::GlCallCount() - glCallsBefore) / double(milliseconds.size()));
  }
  std::printf("%.3f\n", milliseconds[milliseconds.size() / 2]);
  return 0;
}
