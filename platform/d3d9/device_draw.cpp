// IDirect3DDevice9 of the stand-in: scenes, Clear and drawing through the reference device.
// Implements: BeginScene, EndScene, Clear, the four draw methods and the draw-time translation.
// Leaves out: points and lines.
#include <algorithm>
#include <limits>

#include "device.h"
#include "draw_translation.h"
#include "format_info.h"

namespace d3d9 {

namespace {

bool ToPrimitive(D3DPRIMITIVETYPE type, refdevice::PrimitiveType& out) {
  switch (type) {
    case D3DPT_TRIANGLELIST:
      out = refdevice::PrimitiveType::TriangleList;
      return true;
    case D3DPT_TRIANGLESTRIP:
      out = refdevice::PrimitiveType::TriangleStrip;
      return true;
    case D3DPT_TRIANGLEFAN:
      out = refdevice::PrimitiveType::TriangleFan;
      return true;
    default:
      return false;  // points and lines are not implemented
  }
}

bool IsPrimitiveType(D3DPRIMITIVETYPE type) { return type >= D3DPT_POINTLIST && type <= D3DPT_TRIANGLEFAN; }

// Vertices (or indices) that `count` primitives of a triangle type read.
uint64_t ElementsFor(refdevice::PrimitiveType type, UINT count) {
  return type == refdevice::PrimitiveType::TriangleList ? uint64_t{count} * 3 : uint64_t{count} + 2;
}

// Checks the primitive type and count shared by every draw; `type` receives the translation.
HRESULT CheckPrimitives(D3DPRIMITIVETYPE primitiveType, UINT count, refdevice::PrimitiveType& type) {
  if (!IsPrimitiveType(primitiveType)) return D3DERR_INVALIDCALL;
  if (!ToPrimitive(primitiveType, type)) return D3DERR_NOTAVAILABLE;
  if (count > 0x00FFFFFF) return D3DERR_INVALIDCALL;  // MaxPrimitiveCount
  return D3D_OK;
}

}  // namespace

HRESULT Device::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD /*Stencil*/) {
  constexpr DWORD kAllFlags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
  if (Flags == 0 || (Flags & ~kAllFlags) != 0 || (Count > 0 && pRects == nullptr)) return D3DERR_INVALIDCALL;
  Surface* depth = depthStencil_.Get();
  // The 16-bit depth format has no stencil bits.
  if ((Flags & D3DCLEAR_STENCIL) != 0) return D3DERR_INVALIDCALL;
  if ((Flags & D3DCLEAR_ZBUFFER) != 0 && (depth == nullptr || !(Z >= 0.0f && Z <= 1.0f))) return D3DERR_INVALIDCALL;
  if (lost_) return D3D_OK;

  // Clearing stays inside the viewport.
  const D3DVIEWPORT9& viewport = state_.viewport;
  const refdevice::Rect area{static_cast<int>(viewport.X), static_cast<int>(viewport.Y),
                             static_cast<int>(viewport.X + viewport.Width),
                             static_cast<int>(viewport.Y + viewport.Height)};
  std::vector<refdevice::Rect> rects;
  if (Count == 0 || pRects == nullptr) {
    rects.push_back(area);
  } else {
    for (DWORD i = 0; i < Count; ++i) {
      const D3DRECT& r = pRects[i];
      refdevice::Rect clipped{std::max<int>(r.x1, area.left), std::max<int>(r.y1, area.top),
                              std::min<int>(r.x2, area.right), std::min<int>(r.y2, area.bottom)};
      if (clipped.left < clipped.right && clipped.top < clipped.bottom) rects.push_back(clipped);
    }
  }
  ClearRequest request;
  request.target = renderTarget_.Get();
  request.depth = (Flags & D3DCLEAR_ZBUFFER) != 0 ? depth : nullptr;
  request.clearColor = (Flags & D3DCLEAR_TARGET) != 0;
  request.color = Color;
  request.z = Z;
  for (const refdevice::Rect& rect : rects) {
    request.rect = rect;
    backend_->Clear(request);
  }
  return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
  if (!inScene_) return D3DERR_INVALIDCALL;
  DrawRequest request;
  if (const HRESULT result = CheckPrimitives(PrimitiveType, PrimitiveCount, request.range.type); FAILED(result)) {
    return result;
  }
  if (PrimitiveCount == 0) return D3D_OK;
  request.range.primitiveCount = PrimitiveCount;
  request.range.firstVertex = StartVertex;
  request.windowFirst = StartVertex;
  request.windowCount = ElementsFor(request.range.type, PrimitiveCount);
  return Draw(request, nullptr);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                     UINT NumVertices, UINT startIndex, UINT primCount) {
  if (!inScene_) return D3DERR_INVALIDCALL;
  DrawRequest request;
  if (const HRESULT result = CheckPrimitives(PrimitiveType, primCount, request.range.type); FAILED(result)) {
    return result;
  }
  IndexBuffer* indices = indices_.Get();
  if (indices == nullptr || NumVertices == 0) return D3DERR_INVALIDCALL;
  if (primCount == 0) return D3D_OK;
  const int64_t windowFirst = int64_t{BaseVertexIndex} + MinVertexIndex;
  if (windowFirst < 0) return D3DERR_INVALIDCALL;

  const UINT indexSize = indices->Format() == D3DFMT_INDEX32 ? 4 : 2;
  request.indices.data = indices->Storage().Bytes();
  request.indices.indexCount = indices->Storage().Length() / indexSize;
  request.indices.format = indexSize == 4 ? refdevice::IndexFormat::Bits32 : refdevice::IndexFormat::Bits16;
  if (uint64_t{startIndex} + ElementsFor(request.range.type, primCount) > request.indices.indexCount) {
    return D3DERR_INVALIDCALL;
  }
  request.range.primitiveCount = primCount;
  request.range.firstIndex = startIndex;
  request.range.baseVertex = BaseVertexIndex;
  request.range.minVertexIndex = MinVertexIndex;
  request.range.vertexRange = NumVertices;
  request.windowFirst = static_cast<size_t>(windowFirst);
  request.windowCount = NumVertices;
  return Draw(request, nullptr);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount, const void* pVertexStreamZeroData,
                                UINT VertexStreamZeroStride) {
  if (!inScene_ || pVertexStreamZeroData == nullptr || VertexStreamZeroStride == 0) return D3DERR_INVALIDCALL;
  DrawRequest request;
  if (const HRESULT result = CheckPrimitives(PrimitiveType, PrimitiveCount, request.range.type); FAILED(result)) {
    return result;
  }
  // Stream 0 is unbound afterwards, as on the real runtime.
  streams_[0].Unbind();
  if (PrimitiveCount == 0) return D3D_OK;
  const size_t vertexCount = ElementsFor(request.range.type, PrimitiveCount);
  const StreamView caller{static_cast<const uint8_t*>(pVertexStreamZeroData), vertexCount, VertexStreamZeroStride};
  request.range.primitiveCount = PrimitiveCount;
  request.windowCount = vertexCount;
  return Draw(request, &caller);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertices,
                                       UINT PrimitiveCount, const void* pIndexData, D3DFORMAT IndexDataFormat,
                                       const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  if (!inScene_ || pIndexData == nullptr || pVertexStreamZeroData == nullptr || VertexStreamZeroStride == 0 ||
      NumVertices == 0) {
    return D3DERR_INVALIDCALL;
  }
  if (IndexDataFormat != D3DFMT_INDEX16 && IndexDataFormat != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  DrawRequest request;
  if (const HRESULT result = CheckPrimitives(PrimitiveType, PrimitiveCount, request.range.type); FAILED(result)) {
    return result;
  }
  // Stream 0 and the index buffer are unbound afterwards, as on the real runtime.
  streams_[0].Unbind();
  indices_.Set(nullptr);
  if (PrimitiveCount == 0) return D3D_OK;
  const StreamView caller{static_cast<const uint8_t*>(pVertexStreamZeroData), size_t{MinVertexIndex} + NumVertices,
                          VertexStreamZeroStride};
  request.indices.data = pIndexData;
  request.indices.indexCount = ElementsFor(request.range.type, PrimitiveCount);
  request.indices.format =
      IndexDataFormat == D3DFMT_INDEX32 ? refdevice::IndexFormat::Bits32 : refdevice::IndexFormat::Bits16;
  request.range.primitiveCount = PrimitiveCount;
  request.range.minVertexIndex = MinVertexIndex;
  request.range.vertexRange = NumVertices;
  request.windowFirst = MinVertexIndex;
  request.windowCount = NumVertices;
  return Draw(request, &caller);
}

const std::vector<D3DVERTEXELEMENT9>* Device::CurrentElements() const {
  if (declaration_.Get() != nullptr) return &declaration_.Get()->Elements();
  if (fvf_ != 0) return &fvfElements_;
  return nullptr;
}

HRESULT Device::CollectStreams(const std::vector<D3DVERTEXELEMENT9>& elements, const StreamView* callerStream,
                               StreamViews& streams) const {
  for (const D3DVERTEXELEMENT9& element : elements) {
    StreamView& view = streams[element.Stream];
    if (view.data != nullptr) continue;
    if (callerStream != nullptr) {
      if (element.Stream != 0) return D3DERR_INVALIDCALL;  // caller memory is stream 0 only
      view = *callerStream;
      continue;
    }
    const StreamSource& source = streams_[element.Stream];
    const VertexBuffer* buffer = source.buffer.Get();
    if (buffer == nullptr || source.stride == 0) return D3DERR_INVALIDCALL;
    const UINT length = buffer->Storage().Length();
    if (source.offset > length) return D3DERR_INVALIDCALL;
    view.data = buffer->Storage().Bytes() + source.offset;
    view.vertexCount = (length - source.offset) / source.stride;
    view.stride = source.stride;
  }
  return D3D_OK;
}

HRESULT Device::UpdateTranslation() {
  if ((dirty_ & kDirtyTransforms) != 0) {
    translated_.transforms.world = ToRasterMatrix(state_.world[0]);
    translated_.transforms.view = ToRasterMatrix(state_.view);
    translated_.transforms.projection = ToRasterMatrix(state_.projection);
  }
  if ((dirty_ & kDirtyViewport) != 0) translated_.viewport = ToRasterViewport(state_.viewport);
  if ((dirty_ & (kDirtyRaster | kDirtyTargets)) != 0) {
    rasterResult_ = TranslateRasterStates(state_, depthStencil_.Get() != nullptr, translated_.cull,
                                          translated_.depthState, translated_.blend);
  }
  if ((dirty_ & kDirtyStage) != 0) {
    DWORD maxMipLevel = 0;
    stageResult_ = TranslateTextureStage(state_, translated_.stage, maxMipLevel);
    // A stage without a texture reads opaque white, so that default states show the vertex
    // colours, as on the real device.
    static const uint32_t kWhiteTexel = 0xFFFFFFFFu;
    sampledTexture_ = refdevice::Texture{};
    sampledTexture_.levels[0] = refdevice::TextureLevel{&kWhiteTexel, 1, 1, sizeof kWhiteTexel};
    sampledTexture_.levelCount = 1;
    if (Texture* texture = textures_[0].Get(); texture != nullptr && SUCCEEDED(stageResult_)) {
      if (!IsColorTargetFormat(texture->Format())) {
        stageResult_ = D3DERR_WRONGTEXTUREFORMAT;
      } else {
        texture->DescribeForSampling(sampledTexture_, maxMipLevel);
        firstSampledLevel_ = texture->FirstSampledLevel(maxMipLevel);
      }
    }
    translated_.stage.texture = &sampledTexture_;
  }
  dirty_ = 0;
  return FAILED(rasterResult_) ? rasterResult_ : stageResult_;
}

const VertexBuffer* Device::InPlaceBuffer(const uint8_t* vertices) const {
  for (const StreamSource& stream : streams_) {
    const VertexBuffer* buffer = stream.buffer.Get();
    if (buffer == nullptr) continue;
    const uint8_t* start = buffer->Storage().Bytes();
    if (vertices >= start && vertices < start + buffer->Storage().Length()) return buffer;
  }
  return nullptr;
}

HRESULT Device::BindTargets(refdevice::DrawCall& call, DrawObjects& objects) const {
  Surface* color = renderTarget_.Get();
  call.color = ColorTargetOf(*color);
  call.depth = refdevice::DepthTarget{};
  objects.color = color;
  objects.depth = nullptr;
  if (Surface* depth = depthStencil_.Get(); depth != nullptr) {
    const bool depthUsed = call.depthState.testEnable || call.depthState.writeEnable;
    if (depthUsed &&
        (depth->Describe().width < color->Describe().width || depth->Describe().height < color->Describe().height)) {
      return D3DERR_INVALIDCALL;  // a depth surface must cover its render target
    }
    call.depth = DepthTargetOf(*depth);
    objects.depth = depth;
  }
  // A texture cannot be read while it is being drawn into.
  if (color->Container() != nullptr && color->Container() == textures_[0].Get()) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT Device::Draw(DrawRequest request, const StreamView* callerStream) {
  if (lost_) return D3D_OK;  // a lost device accepts draws and shows nothing
  if (const HRESULT result = UpdateTranslation(); FAILED(result)) return result;
  const std::vector<D3DVERTEXELEMENT9>* elements = CurrentElements();
  if (elements == nullptr) return D3DERR_INVALIDCALL;

  const VertexInputs inputs = FindInputs(*elements, state_.stageStates[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF);
  if (!inputs.position) return D3DERR_INVALIDCALL;
  const LightingInputs lighting = LightingOf(state_, inputs, *elements);
  if (const HRESULT result = CheckVertexPipelineStates(state_, lighting.specular.has_value()); FAILED(result)) {
    return result;
  }
  StreamViews streams{};
  if (const HRESULT result = CollectStreams(*elements, callerStream, streams); FAILED(result)) return result;

  refdevice::DrawCall call = translated_;
  if (!DescribeInPlace(inputs, lighting, streams, call.vertices)) {
    const HRESULT result =
        RepackVertices(inputs, lighting, streams, request.windowFirst, request.windowCount, repacked_, call.vertices);
    if (FAILED(result)) return result;
    // The copy starts at the window's first vertex.
    if (request.indices.format == refdevice::IndexFormat::None) {
      request.range.firstVertex -= static_cast<unsigned>(request.windowFirst);
    } else {
      request.range.baseVertex =
          static_cast<int>(int64_t{request.range.baseVertex} - static_cast<int64_t>(request.windowFirst));
    }
  }
  call.indices = request.indices;
  call.range = request.range;
  DrawObjects objects;
  if (const HRESULT result = BindTargets(call, objects); FAILED(result)) return result;
  objects.texture = textures_[0].Get();
  objects.firstTextureLevel = firstSampledLevel_;
  objects.indexBuffer =
      request.indices.format != refdevice::IndexFormat::None && callerStream == nullptr ? indices_.Get() : nullptr;
  objects.vertexBuffer = InPlaceBuffer(call.vertices.data);
  return backend_->Draw(call, objects);
}

}  // namespace d3d9
