// The hardware device's drawing through OpenGL 2.1 (see gl_backend.h).
// Implements: clears (scissored to the rectangle), indexed and non-indexed triangle lists,
// strips and fans from cached or streamed buffers, stage 0's operations through gl_programs.h,
// culling, depth test and writes, blending, point/linear/mip filtering, wrap/mirror/clamp
// addressing, render-target textures with their depth surfaces (gpu_copies.h), presentation
// with the swap interval, and the GL's limits as capabilities. Direct3D's conventions are
// kept: pixel centres on whole coordinates, depth 0..1, its winding seen with y down, and
// render-target rows top-down, as a texture sampled after them expects.
// Leaves out: pretransformed (XYZRHW) vertices (D3DERR_NOTAVAILABLE), a depth test pairing the
// window with another depth surface or a render-target texture with the automatic one
// (D3DERR_NOTAVAILABLE), and recovering a lost GL context (the device stays lost).
#include "gl_backend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../../win32/display_bridge.h"
#include "buffers.h"
#include "gl_api.h"
#include "gl_programs.h"
#include "gpu_copies.h"
#include "renderer_kind.h"
#include "surface.h"
#include "test_switches.h"
#include "texture.h"
#include "vertex_processing.h"

namespace gldevice {

namespace {

GLenum CompareOf(refdevice::CompareFunction function) {
  switch (function) {
    case refdevice::CompareFunction::Never:
      return GL_NEVER;
    case refdevice::CompareFunction::Less:
      return GL_LESS;
    case refdevice::CompareFunction::Equal:
      return GL_EQUAL;
    case refdevice::CompareFunction::LessEqual:
      return GL_LEQUAL;
    case refdevice::CompareFunction::Greater:
      return GL_GREATER;
    case refdevice::CompareFunction::NotEqual:
      return GL_NOTEQUAL;
    case refdevice::CompareFunction::GreaterEqual:
      return GL_GEQUAL;
    case refdevice::CompareFunction::Always:
      return GL_ALWAYS;
  }
  return GL_LEQUAL;
}

GLenum FactorOf(refdevice::BlendFactor factor) {
  switch (factor) {
    case refdevice::BlendFactor::Zero:
      return GL_ZERO;
    case refdevice::BlendFactor::One:
      return GL_ONE;
    case refdevice::BlendFactor::SourceColor:
      return GL_SRC_COLOR;
    case refdevice::BlendFactor::InverseSourceColor:
      return GL_ONE_MINUS_SRC_COLOR;
    case refdevice::BlendFactor::SourceAlpha:
      return GL_SRC_ALPHA;
    case refdevice::BlendFactor::InverseSourceAlpha:
      return GL_ONE_MINUS_SRC_ALPHA;
    case refdevice::BlendFactor::DestinationAlpha:
      return GL_DST_ALPHA;
    case refdevice::BlendFactor::InverseDestinationAlpha:
      return GL_ONE_MINUS_DST_ALPHA;
    case refdevice::BlendFactor::DestinationColor:
      return GL_DST_COLOR;
    case refdevice::BlendFactor::InverseDestinationColor:
      return GL_ONE_MINUS_DST_COLOR;
  }
  return GL_ONE;
}

GLint WrapOf(refdevice::Address address) {
  switch (address) {
    case refdevice::Address::Wrap:
      return GL_REPEAT;
    case refdevice::Address::Mirror:
      return GL_MIRRORED_REPEAT;
    case refdevice::Address::Clamp:
      return GL_CLAMP_TO_EDGE;
  }
  return GL_REPEAT;
}

GLint MinFilterOf(const refdevice::SamplerState& sampler) {
  const bool linear = sampler.minFilter == refdevice::Filter::Linear;
  switch (sampler.mipFilter) {
    case refdevice::MipFilter::None:
      return linear ? GL_LINEAR : GL_NEAREST;
    case refdevice::MipFilter::Point:
      return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case refdevice::MipFilter::Linear:
      return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  }
  return GL_NEAREST;
}

GLenum ModeOf(refdevice::PrimitiveType type) {
  switch (type) {
    case refdevice::PrimitiveType::TriangleList:
      return GL_TRIANGLES;
    case refdevice::PrimitiveType::TriangleStrip:
      return GL_TRIANGLE_STRIP;
    case refdevice::PrimitiveType::TriangleFan:
      return GL_TRIANGLE_FAN;
  }
  return GL_TRIANGLES;
}

uint64_t ElementCount(const refdevice::DrawRange& range) {
  return range.type == refdevice::PrimitiveType::TriangleList ? uint64_t{range.primitiveCount} * 3
                                                              : uint64_t{range.primitiveCount} + 2;
}

// p * world * view * projection as one matrix, for row vectors.
refdevice::Matrix Combined(const refdevice::Transforms& transforms) {
  return refdevice::Multiply(refdevice::Multiply(transforms.world, transforms.view), transforms.projection);
}

uint32_t IndexAt(const refdevice::IndexStream& indices, size_t position) {
  if (indices.format == refdevice::IndexFormat::Bits32) {
    uint32_t index;
    std::memcpy(&index, static_cast<const uint8_t*>(indices.data) + position * 4, 4);
    return index;
  }
  uint16_t index;
  std::memcpy(&index, static_cast<const uint8_t*>(indices.data) + position * 2, 2);
  return index;
}

// The renderer of the display's GL, once known: every HAL attempt after the first that found a
// software renderer is refused without making another context.
std::optional<bool> softwareRendererSeen;

// The GL state a draw sets, as last set, so that only changes reach the GL.
struct PipelineCache {
  GLuint program = ~GLuint{0};
  int cull = -1;  // -1 unknown, 0 off, else the front face
  int depthTest = -1;
  GLenum depthFunction = 0;
  int depthMask = -1;
  int blend = -1;
  GLenum blendSource = 0;
  GLenum blendDestination = 0;
  int viewport[4] = {-1, -1, -1, -1};
  float depthRange[2] = {-1.0f, -1.0f};
  bool attributeEnabled[3] = {false, false, false};
};

class GlBackend final : public d3d9::DrawingBackend {
 public:
  GlBackend(std::unique_ptr<standin::GlContext> context, HWND window)
      : context_(std::move(context)), window_(window), programs_(gl_), copies_(gl_) {}

