// Implements: the GPU copies of gpu_copies.h. Leaves out: what the header lists.
#include "gpu_copies.h"

#include <cstring>

#include "buffers.h"
#include "format_info.h"
#include "surface.h"
#include "texture.h"

namespace gldevice {

namespace {

const d3d9::Resource* KeyOf(const d3d9::Resource& resource) { return &resource; }

unsigned LevelOf(d3d9::Texture& texture, const d3d9::Surface& surface) {
  for (unsigned level = 0; level < texture.GetLevelCount(); ++level) {
    if (&texture.Level(level) == &surface) return level;
  }
  return 0;
}

// The resource whose copy holds the surface's pixels (its texture, or itself) and the level.
const d3d9::Resource* OwnerOf(d3d9::Surface& surface, unsigned& level) {
  level = 0;
  if (d3d9::Texture* texture = surface.Container(); texture != nullptr) {
    level = LevelOf(*texture, surface);
    return KeyOf(*texture);
  }
  return KeyOf(surface);
}

GLint InternalFormat(D3DFORMAT format) { return d3d9::HasOpaqueAlpha(format) ? GL_RGB8 : GL_RGBA8; }

template <typename Index>
uint32_t LargestIndex(const uint8_t* bytes, size_t length) {
  uint32_t largest = 0;
  for (size_t offset = 0; offset + sizeof(Index) <= length; offset += sizeof(Index)) {
    Index index;
    std::memcpy(&index, bytes + offset, sizeof index);
    if (index > largest) largest = index;
  }
  return largest;
}

}  // namespace

GpuCopies::~GpuCopies() {
  for (const auto& entry : framebuffers_) gl_.DeleteFramebuffers(1, &entry.second);
  for (const auto& entry : textures_) gl_.DeleteTextures(1, &entry.second.name);
  for (const auto& entry : depths_) gl_.DeleteRenderbuffers(1, &entry.second);
  for (const auto& entry : buffers_) gl_.DeleteBuffers(1, &entry.second.name);
  if (white_ != 0) gl_.DeleteTextures(1, &white_);
}

void GpuCopies::UseSwapSurfaces(const d3d9::Surface* backBuffer, const d3d9::Surface* automaticDepth) {
  backBuffer_ = backBuffer;
  automaticDepth_ = automaticDepth;
  backBufferDrawn_ = false;
}

void GpuCopies::BindTextureName(GLuint name) {
  if (boundTexture_ == name) return;
  gl_.BindTexture(GL_TEXTURE_2D, name);
  boundTexture_ = name;
}

void GpuCopies::BindFramebufferName(GLuint name) {
  if (boundFramebuffer_ == name) return;
  gl_.BindFramebuffer(GL_FRAMEBUFFER, name);
  boundFramebuffer_ = name;
}

GpuCopies::TextureCopy& GpuCopies::TextureCopyOf(d3d9::Texture& texture) {
  TextureCopy& copy = textures_[KeyOf(texture)];
  if (copy.name == 0) gl_.GenTextures(1, &copy.name);
  if (copy.memoryNewer) Upload(texture, copy);
  return copy;
}

GpuCopies::TextureCopy& GpuCopies::ColorCopy(d3d9::Surface& surface, unsigned& level) {
  level = 0;
  if (d3d9::Texture* texture = surface.Container(); texture != nullptr) {
    level = LevelOf(*texture, surface);
    return TextureCopyOf(*texture);
  }
  TextureCopy& copy = textures_[KeyOf(surface)];
  if (copy.name == 0) gl_.GenTextures(1, &copy.name);
  if (copy.memoryNewer) Upload(surface, copy);
  return copy;
}

void GpuCopies::Upload(d3d9::Texture& texture, TextureCopy& copy) {
  BindTextureName(copy.name);
  gl_.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
  const unsigned levels = texture.GetLevelCount();
  gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
  for (unsigned level = 0; level < levels; ++level) {
    const d3d9::Surface& surface = texture.Level(level);
    gl_.PixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(surface.PitchBytes() / 4));
    gl_.TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), InternalFormat(texture.Format()),
                   static_cast<GLsizei>(surface.Describe().width), static_cast<GLsizei>(surface.Describe().height), 0,
                   GL_BGRA, GL_UNSIGNED_BYTE, surface.Bits());
  }
  gl_.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  copy.memoryNewer = false;
  copy.samplerSet = false;
}

