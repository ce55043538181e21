// Reading image files into memory, and measuring the image in one.
#include "gfxsupport/mapped_file.h"

#include <new>

#include "gfxsupport/image_decoding.h"

namespace {

class FileHandle {
 public:
  explicit FileHandle(LPCSTR path)
      : handle_(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr)) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

HRESULT ImageFileContents::Read(LPCSTR path) {
  bytes_.reset();
  size_ = 0;
  if (path == nullptr) return ErrInvalidData;
  FileHandle file(path);
  if (file.get() == INVALID_HANDLE_VALUE) return ErrInvalidData;
  DWORD sizeHigh = 0;
  const DWORD sizeLow = GetFileSize(file.get(), &sizeHigh);
  if ((sizeLow == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) || sizeHigh != 0 ||
      sizeLow > MaxImageFileBytes) {
    return ErrInvalidData;
  }
  if (sizeLow == 0) return S_OK;
  // Left uninitialised: the read fills what is used.
  bytes_.reset(new (std::nothrow) BYTE[sizeLow]);
  if (bytes_ == nullptr) return E_OUTOFMEMORY;
  DWORD got = 0;
  if (!ReadFile(file.get(), bytes_.get(), sizeLow, &got, nullptr)) {
    bytes_.reset();
    return ErrInvalidData;
  }
  size_ = got;
  return S_OK;
}

HRESULT GetImageInfoFromFile(LPCSTR path, ImageInfo* info) {
  ImageFileContents file;
  const HRESULT hr = file.Read(path);
  if (FAILED(hr)) return hr;
  return GetImageInfoFromMemory(file.Data(), file.Size(), info);
}
