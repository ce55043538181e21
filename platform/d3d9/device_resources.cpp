// IDirect3DDevice9 of the stand-in: creating resources and copying between them.
// Implements: the Create methods, UpdateTexture, UpdateSurface, GetRenderTargetData, ColorFill.
// Leaves out: cube and volume textures, multisampled surfaces.
#include <algorithm>
#include <cstring>

#include "adapter.h"
#include "device.h"
#include "format_info.h"

namespace d3d9 {

namespace {

constexpr DWORD kTextureUsages =
    D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP | D3DUSAGE_DMAP;
constexpr DWORD kBufferUsages = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_DONOTCLIP |
                                D3DUSAGE_POINTS | D3DUSAGE_RTPATCHES | D3DUSAGE_NPATCHES | D3DUSAGE_DYNAMIC;

bool IsPool(D3DPOOL pool) { return pool >= D3DPOOL_DEFAULT && pool <= D3DPOOL_SCRATCH; }

HRESULT OutOfMemory(D3DPOOL pool) { return pool == D3DPOOL_DEFAULT ? D3DERR_OUTOFVIDEOMEMORY : E_OUTOFMEMORY; }

// Copies `rows` rows of `rowBytes` bytes between two images.
void CopyRows(const uint8_t* source, size_t sourcePitch, uint8_t* destination, size_t destinationPitch, size_t rowBytes,
              size_t rows) {
  for (size_t row = 0; row < rows; ++row) {
    std::memcpy(destination + row * destinationPitch, source + row * sourcePitch, rowBytes);
  }
}

void CopyWholeSurface(const Surface& source, Surface& destination) {
  CopyRows(source.Bits(), source.PitchBytes(), destination.Bits(), destination.PitchBytes(),
           std::min(source.PitchBytes(), destination.PitchBytes()), source.TotalBytes() / source.PitchBytes());
}

bool SameShape(const Surface& a, const Surface& b) {
  return a.Describe().width == b.Describe().width && a.Describe().height == b.Describe().height &&
         a.Describe().format == b.Describe().format;
}

}  // namespace

Surface* Device::OwnSurface(IDirect3DSurface9* surface) const {
  if (surface == nullptr) return nullptr;
  Surface* own = static_cast<Surface*>(surface);
  return own->OwningDevice() == this ? own : nullptr;
}

Texture* Device::OwnTexture(IDirect3DBaseTexture9* texture) const {
  if (texture == nullptr || texture->GetType() != D3DRTYPE_TEXTURE) return nullptr;
  Texture* own = static_cast<Texture*>(static_cast<IDirect3DTexture9*>(texture));
  return own->OwningDevice() == this ? own : nullptr;
}

HRESULT Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) {
  if (ppTexture == nullptr || pSharedHandle != nullptr || Width == 0 || Height == 0 || !IsPool(Pool)) {
    return D3DERR_INVALIDCALL;
  }
  if ((Usage & ~kTextureUsages) != 0) return D3DERR_INVALIDCALL;
  const bool renderTarget = (Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0;
  if (renderTarget && Pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  if ((Usage & D3DUSAGE_DYNAMIC) != 0 && (Pool == D3DPOOL_MANAGED || Pool == D3DPOOL_SCRATCH)) {
    return D3DERR_INVALIDCALL;
  }

  if (Pool == D3DPOOL_SCRATCH) {
    // Scratch textures are plain memory: any format the stand-in knows, up to the surface limit.
    if (!LayoutOf(Format) || Width > kMaxSurfaceExtent || Height > kMaxSurfaceExtent) return D3DERR_INVALIDCALL;
  } else {
    if (FAILED(CheckReferenceFormat(Usage, D3DRTYPE_TEXTURE, Format))) return D3DERR_INVALIDCALL;
    D3DCAPS9 caps{};
    GetDeviceCaps(&caps);
    if (Width > caps.MaxTextureWidth || Height > caps.MaxTextureHeight) return D3DERR_INVALIDCALL;
  }

  const UINT fullChain = FullChainLength(Width, Height);
  if (Levels > fullChain) return D3DERR_INVALIDCALL;
  UINT levels = Levels == 0 ? fullChain : Levels;
  if ((Usage & D3DUSAGE_AUTOGENMIPMAP) != 0) {
    if (Levels > 1) return D3DERR_INVALIDCALL;
    levels = 1;  // no automatic generation: the texture keeps its top level only
  }

  Texture* texture = Texture::Create(this, Width, Height, levels, Usage, Format, Pool);
  if (texture == nullptr) return OutOfMemory(Pool);
  *ppTexture = texture;
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                   IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) {
  if (ppVertexBuffer == nullptr || pSharedHandle != nullptr || Length == 0) return D3DERR_INVALIDCALL;
  if (!IsPool(Pool) || Pool == D3DPOOL_SCRATCH || (Usage & ~kBufferUsages) != 0) return D3DERR_INVALIDCALL;
  if ((Usage & D3DUSAGE_DYNAMIC) != 0 && Pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  if (FVF != 0) {
    const UINT vertexSize = FvfVertexSize(FVF);
    if (vertexSize == 0 || Length < vertexSize) return D3DERR_INVALIDCALL;
  }
  VertexBuffer* buffer = VertexBuffer::Create(this, Length, Usage, FVF, Pool);
  if (buffer == nullptr) return OutOfMemory(Pool);
  *ppVertexBuffer = buffer;
  return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) {
  if (ppIndexBuffer == nullptr || pSharedHandle != nullptr || Length == 0) return D3DERR_INVALIDCALL;
  if (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  if (!IsPool(Pool) || Pool == D3DPOOL_SCRATCH || (Usage & ~kBufferUsages) != 0) return D3DERR_INVALIDCALL;
  if ((Usage & D3DUSAGE_DYNAMIC) != 0 && Pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  IndexBuffer* buffer = IndexBuffer::Create(this, Length, Usage, Format, Pool);
  if (buffer == nullptr) return OutOfMemory(Pool);
  *ppIndexBuffer = buffer;
  return D3D_OK;
}

Surface* Device::CreateStandaloneSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool, DWORD usage,
                                         bool lockable) {
  Surface::Description description;
  description.width = width;
  description.height = height;
  description.format = format;
  description.pool = pool;
  description.usage = usage;
  description.lockable = lockable;
  return Surface::Create(this, description, Resource::Membership::Standalone);
}

HRESULT Device::CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                   DWORD /*MultisampleQuality*/, BOOL Lockable, IDirect3DSurface9** ppSurface,
                                   HANDLE* pSharedHandle) {
  if (ppSurface == nullptr || pSharedHandle != nullptr || Width == 0 || Height == 0) return D3DERR_INVALIDCALL;
  if (Width > kMaxSurfaceExtent || Height > kMaxSurfaceExtent) return D3DERR_INVALIDCALL;
  if (MultiSample != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  if (!IsColorTargetFormat(Format)) return D3DERR_INVALIDCALL;
  Surface* surface =
      CreateStandaloneSurface(Width, Height, Format, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, Lockable != FALSE);
  if (surface == nullptr) return D3DERR_OUTOFVIDEOMEMORY;
  *ppSurface = surface;
  return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                          DWORD /*MultisampleQuality*/, BOOL /*Discard*/, IDirect3DSurface9** ppSurface,
                                          HANDLE* pSharedHandle) {
  if (ppSurface == nullptr || pSharedHandle != nullptr || Width == 0 || Height == 0) return D3DERR_INVALIDCALL;
  if (Width > kMaxSurfaceExtent || Height > kMaxSurfaceExtent) return D3DERR_INVALIDCALL;
  if (MultiSample != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  if (!IsDepthFormat(Format)) {
    // Other depth formats exist but are not implemented; anything else is a caller error.
    const bool otherDepth = Format == D3DFMT_D16_LOCKABLE || Format == D3DFMT_D32 || Format == D3DFMT_D15S1 ||
                            Format == D3DFMT_D24S8 || Format == D3DFMT_D24X8 || Format == D3DFMT_D24X4S4 ||
                            Format == D3DFMT_D32F_LOCKABLE || Format == D3DFMT_D24FS8;
    return otherDepth ? D3DERR_NOTAVAILABLE : D3DERR_INVALIDCALL;
  }
  Surface* surface = CreateStandaloneSurface(Width, Height, Format, D3DPOOL_DEFAULT, D3DUSAGE_DEPTHSTENCIL, false);
  if (surface == nullptr) return D3DERR_OUTOFVIDEOMEMORY;
  *ppSurface = surface;
  return D3D_OK;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                            IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
  if (ppSurface == nullptr || pSharedHandle != nullptr || Width == 0 || Height == 0) return D3DERR_INVALIDCALL;
  if (!IsPool(Pool) || Pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  if (Width > kMaxSurfaceExtent || Height > kMaxSurfaceExtent) return D3DERR_INVALIDCALL;
  const bool known = Pool == D3DPOOL_SCRATCH ? LayoutOf(Format).has_value() : IsColorTargetFormat(Format);
  if (!known) return D3DERR_INVALIDCALL;
  Surface* surface = CreateStandaloneSurface(Width, Height, Format, Pool, 0, true);
  if (surface == nullptr) return OutOfMemory(Pool);
  *ppSurface = surface;
  return D3D_OK;
}

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* pVertexElements,
                                        IDirect3DVertexDeclaration9** ppDecl) {
  if (ppDecl == nullptr) return D3DERR_INVALIDCALL;
  std::optional<std::vector<D3DVERTEXELEMENT9>> elements = ValidatedDeclaration(pVertexElements);
  if (!elements) return D3DERR_INVALIDCALL;
  VertexDeclaration* declaration = VertexDeclaration::Create(this, std::move(*elements));
  if (declaration == nullptr) return E_OUTOFMEMORY;
  *ppDecl = declaration;
  return D3D_OK;
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture9* pSourceTexture, IDirect3DBaseTexture9* pDestinationTexture) {
  Texture* source = OwnTexture(pSourceTexture);
  Texture* destination = OwnTexture(pDestinationTexture);
  if (source == nullptr || destination == nullptr) return D3DERR_INVALIDCALL;
  if (source->Pool() != D3DPOOL_SYSTEMMEM || destination->Pool() != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  if (source->Format() != destination->Format()) return D3DERR_INVALIDCALL;
  const UINT sourceLevels = source->GetLevelCount();
  const UINT destinationLevels = destination->GetLevelCount();
  if (sourceLevels < destinationLevels) return D3DERR_INVALIDCALL;
  // Extra source levels at the top are skipped: destination level i takes source level i + skip.
  const UINT skip = sourceLevels - destinationLevels;
  for (UINT level = 0; level < destinationLevels; ++level) {
    const Surface& from = source->Level(level + skip);
    const Surface& to = destination->Level(level);
    if (!SameShape(from, to) || from.IsLocked() || to.IsLocked()) return D3DERR_INVALIDCALL;
  }
  for (UINT level = 0; level < destinationLevels; ++level) {
    CopyWholeSurface(source->Level(level + skip), destination->Level(level));
  }
  backend_->MemoryChanged(*destination);
  if (textures_[0].Get() == destination) dirty_ |= kDirtyStage;
  return D3D_OK;
}

HRESULT Device::UpdateSurface(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                              IDirect3DSurface9* pDestinationSurface, const POINT* pDestPoint) {
  Surface* source = OwnSurface(pSourceSurface);
  Surface* destination = OwnSurface(pDestinationSurface);
  if (source == nullptr || destination == nullptr) return D3DERR_INVALIDCALL;
  const Surface::Description& from = source->Describe();
  const Surface::Description& to = destination->Describe();
  if (from.pool != D3DPOOL_SYSTEMMEM || to.pool != D3DPOOL_DEFAULT || from.format != to.format) {
    return D3DERR_INVALIDCALL;
  }
  if ((to.usage & D3DUSAGE_DEPTHSTENCIL) != 0 || source->IsLocked() || destination->IsLocked()) {
    return D3DERR_INVALIDCALL;
  }
  RECT rect =
      pSourceRect != nullptr ? *pSourceRect : RECT{0, 0, static_cast<LONG>(from.width), static_cast<LONG>(from.height)};
  const POINT point = pDestPoint != nullptr ? *pDestPoint : POINT{0, 0};
  if (rect.left < 0 || rect.top < 0 || rect.left >= rect.right || rect.top >= rect.bottom ||
      static_cast<UINT>(rect.right) > from.width || static_cast<UINT>(rect.bottom) > from.height) {
    return D3DERR_INVALIDCALL;
  }
  const int64_t width = rect.right - rect.left;
  const int64_t height = rect.bottom - rect.top;
  if (point.x < 0 || point.y < 0 || point.x + width > int64_t{to.width} || point.y + height > int64_t{to.height}) {
    return D3DERR_INVALIDCALL;
  }
  const FormatLayout layout = *LayoutOf(from.format);
  size_t unit = 1;
  if (layout.blockCompressed) {
    unit = 4;
    // Whole blocks only, except where a rectangle ends at the surface's edge.
    const bool aligned = rect.left % 4 == 0 && rect.top % 4 == 0 && point.x % 4 == 0 && point.y % 4 == 0 &&
                         (width % 4 == 0 || static_cast<UINT>(rect.right) == from.width) &&
                         (height % 4 == 0 || static_cast<UINT>(rect.bottom) == from.height);
    if (!aligned) return D3DERR_INVALIDCALL;
  }
  // Only part of the destination changes: the rest must be its latest pixels.
  backend_->BringToMemory(*destination);
  const size_t rowBytes = (static_cast<size_t>(width) + unit - 1) / unit * layout.bytesPerUnit;
  const size_t rows = (static_cast<size_t>(height) + unit - 1) / unit;
  const uint8_t* sourceStart = source->Bits() + static_cast<size_t>(rect.top) / unit * source->PitchBytes() +
                               static_cast<size_t>(rect.left) / unit * layout.bytesPerUnit;
  uint8_t* destinationStart = destination->Bits() + static_cast<size_t>(point.y) / unit * destination->PitchBytes() +
                              static_cast<size_t>(point.x) / unit * layout.bytesPerUnit;
  CopyRows(sourceStart, source->PitchBytes(), destinationStart, destination->PitchBytes(), rowBytes, rows);
  backend_->MemoryChanged(*destination);
  if (destination->Container() != nullptr && textures_[0].Get() == destination->Container()) dirty_ |= kDirtyStage;
  return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface) {
  Surface* source = OwnSurface(pRenderTarget);
  Surface* destination = OwnSurface(pDestSurface);
  if (source == nullptr || destination == nullptr) return D3DERR_INVALIDCALL;
  if ((source->Describe().usage & D3DUSAGE_RENDERTARGET) == 0 || destination->Describe().pool != D3DPOOL_SYSTEMMEM ||
      !SameShape(*source, *destination) || destination->IsLocked()) {
    return D3DERR_INVALIDCALL;
  }
  backend_->BringToMemory(*source);
  CopyWholeSurface(*source, *destination);
  return D3D_OK;
}

HRESULT Device::ColorFill(IDirect3DSurface9* pSurface, const RECT* pRect, D3DCOLOR color) {
  Surface* surface = OwnSurface(pSurface);
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  const Surface::Description& description = surface->Describe();
  // Render targets and plain surfaces in the default pool, as on the real runtime.
  const bool fillable = description.pool == D3DPOOL_DEFAULT && (description.usage & D3DUSAGE_DEPTHSTENCIL) == 0 &&
                        (surface->Container() == nullptr || (description.usage & D3DUSAGE_RENDERTARGET) != 0);
  if (!fillable || !IsColorTargetFormat(description.format) || surface->IsLocked()) return D3DERR_INVALIDCALL;
  RECT rect = pRect != nullptr
                  ? *pRect
                  : RECT{0, 0, static_cast<LONG>(description.width), static_cast<LONG>(description.height)};
  if (rect.left < 0 || rect.top < 0 || rect.left > rect.right || rect.top > rect.bottom ||
      static_cast<UINT>(rect.right) > description.width || static_cast<UINT>(rect.bottom) > description.height) {
    return D3DERR_INVALIDCALL;
  }
  ClearRequest request;
  request.target = surface;
  request.clearColor = true;
  request.color = color;
  request.rect = refdevice::Rect{rect.left, rect.top, rect.right, rect.bottom};
  backend_->Clear(request);
  return D3D_OK;
}

}  // namespace d3d9
