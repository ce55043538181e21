// Image bytes carried as resources of a module: bitmaps (which have no file header and are
// read as DIB data) and raw data.
#include "gfxsupport/images/image_decoding.h"

HRESULT FindResourceData(HMODULE module, UINT id, const void** data, UINT* size) {
  if (data == nullptr || size == nullptr) return ErrInvalidCall;
  if (id > 0xFFFF) return ErrInvalidData;  // resource numbers are 16 bits; no wrapping onto another
  LPCSTR name = MAKEINTRESOURCEA(id);
  HRSRC resource = FindResourceA(module, name, RT_BITMAP);
  if (resource == nullptr) resource = FindResourceA(module, name, RT_RCDATA);
  if (resource == nullptr) return ErrInvalidData;
  const DWORD length = SizeofResource(module, resource);
  if (length == 0) return ErrInvalidData;
  HGLOBAL loaded = LoadResource(module, resource);
  if (loaded == nullptr) return ErrInvalidData;
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr) return ErrInvalidData;
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
