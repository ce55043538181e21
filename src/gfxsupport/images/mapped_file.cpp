// Mapping image files read-only, and measuring the image in one.
#include "gfxsupport/images/mapped_file.h"

#include "gfxsupport/images/image_decoding.h"
#include "gfxsupport/read_failure.h"

using gfx::RefuseWith;

HRESULT MappedFile::Open(LPCSTR path) {
  Close();
  if (path == nullptr) return RefuseWith(ErrInvalidData, "no file name");
  file_ = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return RefuseWith(ErrInvalidData, "the file cannot be opened");
  DWORD sizeHigh = 0;
  const DWORD sizeLow = GetFileSize(file_, &sizeHigh);
  if (sizeLow == INVALID_FILE_SIZE && sizeHigh == 0) {
    Close();
    return RefuseWith(ErrInvalidData, "the file's size cannot be read");
  }
  // Image sizes are 32-bit: a file of 4 GiB or more is no image we read.
  if (sizeHigh != 0) {
    Close();
    return RefuseWith(ErrInvalidData, "the file is 4 GiB or larger");
  }
  // An empty file cannot be mapped; the recognition run refuses its size of 0.
  if (sizeLow == 0) return S_OK;
  mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping_ == nullptr) {
    Close();
    return RefuseWith(ErrInvalidData, "the file cannot be mapped");
  }
  view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
  if (view_ == nullptr) {
    Close();
    return RefuseWith(ErrInvalidData, "the file cannot be mapped");
  }
  size_ = sizeLow;
  return S_OK;
}

void MappedFile::Close() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  view_ = nullptr;
  mapping_ = nullptr;
  file_ = INVALID_HANDLE_VALUE;
  size_ = 0;
}

HRESULT GetImageInfoFromFile(LPCSTR path, ImageInfo* info) {
  MappedFile file;
  const HRESULT hr = file.Open(path);
  if (FAILED(hr)) return hr;
  return GetImageInfoFromMemory(file.Data(), file.Size(), info);
}
