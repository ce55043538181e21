// A whole image file read into memory, for as long as the object lives.
//
// Read, not mapped: a mapped file that another program shortens while it is decoded (an editor
// saving over it, a sync client) faults the reader at the first page past the new end, which
// would take the saver down. Reading costs one copy of a file that the decoder reads whole
// anyway, and it bounds the memory a file can claim.
#pragma once

#include <memory>

#include "winapi.h"

// Larger files are refused before anything is read: no image the saver can decode needs more,
// and a user's file must not claim gigabytes.
constexpr UINT kMaxImageFileBytes = 256u << 20;

class ImageFileContents {
 public:
  // Reads the file. A file that cannot be opened or read, or one larger than
  // kMaxImageFileBytes, gives ErrInvalidData and leaves the contents empty. Only the bytes that
  // the file held when it was opened are read: a file that shrinks meanwhile gives what is
  // left, one that grows its old length. Devices and pipes report no length and read as
  // empty; the recognition refuses an empty image.
  HRESULT Read(LPCSTR path);

  const void* Data() const { return bytes_.get(); }
  UINT Size() const { return size_; }

 private:
  std::unique_ptr<BYTE[]> bytes_;
  UINT size_ = 0;
};
