// Image bytes carried as resources of a module: bitmaps (which have no file header and are
// read as DIB data) and raw data.
#include "gfxsupport/images/image_decoding.h"
#include "gfxsupport/read_failure.h"

using gfx::RefuseWith;

HRESULT FindResourceData(HMODULE module, UINT id, const void** data, UINT* size) {
  if (data == nullptr || size == nullptr) return RefuseWith(ErrInvalidCall, "nowhere to put the resource");
  // Resource numbers are 16 bits; no wrapping onto another.
  if (id > 0xFFFF) return RefuseWith(ErrInvalidData, "resource number %u is beyond 16 bits", id);
  LPCSTR name = MAKEINTRESOURCEA(id);
  HRSRC resource = FindResourceA(module, name, RT_BITMAP);
  if (resource == nullptr) resource = FindResourceA(module, name, RT_RCDATA);
  if (resource == nullptr) return RefuseWith(ErrInvalidData, "resource %u is neither a bitmap nor raw data", id);
  const DWORD length = SizeofResource(module, resource);
  if (length == 0) return RefuseWith(ErrInvalidData, "resource %u is empty", id);
  HGLOBAL loaded = LoadResource(module, resource);
  if (loaded == nullptr) return RefuseWith(ErrInvalidData, "resource %u cannot be loaded", id);
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr) return RefuseWith(ErrInvalidData, "resource %u cannot be loaded", id);
  *data = bytes;
  *size = length;
  return S_OK;
}

HRESULT GetImageInfoFromResource(HMODULE module, UINT id, ImageInfo* info) {
  const void* data = nullptr;
  UINT size = 0;
  const HRESULT hr = FindResourceData(module, id, &data, &size);
  if (FAILED(hr)) return hr;
  return GetImageInfoFromMemory(data, size, info);
}