  ~GlBackend() override {
    if (!context_->MakeCurrent()) return;  // the window is gone, and the GL objects with it
    if (streamVertices_ != 0) gl_.DeleteBuffers(1, &streamVertices_);
    if (streamIndices_ != 0) gl_.DeleteBuffers(1, &streamIndices_);
  }

  bool Initialise();

  bool PacesPresentation() const override { return true; }
  void DescribeCapabilities(D3DCAPS9& caps) const override {
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.MaxTextureWidth = std::min<DWORD>(caps.MaxTextureWidth, static_cast<DWORD>(maxTextureSize_));
    caps.MaxTextureHeight = std::min<DWORD>(caps.MaxTextureHeight, static_cast<DWORD>(maxTextureSize_));
  }
  void UseSwapSurfaces(d3d9::Surface* backBuffer, d3d9::Surface* automaticDepth) override {
    copies_.UseSwapSurfaces(backBuffer, automaticDepth);
  }

  void Clear(const d3d9::ClearRequest& request) override;
  HRESULT Draw(const refdevice::DrawCall& call, const d3d9::DrawObjects& objects) override;
  bool Present(HWND window, d3d9::Surface& backBuffer, UINT interval) override;

  void BringToMemory(d3d9::Surface& surface) override {
    if (context_->MakeCurrent()) copies_.BringToMemory(surface);
  }
  void MemoryChanged(const d3d9::Resource& resource) override { copies_.MemoryChanged(resource); }
  void Forget(const d3d9::Resource& resource) override {
    if (context_->MakeCurrent()) copies_.Forget(resource);
  }

 private:
  void FillOutsideGpu(const d3d9::ClearRequest& request);
  void SetViewport(int x, int y, int width, int height);
  void SetRasterStates(const refdevice::DrawCall& call, bool isWindow);
  void BindStageTexture(const refdevice::DrawCall& call, const d3d9::DrawObjects& objects);
  void SetAttribute(GLuint slot, bool present, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                    size_t offset);
  // Points the attributes at the stream's vertices from `baseVertex` on; rebaseIndices tells
  // that this was not possible and the indices must carry the base vertex instead.
  void BindVertices(const refdevice::VertexStream& stream, const d3d9::VertexBuffer* buffer, int64_t baseVertex,
                    bool& rebaseIndices);
  HRESULT DrawIndexed(const refdevice::DrawCall& call, const d3d9::DrawObjects& objects);
  void PaceWithoutVerticalBlank(UINT interval);

