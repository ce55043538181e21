// The drawing half of a device: what the API objects and their state (the rest of this folder)
// hand to whatever makes the pixels. Two backends fill it in: the reference device on the
// processor (reference_backend.h) and OpenGL (gldevice/). The state arrives already validated
// and translated into the rasterizer's neutral description (refdevice/refdevice.h), so both
// backends share one copy of every API rule; the objects ride along so that a backend keeping
// its own copies of resources (GPU textures, buffers) knows which is which.
// Implements: the interface only.
// Leaves out: resource creation, which stays with the API objects: every surface and buffer
// always has its bytes in memory, and a backend may keep a newer copy elsewhere as long as it
// brings it back when asked.
#pragma once

#include <memory>

#include "d3d9.h"
#include "refdevice/refdevice.h"

namespace d3d9 {

class Surface;
class Texture;
class Resource;
class VertexBuffer;
class IndexBuffer;

// The objects behind the pointers of one draw description.
struct DrawObjects {
  Surface* color = nullptr;
  Surface* depth = nullptr;                    // null when none is bound
  Texture* texture = nullptr;                  // null when stage 0 has none
  UINT firstTextureLevel = 0;                  // the largest level sampled
  const VertexBuffer* vertexBuffer = nullptr;  // the buffer the vertices lie in, when in place
  const IndexBuffer* indexBuffer = nullptr;    // the buffer the indices lie in, when there is one
};

struct ClearRequest {
  Surface* target = nullptr;  // the render target: always given, also when only depth is cleared
  Surface* depth = nullptr;   // null when depth is not cleared
  bool clearColor = false;
  D3DCOLOR color = 0;
  float z = 1.0f;
  refdevice::Rect rect;
};

class DrawingBackend {
 public:
  virtual ~DrawingBackend() = default;

  // True when frames are paced by the backend's own presentation (a GL swap interval); the
  // device then does not wait for the refresh itself.
  virtual bool PacesPresentation() const = 0;
  // The device capabilities that depend on the backend: texture limits and the device type.
  virtual void DescribeCapabilities(D3DCAPS9& caps) const = 0;

  // The device's back buffer and automatic depth surface (null when it has none), after its
  // creation and every Reset.
  virtual void UseSwapSurfaces(Surface* backBuffer, Surface* automaticDepth) = 0;

  // Fills the rectangle of the target with the colour, of the depth surface with the depth, or
  // both (one clear, where the backend can pair them).
  virtual void Clear(const ClearRequest& request) = 0;
  virtual HRESULT Draw(const refdevice::DrawCall& call, const DrawObjects& objects) = 0;
  // Shows the back buffer in the window with the presentation interval (D3DPRESENT_INTERVAL_*);
  // false when the window or the display refused it.
  virtual bool Present(HWND window, Surface& backBuffer, UINT interval) = 0;

  // The processor is about to read or change the surface's bytes: they must be the latest.
  virtual void BringToMemory(Surface& surface) = 0;
  // The processor changed the resource's bytes (a lock, a copy, a fill).
  virtual void MemoryChanged(const Resource& resource) = 0;
  // The resource is going away; nothing of it may be used afterwards.
  virtual void Forget(const Resource& resource) = 0;
};

// A surface's bytes as the rasterizer's colour or depth target.
refdevice::ColorTarget ColorTargetOf(Surface& surface);
refdevice::DepthTarget DepthTargetOf(Surface& surface);

// The reference device; threadCount 0 picks one worker per core.
std::unique_ptr<DrawingBackend> CreateReferenceBackend(int threadCount);

}  // namespace d3d9
