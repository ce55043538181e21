// IDirect3DTexture9 of the stand-in.
// Implements: the texture of texture.h.
// Leaves out: automatic mipmap generation.
#include "texture.h"

#include <algorithm>
#include <new>

#include "format_info.h"
#include "refdevice/refdevice.h"

namespace d3d9 {

Texture* Texture::Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool) {
  Texture* texture = new (std::nothrow) Texture(device, usage, format, pool);
  if (texture == nullptr) return nullptr;
  // Render targets and default-pool textures live in "video memory": only dynamic ones lock.
  const bool lockable =
      (usage & D3DUSAGE_RENDERTARGET) == 0 && (pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC) != 0);
  for (UINT level = 0; level < levels; ++level) {
    Surface::Description description;
    description.width = LevelExtent(width, level);
    description.height = LevelExtent(height, level);
    description.format = format;
    description.pool = pool;
    description.usage = usage;
    description.lockable = lockable;
    Surface* surface = Surface::Create(device, description, Membership::PartOfTexture, texture);
    if (surface == nullptr) {
      texture->Release();
      return nullptr;
    }
    texture->levels_.emplace_back(surface);
  }
  return texture;
}

Texture::Texture(Device* device, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : ResourceInterface(device, pool, usage, Membership::Standalone), format_(format) {}

Texture::~Texture() = default;

HRESULT Texture::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (!MatchesAny(riid, {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DBaseTexture9, &IID_IDirect3DTexture9})) {
    return E_NOINTERFACE;
  }
  AddRef();
  *ppvObject = static_cast<IDirect3DTexture9*>(this);
  return S_OK;
}

DWORD Texture::SetLOD(DWORD LODNew) {
  // Only managed textures have a level of detail; the others answer 0, as documented.
  if (Pool() != D3DPOOL_MANAGED) return 0;
  const DWORD previous = lod_;
  lod_ = std::min<DWORD>(LODNew, GetLevelCount() - 1);
  return previous;
}

DWORD Texture::GetLOD() { return Pool() == D3DPOOL_MANAGED ? lod_ : 0; }

HRESULT Texture::SetAutoGenFilterType(D3DTEXTUREFILTERTYPE FilterType) {
  if ((Usage() & D3DUSAGE_AUTOGENMIPMAP) == 0) return D3DERR_INVALIDCALL;
  if (FilterType != D3DTEXF_POINT && FilterType != D3DTEXF_LINEAR) return D3DERR_INVALIDCALL;
  autoGenFilter_ = FilterType;
  return D3D_OK;
}

HRESULT Texture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  if (Level >= levels_.size()) return D3DERR_INVALIDCALL;
  return levels_[Level]->GetDesc(pDesc);
}

HRESULT Texture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
  if (Level >= levels_.size() || ppSurfaceLevel == nullptr) return D3DERR_INVALIDCALL;
  levels_[Level]->AddRef();
  *ppSurfaceLevel = levels_[Level].get();
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  if (Level >= levels_.size()) return D3DERR_INVALIDCALL;
  return levels_[Level]->LockRect(pLockedRect, pRect, Flags);
}

HRESULT Texture::UnlockRect(UINT Level) {
  if (Level >= levels_.size()) return D3DERR_INVALIDCALL;
  return levels_[Level]->UnlockRect();
}

HRESULT Texture::AddDirtyRect(const RECT* /*pDirtyRect*/) {
  // Updates copy whole levels, so every rectangle already counts as dirty.
  return D3D_OK;
}

UINT Texture::FirstSampledLevel(DWORD maxMipLevel) const {
  return static_cast<UINT>(std::min<size_t>(std::max<DWORD>(maxMipLevel, lod_), levels_.size() - 1));
}

void Texture::DescribeForSampling(refdevice::Texture& out, DWORD maxMipLevel) const {
  const size_t first = FirstSampledLevel(maxMipLevel);
  const size_t count = std::min<size_t>(levels_.size() - first, refdevice::kMaxTextureLevels);
  out.levelCount = static_cast<int>(count);
  for (size_t i = 0; i < count; ++i) {
    const Surface& level = *levels_[first + i];
    out.levels[i].texels = reinterpret_cast<const uint32_t*>(level.Bits());
    out.levels[i].width = static_cast<int>(level.Describe().width);
    out.levels[i].height = static_cast<int>(level.Describe().height);
    out.levels[i].pitchBytes = level.PitchBytes();
  }
  out.alphaIsOpaque = HasOpaqueAlpha(format_);
}

}  // namespace d3d9