  std::unique_ptr<standin::GlContext> context_;
  HWND window_;
  GlApi gl_;
  ProgramCache programs_;
  GpuCopies copies_;
  PipelineCache cache_;
  GLint maxTextureSize_ = 0;
  GLuint streamVertices_ = 0;  // vertices from memory that no vertex buffer holds
  GLuint streamIndices_ = 0;
  std::vector<uint32_t> rebased_;  // indices with a negative base vertex added in
  int swapInterval_ = -1;
  std::chrono::steady_clock::time_point lastPresent_{};
  std::chrono::nanoseconds refreshPeriod_{16666667};
};

bool GlBackend::Initialise() {
  if (!context_->MakeCurrent() || !LoadGlApi(*context_, gl_)) return false;
  const auto* renderer = reinterpret_cast<const char*>(gl_.GetString(GL_RENDERER));
  const auto* version = reinterpret_cast<const char*>(gl_.GetString(GL_VERSION));
  if (renderer == nullptr || version == nullptr) return false;
  softwareRendererSeen = IsSoftwareRenderer(renderer);
  if (*softwareRendererSeen && !SoftwareRendererAdmitted()) return false;
  int major = 0;
  int minor = 0;
  // "OpenGL ES ..." does not parse: the shaders are desktop GLSL.
  if (std::sscanf(version, "%d.%d", &major, &minor) != 2 || major * 10 + minor < 21) return false;
  gl_.GetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  if (maxTextureSize_ < 512) return false;  // the scene's offscreen image
  if (programs_.Find(refdevice::TextureStage{}) == nullptr) return false;
  gl_.ActiveTexture(GL_TEXTURE0);
  gl_.Disable(GL_DITHER);
  gl_.GenBuffers(1, &streamVertices_);
  gl_.GenBuffers(1, &streamIndices_);
  const int rate = standin::DisplayRefreshRate(window_);
  refreshPeriod_ = std::chrono::nanoseconds(1000000000LL / (rate > 0 ? rate : 60));
  return gl_.GetError() == GL_NO_ERROR;
}

void GlBackend::FillOutsideGpu(const d3d9::ClearRequest& request) {
  // A plain surface has no GPU copy: its bytes are filled where they are.
  d3d9::Surface& surface = *request.target;
  const refdevice::Rect& rect = request.rect;
  for (int row = rect.top; row < rect.bottom; ++row) {
    auto* line = reinterpret_cast<uint32_t*>(surface.Bits() + static_cast<size_t>(row) * surface.PitchBytes());
    std::fill(line + rect.left, line + rect.right, request.color);
  }
}

void GlBackend::Clear(const d3d9::ClearRequest& request) {
  const refdevice::Rect& rect = request.rect;
  if (rect.left >= rect.right || rect.top >= rect.bottom || !context_->MakeCurrent()) return;
  if ((request.target->Usage() & D3DUSAGE_RENDERTARGET) == 0) {
    if (request.clearColor) FillOutsideGpu(request);
    return;
  }
  auto clear = [&](d3d9::Surface* depth, GLbitfield bits) {
    BoundTarget bound;
    if (!copies_.BindTarget(*request.target, depth, bound)) return false;
    const int top = bound.isWindow ? bound.height - rect.bottom : rect.top;
    gl_.Enable(GL_SCISSOR_TEST);
    gl_.Scissor(rect.left, top, rect.right - rect.left, rect.bottom - rect.top);
    if ((bits & GL_COLOR_BUFFER_BIT) != 0) {
      gl_.ClearColor(static_cast<float>((request.color >> 16) & 0xFF) / 255.0f,
                     static_cast<float>((request.color >> 8) & 0xFF) / 255.0f,
                     static_cast<float>(request.color & 0xFF) / 255.0f,
                     static_cast<float>(request.color >> 24) / 255.0f);
    }
    if ((bits & GL_DEPTH_BUFFER_BIT) != 0) {
      gl_.ClearDepth(request.z);
      if (cache_.depthMask != 1) {
        gl_.DepthMask(GL_TRUE);
        cache_.depthMask = 1;
      }
    }
    gl_.Clear(bits);
    gl_.Disable(GL_SCISSOR_TEST);
    if ((bits & GL_COLOR_BUFFER_BIT) != 0) copies_.Drawn(*request.target);
    return true;
  };
  const GLbitfield colorBit = request.clearColor ? GL_COLOR_BUFFER_BIT : 0;
  if (request.depth == nullptr) {
    if (colorBit != 0) clear(nullptr, colorBit);
    return;
  }
  // One clear where the two can be paired; the colour alone otherwise.
  if (!clear(request.depth, colorBit | GL_DEPTH_BUFFER_BIT) && colorBit != 0) clear(nullptr, colorBit);
}

void GlBackend::SetViewport(int x, int y, int width, int height) {
  const int wanted[4] = {x, y, width, height};
  if (std::equal(wanted, wanted + 4, cache_.viewport)) return;
  gl_.Viewport(x, y, width, height);
  std::copy(wanted, wanted + 4, cache_.viewport);
}

void GlBackend::SetRasterStates(const refdevice::DrawCall& call, bool isWindow) {
  // Direct3D names the dropped winding as seen on the screen, and so does GL in the window.
  // Render targets are drawn upside down in GL's terms (GL's y runs down the picture there),
  // which turns every winding over.
  int cull = 0;
  if (call.cull != refdevice::CullMode::None) {
    const bool keepClockwise = call.cull == refdevice::CullMode::CounterClockwise;
    cull = keepClockwise == isWindow ? GL_CW : GL_CCW;
  }
  if (cull != cache_.cull) {
    if (cull == 0) {
      gl_.Disable(GL_CULL_FACE);
    } else {
      if (cache_.cull <= 0) gl_.Enable(GL_CULL_FACE);
      gl_.FrontFace(static_cast<GLenum>(cull));
      gl_.CullFace(GL_BACK);
    }
    cache_.cull = cull;
  }
  const int depthTest = call.depthState.testEnable ? 1 : 0;
  if (depthTest != cache_.depthTest) {
    depthTest ? gl_.Enable(GL_DEPTH_TEST) : gl_.Disable(GL_DEPTH_TEST);
    cache_.depthTest = depthTest;
  }
  if (depthTest) {
    const GLenum function = CompareOf(call.depthState.compare);
    if (function != cache_.depthFunction) {
      gl_.DepthFunc(function);
      cache_.depthFunction = function;
    }
    const int mask = call.depthState.writeEnable ? 1 : 0;
    if (mask != cache_.depthMask) {
      gl_.DepthMask(mask ? GL_TRUE : GL_FALSE);
      cache_.depthMask = mask;
    }
  }
  const int blend = call.blend.enable ? 1 : 0;
  if (blend != cache_.blend) {
    blend ? gl_.Enable(GL_BLEND) : gl_.Disable(GL_BLEND);
    cache_.blend = blend;
  }
  if (blend) {
    const GLenum source = FactorOf(call.blend.source);
    const GLenum destination = FactorOf(call.blend.destination);
    if (source != cache_.blendSource || destination != cache_.blendDestination) {
      gl_.BlendFunc(source, destination);
      cache_.blendSource = source;
      cache_.blendDestination = destination;
    }
  }
}

void GlBackend::BindStageTexture(const refdevice::DrawCall& call, const d3d9::DrawObjects& objects) {
  if (objects.texture == nullptr) {
    copies_.BindWhiteTexture();
    return;
  }
  SamplerSettings sampler;
  sampler.minFilter = MinFilterOf(call.stage.sampler);
  sampler.magFilter = call.stage.sampler.magFilter == refdevice::Filter::Linear ? GL_LINEAR : GL_NEAREST;
  sampler.wrapS = WrapOf(call.stage.sampler.addressU);
  sampler.wrapT = WrapOf(call.stage.sampler.addressV);
  sampler.baseLevel = static_cast<GLint>(objects.firstTextureLevel);
  copies_.BindTexture(*objects.texture, sampler);
}

void GlBackend::SetAttribute(GLuint slot, bool present, GLint size, GLenum type, GLboolean normalized, GLsizei stride,
                             size_t offset) {
  if (!present) {
    if (cache_.attributeEnabled[slot]) {
      gl_.DisableVertexAttribArray(slot);
      cache_.attributeEnabled[slot] = false;
    }
    // What a vertex without the element reads: opaque white, texture coordinates (0, 0).
    if (slot == kDiffuseAttribute) gl_.VertexAttrib4f(slot, 1.0f, 1.0f, 1.0f, 1.0f);
    if (slot == kTexcoordAttribute) gl_.VertexAttrib2f(slot, 0.0f, 0.0f);
    return;
  }
  if (!cache_.attributeEnabled[slot]) {
    gl_.EnableVertexAttribArray(slot);
    cache_.attributeEnabled[slot] = true;
  }
  gl_.VertexAttribPointer(slot, size, type, normalized, stride, reinterpret_cast<const void*>(offset));
}

void GlBackend::BindVertices(const refdevice::VertexStream& stream, const d3d9::VertexBuffer* buffer,
                             int64_t baseVertex, bool& rebaseIndices) {
  const refdevice::VertexLayout& layout = stream.layout;
  GLuint name = 0;
  int64_t start = 0;  // byte offset of vertex 0 of the stream in the GL buffer
  if (buffer != nullptr) {
    name = copies_.VertexBufferName(*buffer);
    start = stream.data - buffer->Storage().Bytes();
  } else {
    name = streamVertices_;
    gl_.BindBuffer(GL_ARRAY_BUFFER, name);
    gl_.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(stream.vertexCount * layout.strideBytes), stream.data,
                   GL_STREAM_DRAW);
  }
  // GL 2.1 has no base vertex for indexed draws: the attributes start at it instead, unless
  // that lies before the buffer; then the indices get it added.
  int64_t first = start + baseVertex * static_cast<int64_t>(layout.strideBytes);
  rebaseIndices = first < 0;
  if (rebaseIndices) first = start;
  const auto stride = static_cast<GLsizei>(layout.strideBytes);
  const auto at = [&](int offset) { return static_cast<size_t>(first + offset); };
  SetAttribute(kPositionAttribute, true, 3, GL_FLOAT, GL_FALSE, stride, at(layout.positionOffset));
  SetAttribute(kDiffuseAttribute, layout.diffuseOffset != refdevice::kAbsent, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
               at(layout.diffuseOffset));
  SetAttribute(kTexcoordAttribute, layout.texcoordOffset != refdevice::kAbsent, 2, GL_FLOAT, GL_FALSE, stride,
               at(layout.texcoordOffset));
}

HRESULT GlBackend::DrawIndexed(const refdevice::DrawCall& call, const d3d9::DrawObjects& objects) {
  const refdevice::DrawRange& range = call.range;
  const uint64_t count = ElementCount(range);
  if (uint64_t{range.firstIndex} + count > call.indices.indexCount) return D3DERR_INVALIDCALL;
  const int64_t vertexCount = static_cast<int64_t>(call.vertices.vertexCount);
  GLuint indexName = 0;
  uint32_t largest = 0;
  bool checked = false;
  if (objects.indexBuffer != nullptr) {
    indexName = copies_.IndexBufferName(*objects.indexBuffer, largest);
    // Every index of the buffer in range: nothing to look at per draw.
    checked = range.baseVertex >= 0 && int64_t{range.baseVertex} + largest < vertexCount;
  }
  if (!checked) {
    // An index outside the stream would read outside the GL buffer: refused, as the reference
    // device refuses it.
    for (uint64_t i = 0; i < count; ++i) {
      const int64_t vertex = int64_t{range.baseVertex} + IndexAt(call.indices, range.firstIndex + i);
      if (vertex < 0 || vertex >= vertexCount) return D3DERR_INVALIDCALL;
    }
  }
  bool rebase = false;
  BindVertices(call.vertices, objects.vertexBuffer, range.baseVertex, rebase);
  const bool wide = call.indices.format == refdevice::IndexFormat::Bits32;
  const size_t indexBytes = wide ? 4 : 2;
  if (rebase) {
    rebased_.resize(count);
    for (uint64_t i = 0; i < count; ++i) {
      rebased_[i] = static_cast<uint32_t>(int64_t{range.baseVertex} + IndexAt(call.indices, range.firstIndex + i));
    }
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIndices_);
    gl_.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * 4), rebased_.data(), GL_STREAM_DRAW);
    gl_.DrawElements(ModeOf(range.type), static_cast<GLsizei>(count), GL_UNSIGNED_INT, nullptr);
    return D3D_OK;
  }
  size_t offset = range.firstIndex * indexBytes;
  if (indexName == 0) {
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIndices_);
    gl_.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * indexBytes),
                   static_cast<const uint8_t*>(call.indices.data) + offset, GL_STREAM_DRAW);
    offset = 0;
  }
  gl_.DrawElements(ModeOf(range.type), static_cast<GLsizei>(count), wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                   reinterpret_cast<const void*>(offset));
  return D3D_OK;
}

