// Reading image files into memory, and measuring the image in one.
#include "gfxsupport/images/image_file_contents.h"

#include <new>

#include "gfxsupport/images/image_decoding.h"
#include "gfxsupport/read_failure.h"

using gfx::RefuseWith;

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
  if (path == nullptr) return RefuseWith(ErrInvalidData, "no file name");
  FileHandle file(path);
  if (file.get() == INVALID_HANDLE_VALUE) return RefuseWith(ErrInvalidData, "the file cannot be opened");
  DWORD sizeHigh = 0;
  const DWORD sizeLow = GetFileSize(file.get(), &sizeHigh);
  if (sizeLow == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
    return RefuseWith(ErrInvalidData, "the file's size cannot be read");
  }
  if (sizeHigh != 0 || sizeLow > kMaxImageFileBytes) {
    return RefuseWith(ErrInvalidData, "the file is larger than the %u MiB an image file may have",
                      kMaxImageFileBytes >> 20);
  }
  if (sizeLow == 0) return S_OK;
  // Left uninitialised: the read fills what is used.
  bytes_.reset(new (std::nothrow) BYTE[sizeLow]);
  if (bytes_ == nullptr)
    return RefuseWith(E_OUTOFMEMORY, "no memory for the file's %u bytes", static_cast<unsigned>(sizeLow));
  DWORD got = 0;
  if (!ReadFile(file.get(), bytes_.get(), sizeLow, &got, nullptr)) {
    bytes_.reset();
    return RefuseWith(ErrInvalidData, "the file cannot be read");
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