void GpuCopies::Upload(d3d9::Surface& surface, TextureCopy& copy) {
  BindTextureName(copy.name);
  gl_.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
  gl_.PixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(surface.PitchBytes() / 4));
  gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  gl_.TexImage2D(GL_TEXTURE_2D, 0, InternalFormat(surface.Describe().format),
                 static_cast<GLsizei>(surface.Describe().width), static_cast<GLsizei>(surface.Describe().height), 0,
                 GL_BGRA, GL_UNSIGNED_BYTE, surface.Bits());
  gl_.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  copy.memoryNewer = false;
}

void GpuCopies::BindTexture(d3d9::Texture& texture, const SamplerSettings& sampler) {
  TextureCopy& copy = TextureCopyOf(texture);
  BindTextureName(copy.name);
  if (copy.samplerSet && copy.sampler == sampler) return;
  gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, sampler.minFilter);
  gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, sampler.magFilter);
  gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, sampler.wrapS);
  gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, sampler.wrapT);
  gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, sampler.baseLevel);
  copy.sampler = sampler;
  copy.samplerSet = true;
}

void GpuCopies::BindWhiteTexture() {
  if (white_ == 0) {
    static const uint32_t kWhite = 0xFFFFFFFFu;
    gl_.GenTextures(1, &white_);
    BindTextureName(white_);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl_.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl_.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &kWhite);
  }
  BindTextureName(white_);
}

GLuint GpuCopies::DepthRenderbuffer(const d3d9::Surface& depth) {
  GLuint& name = depths_[KeyOf(depth)];
  if (name == 0) {
    gl_.GenRenderbuffers(1, &name);
    gl_.BindRenderbuffer(GL_RENDERBUFFER, name);
    gl_.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, static_cast<GLsizei>(depth.Describe().width),
                            static_cast<GLsizei>(depth.Describe().height));
  }
  return name;
}

GLuint GpuCopies::Framebuffer(d3d9::Surface& color, const d3d9::Surface* depth) {
  unsigned level = 0;
  const TextureCopy& copy = ColorCopy(color, level);
  const FramebufferKey key{OwnerOf(color, level), level, depth != nullptr ? KeyOf(*depth) : nullptr};
  if (const auto found = framebuffers_.find(key); found != framebuffers_.end()) return found->second;
  GLuint name = 0;
  gl_.GenFramebuffers(1, &name);
  BindFramebufferName(name);
  gl_.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, copy.name, static_cast<GLint>(level));
  if (depth != nullptr) {
    gl_.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, DepthRenderbuffer(*depth));
  }
  if (gl_.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    BindFramebufferName(0);
    gl_.DeleteFramebuffers(1, &name);
    return 0;
  }
  framebuffers_.emplace(key, name);
  return name;
}

bool GpuCopies::BindTarget(d3d9::Surface& color, const d3d9::Surface* depth, BoundTarget& bound) {
  bound.height = static_cast<int>(color.Describe().height);
  if (&color == backBuffer_) {
    if (depth != nullptr && depth != automaticDepth_) return false;
    bound.isWindow = true;
    BindFramebufferName(0);
    return true;
  }
  if (depth != nullptr && depth == automaticDepth_) return false;
  bound.isWindow = false;
  const GLuint name = Framebuffer(color, depth);
  if (name == 0) return false;
  BindFramebufferName(name);
  return true;
}

void GpuCopies::Drawn(d3d9::Surface& color) {
  if (&color == backBuffer_) {
    backBufferDrawn_ = true;
    return;
  }
  unsigned level = 0;
  const d3d9::Resource* owner = OwnerOf(color, level);
  drawnLevels_[owner] |= 1u << level;
}

GLuint GpuCopies::VertexBufferName(const d3d9::VertexBuffer& buffer) {
  BufferCopy& copy = buffers_[KeyOf(buffer)];
  if (copy.name == 0) gl_.GenBuffers(1, &copy.name);
  gl_.BindBuffer(GL_ARRAY_BUFFER, copy.name);
  if (copy.memoryNewer) {
    gl_.BufferData(GL_ARRAY_BUFFER, buffer.Storage().Length(), buffer.Storage().Bytes(), GL_STATIC_DRAW);
    copy.memoryNewer = false;
  }
  return copy.name;
}