HRESULT GlBackend::Draw(const refdevice::DrawCall& call, const d3d9::DrawObjects& objects) {
  if (call.vertices.layout.pretransformed) return D3DERR_NOTAVAILABLE;
  if (!context_->MakeCurrent()) return D3D_OK;  // the window is gone: nothing to draw into
  const Program* program = programs_.Find(call.stage);
  if (program == nullptr) return D3DERR_DRIVERINTERNALERROR;
  BoundTarget bound;
  if (!copies_.BindTarget(*objects.color, call.depthState.testEnable ? objects.depth : nullptr, bound)) {
    return D3DERR_NOTAVAILABLE;
  }
  const refdevice::Viewport& viewport = call.viewport;
  if (viewport.width <= 0 || viewport.height <= 0) return D3D_OK;
  SetViewport(viewport.x, bound.isWindow ? bound.height - (viewport.y + viewport.height) : viewport.y, viewport.width,
              viewport.height);
  if (cache_.depthRange[0] != viewport.minZ || cache_.depthRange[1] != viewport.maxZ) {
    gl_.DepthRange(viewport.minZ, viewport.maxZ);
    cache_.depthRange[0] = viewport.minZ;
    cache_.depthRange[1] = viewport.maxZ;
  }
  SetRasterStates(call, bound.isWindow);
  BindStageTexture(call, objects);

  if (cache_.program != program->name) {
    gl_.UseProgram(program->name);
    cache_.program = program->name;
  }
  const refdevice::Matrix transform = Combined(call.transforms);
  gl_.UniformMatrix4fv(program->transform, 1, GL_FALSE, &transform.m[0][0]);
  const float flip = bound.isWindow ? 1.0f : -1.0f;
  gl_.Uniform1f(program->flip, flip);
  gl_.Uniform2f(program->pixel, 1.0f / static_cast<float>(viewport.width), -flip / static_cast<float>(viewport.height));

  HRESULT result = D3D_OK;
  if (call.indices.format != refdevice::IndexFormat::None) {
    result = DrawIndexed(call, objects);
  } else {
    const uint64_t count = ElementCount(call.range);
    if (uint64_t{call.range.firstVertex} + count > call.vertices.vertexCount) return D3DERR_INVALIDCALL;
    bool rebase = false;
    BindVertices(call.vertices, objects.vertexBuffer, 0, rebase);
    gl_.DrawArrays(ModeOf(call.range.type), static_cast<GLint>(call.range.firstVertex), static_cast<GLsizei>(count));
  }
  if (SUCCEEDED(result)) copies_.Drawn(*objects.color);
  return result;
}

