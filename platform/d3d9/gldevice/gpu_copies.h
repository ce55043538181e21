// The GPU's copies of a device's resources. Every resource keeps its bytes in memory (the API
// objects own them); a copy here is made at first use and kept in step both ways: bytes the
// processor changed go up before the GPU uses them, pixels the GPU drew come down before the
// processor reads them. Render-target textures and depth surfaces are drawn into on the GPU;
// the back buffer is the window's own framebuffer, with its depth buffer standing for the
// automatic depth surface.
// Implements: textures (all levels), render-target surfaces, depth surfaces (16-bit
// renderbuffers), vertex and index buffers, the framebuffer objects that pair a colour level
// with a depth surface, and read-back.
// Leaves out: writing the back buffer's bytes from the processor (a lockable back buffer reads
// right but its changes are not shown), depth read-back (no depth format can be locked).
#pragma once

#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "gl_api.h"

namespace d3d9 {
class Resource;
class Surface;
class Texture;
class VertexBuffer;
class IndexBuffer;
}  // namespace d3d9

namespace gldevice {

// Where a draw's pixels go.
struct BoundTarget {
  bool isWindow = false;  // the window's framebuffer: GL's rows run bottom-up there
  int height = 0;         // of the colour target, for turning Direct3D rows into GL rows
};

struct SamplerSettings {
  GLint minFilter = GL_NEAREST;
  GLint magFilter = GL_NEAREST;
  GLint wrapS = GL_REPEAT;
  GLint wrapT = GL_REPEAT;
  GLint baseLevel = 0;
  bool operator==(const SamplerSettings&) const = default;
};

class GpuCopies {
 public:
  explicit GpuCopies(const GlApi& gl) : gl_(gl) {}
  ~GpuCopies();
  GpuCopies(const GpuCopies&) = delete;
  GpuCopies& operator=(const GpuCopies&) = delete;

  void UseSwapSurfaces(const d3d9::Surface* backBuffer, const d3d9::Surface* automaticDepth);

  // Binds the texture to unit 0 with the given sampling, bringing its copy up to date.
  void BindTexture(d3d9::Texture& texture, const SamplerSettings& sampler);
  // Binds a 1 x 1 opaque white texture: what a stage without a texture reads.
  void BindWhiteTexture();

  // Binds the framebuffer of the colour target with the depth surface (null: none). False
  // when GL cannot pair them (the window's framebuffer goes only with its own depth buffer).
  bool BindTarget(d3d9::Surface& color, const d3d9::Surface* depth, BoundTarget& bound);
  // The GPU drew into the surface: its bytes are out of date until read back.
  void Drawn(d3d9::Surface& color);

  // The GL buffer holding the resource's bytes, brought up to date.
  GLuint VertexBufferName(const d3d9::VertexBuffer& buffer);
  // Also the largest index the buffer holds.
  GLuint IndexBufferName(const d3d9::IndexBuffer& buffer, uint32_t& largestIndex);

  void BringToMemory(d3d9::Surface& surface);
  void MemoryChanged(const d3d9::Resource& resource);
  void Forget(const d3d9::Resource& resource);

 private:
  struct TextureCopy {
    GLuint name = 0;
    bool memoryNewer = true;
    SamplerSettings sampler;
    bool samplerSet = false;
  };
  struct BufferCopy {
    GLuint name = 0;
    bool memoryNewer = true;
    uint32_t largestIndex = 0;
  };
  // A colour level (texture or surface resource, level) paired with a depth surface (or none).
  using FramebufferKey = std::tuple<const d3d9::Resource*, unsigned, const d3d9::Resource*>;

  // The texture copy of a colour surface: its own, or its texture's; `level` receives the level.
  TextureCopy& ColorCopy(d3d9::Surface& surface, unsigned& level);
  TextureCopy& TextureCopyOf(d3d9::Texture& texture);
  void Upload(d3d9::Texture& texture, TextureCopy& copy);
  void Upload(d3d9::Surface& surface, TextureCopy& copy);
  GLuint DepthRenderbuffer(const d3d9::Surface& depth);
  GLuint Framebuffer(d3d9::Surface& color, const d3d9::Surface* depth);
  void ReadWindow(d3d9::Surface& backBuffer);

  const GlApi& gl_;
  const d3d9::Surface* backBuffer_ = nullptr;
  const d3d9::Surface* automaticDepth_ = nullptr;
  bool backBufferDrawn_ = false;
  GLuint white_ = 0;
  std::unordered_map<const d3d9::Resource*, TextureCopy> textures_;
  std::unordered_map<const d3d9::Resource*, GLuint> depths_;
  std::unordered_map<const d3d9::Resource*, BufferCopy> buffers_;
  // Levels drawn by the GPU since their bytes were last read back, one bit per level.
  std::unordered_map<const d3d9::Resource*, uint32_t> drawnLevels_;
  std::map<FramebufferKey, GLuint> framebuffers_;
  std::vector<uint32_t> rows_;  // reused by read-back of the window
  // What is bound now, so that a draw binds only what changed; kUnknown after a deletion.
  static constexpr GLuint kUnknown = ~GLuint{0};
  GLuint boundTexture_ = kUnknown;
  GLuint boundFramebuffer_ = kUnknown;
  void BindTextureName(GLuint name);
  void BindFramebufferName(GLuint name);
};

}  // namespace gldevice