GLuint GpuCopies::IndexBufferName(const d3d9::IndexBuffer& buffer, uint32_t& largestIndex) {
  BufferCopy& copy = buffers_[KeyOf(buffer)];
  if (copy.name == 0) gl_.GenBuffers(1, &copy.name);
  gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, copy.name);
  if (copy.memoryNewer) {
    const uint8_t* bytes = buffer.Storage().Bytes();
    const size_t length = buffer.Storage().Length();
    gl_.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(length), bytes, GL_STATIC_DRAW);
    copy.largestIndex = buffer.Format() == D3DFMT_INDEX32 ? LargestIndex<uint32_t>(bytes, length)
                                                          : LargestIndex<uint16_t>(bytes, length);
    copy.memoryNewer = false;
  }
  largestIndex = copy.largestIndex;
  return copy.name;
}

void GpuCopies::ReadWindow(d3d9::Surface& backBuffer) {
  const int width = static_cast<int>(backBuffer.Describe().width);
  const int height = static_cast<int>(backBuffer.Describe().height);
  rows_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  BindFramebufferName(0);
  gl_.PixelStorei(GL_PACK_ALIGNMENT, 4);
  gl_.PixelStorei(GL_PACK_ROW_LENGTH, 0);
  gl_.ReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows_.data());
  // The window's rows run bottom-up in GL.
  for (int row = 0; row < height; ++row) {
    std::memcpy(backBuffer.Bits() + static_cast<size_t>(row) * backBuffer.PitchBytes(),
                rows_.data() + static_cast<size_t>(height - 1 - row) * width, static_cast<size_t>(width) * 4);
  }
}

void GpuCopies::BringToMemory(d3d9::Surface& surface) {
  if (&surface == backBuffer_) {
    if (backBufferDrawn_) ReadWindow(surface);
    backBufferDrawn_ = false;
    return;
  }
  unsigned level = 0;
  const d3d9::Resource* owner = OwnerOf(surface, level);
  const auto drawn = drawnLevels_.find(owner);
  if (drawn == drawnLevels_.end() || (drawn->second & (1u << level)) == 0) return;
  drawn->second &= ~(1u << level);
  const GLuint framebuffer = Framebuffer(surface, nullptr);
  if (framebuffer == 0) return;
  BindFramebufferName(framebuffer);
  gl_.PixelStorei(GL_PACK_ALIGNMENT, 4);
  gl_.PixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(surface.PitchBytes() / 4));
  // Render targets are drawn with Direct3D's top row as GL's row 0: no turning over here.
  gl_.ReadPixels(0, 0, static_cast<GLsizei>(surface.Describe().width), static_cast<GLsizei>(surface.Describe().height),
                 GL_BGRA, GL_UNSIGNED_BYTE, surface.Bits());
  gl_.PixelStorei(GL_PACK_ROW_LENGTH, 0);
}

void GpuCopies::MemoryChanged(const d3d9::Resource& resource) {
  if (const auto found = textures_.find(KeyOf(resource)); found != textures_.end()) found->second.memoryNewer = true;
  if (const auto found = buffers_.find(KeyOf(resource)); found != buffers_.end()) found->second.memoryNewer = true;
  drawnLevels_.erase(KeyOf(resource));  // the bytes are the latest now
}

void GpuCopies::Forget(const d3d9::Resource& resource) {
  const d3d9::Resource* key = KeyOf(resource);
  for (auto entry = framebuffers_.begin(); entry != framebuffers_.end();) {
    if (std::get<0>(entry->first) == key || std::get<2>(entry->first) == key) {
      gl_.DeleteFramebuffers(1, &entry->second);
      boundFramebuffer_ = kUnknown;
      entry = framebuffers_.erase(entry);
    } else {
      ++entry;
    }
  }
  if (const auto found = textures_.find(key); found != textures_.end()) {
    gl_.DeleteTextures(1, &found->second.name);
    boundTexture_ = kUnknown;
    textures_.erase(found);
  }
  if (const auto found = depths_.find(key); found != depths_.end()) {
    gl_.DeleteRenderbuffers(1, &found->second);
    depths_.erase(found);
  }
  if (const auto found = buffers_.find(key); found != buffers_.end()) {
    gl_.DeleteBuffers(1, &found->second.name);
    buffers_.erase(found);
  }
  drawnLevels_.erase(key);
  if (key == backBuffer_) backBuffer_ = nullptr;
  if (key == automaticDepth_) automaticDepth_ = nullptr;
}

}  // namespace gldevice
