// IDirect3DDevice9 of the stand-in: setting and reading state, and binding objects.
// Implements: the Set/Get methods of render targets, transforms, viewport, states, textures, streams, indices and
// vertex formats. Leaves out: state blocks.
#include <cstring>

#include "device.h"
#include "format_info.h"

namespace d3d9 {

namespace {

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX product{};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][column];
      product.m[row][column] = sum;
    }
  }
  return product;
}

}  // namespace

HRESULT Device::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
  if (RenderTargetIndex != 0) return D3DERR_INVALIDCALL;  // one render target
  Surface* surface = OwnSurface(pRenderTarget);
  if (surface == nullptr) return D3DERR_INVALIDCALL;  // target 0 cannot be unbound
  const Surface::Description& description = surface->Describe();
  if ((description.usage & D3DUSAGE_RENDERTARGET) == 0 || !IsColorTargetFormat(description.format)) {
    return D3DERR_INVALIDCALL;
  }
  renderTarget_.Set(surface);
  // A new render target brings a viewport over all of it.
  state_.viewport = D3DVIEWPORT9{0, 0, description.width, description.height, 0.0f, 1.0f};
  dirty_ |= kDirtyTargets | kDirtyViewport | kDirtyStage;
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) {
  if (RenderTargetIndex != 0 || ppRenderTarget == nullptr) return D3DERR_INVALIDCALL;
  Surface* surface = renderTarget_.Get();
  if (surface == nullptr) return D3DERR_NOTFOUND;
  surface->AddRef();
  *ppRenderTarget = surface;
  return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) {
  Surface* surface = nullptr;
  if (pNewZStencil != nullptr) {
    surface = OwnSurface(pNewZStencil);
    if (surface == nullptr || (surface->Describe().usage & D3DUSAGE_DEPTHSTENCIL) == 0) return D3DERR_INVALIDCALL;
  }
  depthStencil_.Set(surface);
  dirty_ |= kDirtyTargets | kDirtyRaster;
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) {
  if (ppZStencilSurface == nullptr) return D3DERR_INVALIDCALL;
  Surface* surface = depthStencil_.Get();
  if (surface == nullptr) return D3DERR_NOTFOUND;
  surface->AddRef();
  *ppZStencilSurface = surface;
  return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  D3DMATRIX* slot = TransformSlot(state_, State);
  if (slot == nullptr || pMatrix == nullptr) return D3DERR_INVALIDCALL;
  *slot = *pMatrix;
  dirty_ |= kDirtyTransforms;
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  D3DMATRIX* slot = TransformSlot(state_, State);
  if (slot == nullptr || pMatrix == nullptr) return D3DERR_INVALIDCALL;
  *pMatrix = *slot;
  return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  D3DMATRIX* slot = TransformSlot(state_, State);
  if (slot == nullptr || pMatrix == nullptr) return D3DERR_INVALIDCALL;
  *slot = Multiply(*pMatrix, *slot);
  dirty_ |= kDirtyTransforms;
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* pViewport) {
  if (pViewport == nullptr) return D3DERR_INVALIDCALL;
  const D3DVIEWPORT9& viewport = *pViewport;
  const Surface::Description& target = renderTarget_.Get()->Describe();
  if (viewport.Width == 0 || viewport.Height == 0 || uint64_t{viewport.X} + viewport.Width > target.width ||
      uint64_t{viewport.Y} + viewport.Height > target.height) {
    return D3DERR_INVALIDCALL;
  }
  if (!(viewport.MinZ >= 0.0f && viewport.MinZ <= 1.0f && viewport.MaxZ >= 0.0f && viewport.MaxZ <= 1.0f)) {
    return D3DERR_INVALIDCALL;
  }
  state_.viewport = viewport;
  dirty_ |= kDirtyViewport;
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* pViewport) {
  if (pViewport == nullptr) return D3DERR_INVALIDCALL;
  *pViewport = state_.viewport;
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  if (!IsRenderState(State)) return D3DERR_INVALIDCALL;
  state_.renderStates[State] = Value;
  dirty_ |= kDirtyRaster;
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  if (!IsRenderState(State) || pValue == nullptr) return D3DERR_INVALIDCALL;
  *pValue = state_.renderStates[State];
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  if (Stage >= kTextureStages) return D3DERR_INVALIDCALL;
  Texture* texture = nullptr;
  if (pTexture != nullptr) {
    texture = OwnTexture(pTexture);
    // Textures in system memory and scratch textures cannot be sampled.
    if (texture == nullptr || texture->Pool() == D3DPOOL_SYSTEMMEM || texture->Pool() == D3DPOOL_SCRATCH) {
      return D3DERR_INVALIDCALL;
    }
  }
  textures_[Stage].Set(texture);
  if (Stage == 0) dirty_ |= kDirtyStage;
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
  if (Stage >= kTextureStages || ppTexture == nullptr) return D3DERR_INVALIDCALL;
  Texture* texture = textures_[Stage].Get();
  if (texture != nullptr) texture->AddRef();
  *ppTexture = texture;
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  if (Stage >= kTextureStages || !IsTextureStageState(Type)) return D3DERR_INVALIDCALL;
  state_.stageStates[Stage][Type] = Value;
  if (Stage <= 1) dirty_ |= kDirtyStage;
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
  if (Stage >= kTextureStages || !IsTextureStageState(Type) || pValue == nullptr) return D3DERR_INVALIDCALL;
  *pValue = state_.stageStates[Stage][Type];
  return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  if (Sampler >= kSamplers || !IsSamplerState(Type)) return D3DERR_INVALIDCALL;
  state_.samplerStates[Sampler][Type] = Value;
  if (Sampler == 0) dirty_ |= kDirtyStage;
  return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
  if (Sampler >= kSamplers || !IsSamplerState(Type) || pValue == nullptr) return D3DERR_INVALIDCALL;
  *pValue = state_.samplerStates[Sampler][Type];
  return D3D_OK;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) {
  VertexDeclaration* declaration = nullptr;
  if (pDecl != nullptr) {
    declaration = static_cast<VertexDeclaration*>(pDecl);
    if (declaration->OwningDevice() != this) return D3DERR_INVALIDCALL;
  }
  declaration_.Set(declaration);
  fvf_ = 0;
  fvfElements_.clear();
  return D3D_OK;
}

HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) {
  if (ppDecl == nullptr) return D3DERR_INVALIDCALL;
  VertexDeclaration* declaration = declaration_.Get();
  if (declaration != nullptr) declaration->AddRef();
  *ppDecl = declaration;
  return D3D_OK;
}

HRESULT Device::SetFVF(DWORD FVF) {
  std::vector<D3DVERTEXELEMENT9> elements;
  if (FVF != 0) {
    std::optional<std::vector<D3DVERTEXELEMENT9>> fromCode = ElementsOfFvf(FVF);
    if (!fromCode) return D3DERR_INVALIDCALL;
    elements = std::move(*fromCode);
  }
  // An FVF code replaces the vertex declaration, as it does on the real runtime.
  declaration_.Set(nullptr);
  fvf_ = FVF;
  fvfElements_ = std::move(elements);
  return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* pFVF) {
  if (pFVF == nullptr) return D3DERR_INVALIDCALL;
  *pFVF = fvf_;
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                UINT Stride) {
  if (StreamNumber >= kMaxStreams) return D3DERR_INVALIDCALL;
  VertexBuffer* buffer = nullptr;
  if (pStreamData != nullptr) {
    buffer = static_cast<VertexBuffer*>(pStreamData);
    if (buffer->OwningDevice() != this) return D3DERR_INVALIDCALL;
  }
  StreamSource& stream = streams_[StreamNumber];
  stream.buffer.Set(buffer);
  stream.offset = OffsetInBytes;
  stream.stride = Stride;
  return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* pOffsetInBytes,
                                UINT* pStride) {
  if (StreamNumber >= kMaxStreams || ppStreamData == nullptr || pOffsetInBytes == nullptr || pStride == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  const StreamSource& stream = streams_[StreamNumber];
  if (stream.buffer.Get() != nullptr) stream.buffer.Get()->AddRef();
  *ppStreamData = stream.buffer.Get();
  *pOffsetInBytes = stream.offset;
  *pStride = stream.stride;
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  IndexBuffer* buffer = nullptr;
  if (pIndexData != nullptr) {
    buffer = static_cast<IndexBuffer*>(pIndexData);
    if (buffer->OwningDevice() != this) return D3DERR_INVALIDCALL;
  }
  indices_.Set(buffer);
  return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** ppIndexData) {
  if (ppIndexData == nullptr) return D3DERR_INVALIDCALL;
  IndexBuffer* buffer = indices_.Get();
  if (buffer != nullptr) buffer->AddRef();
  *ppIndexData = buffer;
  return D3D_OK;
}

}  // namespace d3d9
