// A whole file mapped read-only into memory, for as long as the object lives.
#pragma once

#include "winapi.h"

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile() { Close(); }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Opens and maps the file. A failing step, or a file of 4 GiB or more (image sizes are
  // 32-bit), gives ErrInvalidData and leaves nothing open. An empty file opens without a
  // view: Data() none, Size() 0.
  HRESULT Open(LPCSTR path);
  void Close();

  const void* Data() const { return view_; }
  UINT Size() const { return size_; }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  const void* view_ = nullptr;
  UINT size_ = 0;
};