void GlBackend::PaceWithoutVerticalBlank(UINT interval) {
  // A display that does not wait for its refresh at the swap (a virtual X server has none)
  // would let the saver draw as fast as the processor goes: wait out the refresh here then.
  const auto now = std::chrono::steady_clock::now();
  const auto due = lastPresent_ + refreshPeriod_ * static_cast<int>(interval);
  if (now < due) std::this_thread::sleep_until(due);
  lastPresent_ = std::max(now, due);
}

bool GlBackend::Present(HWND window, d3d9::Surface& /*backBuffer*/, UINT interval) {
  if (window != window_ || !context_->MakeCurrent()) return false;
  const bool immediate = interval == D3DPRESENT_INTERVAL_IMMEDIATE || d3d9::PresentPacingDisabled();
  const UINT refreshes = immediate ? 0 : std::max<UINT>(1, std::min<UINT>(interval, 4));
  if (static_cast<int>(refreshes) != swapInterval_) {
    context_->SetSwapInterval(static_cast<int>(refreshes));
    swapInterval_ = static_cast<int>(refreshes);
  }
  if (!context_->Swap()) return false;
  if (refreshes > 0) PaceWithoutVerticalBlank(refreshes);
  return true;
}

}  // namespace

std::unique_ptr<d3d9::DrawingBackend> CreateBackend(HWND window) {
  if (softwareRendererSeen.value_or(false) && !SoftwareRendererAdmitted()) return nullptr;
  std::unique_ptr<standin::GlContext> context = standin::CreateGlContext(window);
  if (!context) return nullptr;
  auto backend = std::make_unique<GlBackend>(std::move(context), window);
  if (!backend->Initialise()) return nullptr;
  return backend;
}

}  // namespace gldevice
