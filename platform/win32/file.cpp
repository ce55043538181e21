// Implements: CreateFileA, ReadFile, WriteFile, GetFileSize and read-only mapping over POSIX
// open/read/write/mmap. Leaves out: overlapped I/O, writable and named mappings, share modes,
// waiting for the other end of a FIFO.
#include "file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "kernel_object_table.h"

namespace {

class FileObject : public KernelObject {
 public:
  FileObject(int descriptor, bool readable, bool writable)
      : descriptor(descriptor), readable(readable), writable(writable) {}
  ~FileObject() override { close(descriptor); }
  int descriptor;
  bool readable;
  bool writable;
};

// A mapping keeps its own descriptor, so the file handle may be closed before the view is used.
class FileMapping : public KernelObject {
 public:
  FileMapping(int descriptor, uint64_t size) : descriptor(descriptor), size(size) {}
  ~FileMapping() override { close(descriptor); }
  int descriptor;
  uint64_t size;
};

// Views outlive their mapping handle, as on Windows; UnmapViewOfFile needs each view's length.
struct Views {
  std::mutex lock;
  std::map<const void*, size_t> lengths;
};

Views& OpenViews() {
  static Views* views = new Views;
  return *views;
}

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOSPC:
      return ERROR_DISK_FULL;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

int OpenFlagsFor(DWORD access, DWORD disposition, bool* valid) {
  *valid = true;
  bool reading = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
  bool writing = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
  int flags = O_CLOEXEC;
  if (reading && writing) {
    flags |= O_RDWR;
  } else if (writing) {
    flags |= O_WRONLY;
  } else {
    flags |= O_RDONLY;
  }
  switch (disposition) {
    case CREATE_NEW:
      return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
      return flags | O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
      return flags;
    case OPEN_ALWAYS:
      return flags | O_CREAT;
    case TRUNCATE_EXISTING:
      return flags | O_TRUNC;
    default:
      *valid = false;
      return flags;
  }
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  bool valid = false;
  int flags = OpenFlagsFor(dwDesiredAccess, dwCreationDisposition, &valid);
  if (lpFileName == nullptr || !valid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  bool existedBefore = access(lpFileName, F_OK) == 0;
  // Opening a FIFO waits for its other end; a named file must never hang the program. Reads
  // and writes block again once the file is open.
  int descriptor = open(lpFileName, flags | O_NONBLOCK, 0644);
  if (descriptor < 0) {
    SetLastError(ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
  struct stat info {};
  if (fstat(descriptor, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(descriptor);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  if (dwFlagsAndAttributes & FILE_FLAG_RANDOM_ACCESS) posix_fadvise(descriptor, 0, 0, POSIX_FADV_RANDOM);
  if (dwFlagsAndAttributes & FILE_FLAG_SEQUENTIAL_SCAN) posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);

  bool readable = (dwDesiredAccess & (GENERIC_READ | GENERIC_ALL)) != 0;
  bool writable = (dwDesiredAccess & (GENERIC_WRITE | GENERIC_ALL)) != 0;
  HANDLE handle = RegisterKernelObject(new FileObject(descriptor, readable, writable));
  // Windows reports ERROR_ALREADY_EXISTS when CREATE_ALWAYS or OPEN_ALWAYS found the file.
  bool reportsExisting = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
  SetLastError(reportsExisting && existedBefore ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = 0;
  FileObject* file = FindKernelObjectOf<FileObject>(hFile);
  if (file == nullptr || !file->readable) {
    SetLastError(file == nullptr ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToRead > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD total = 0;
  auto* cursor = static_cast<unsigned char*>(lpBuffer);
  while (total < nNumberOfBytesToRead) {
    ssize_t got = read(file->descriptor, cursor + total, nNumberOfBytesToRead - total);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      SetLastError(ERROR_READ_FAULT);
      return FALSE;
    }
    if (got == 0) break;  // end of file: success with fewer bytes, as on Windows
    total += static_cast<DWORD>(got);
  }
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = total;
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = 0;
  FileObject* file = FindKernelObjectOf<FileObject>(hFile);
  if (file == nullptr || !file->writable) {
    SetLastError(file == nullptr ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD total = 0;
  const auto* cursor = static_cast<const unsigned char*>(lpBuffer);
  while (total < nNumberOfBytesToWrite) {
    ssize_t written = write(file->descriptor, cursor + total, nNumberOfBytesToWrite - total);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      // A short write (full disk) is a failure, never a silent truncation.
      if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = total;
      SetLastError(written < 0 && errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
      return FALSE;
    }
    total += static_cast<DWORD>(written);
  }
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = total;
  return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  FileObject* file = FindKernelObjectOf<FileObject>(hFile);
  struct stat info {};
  if (file == nullptr || fstat(file->descriptor, &info) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  uint64_t size = static_cast<uint64_t>(info.st_size);
  if (lpFileSizeHigh != nullptr) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  // Without a place for the high part, a size of 4 GiB or more cannot be told apart from a
  // failure; Windows answers INVALID_FILE_SIZE with no error then, and so do we.
  SetLastError(ERROR_SUCCESS);
  if (lpFileSizeHigh == nullptr && (size >> 32) != 0) return INVALID_FILE_SIZE;
  return static_cast<DWORD>(size);
}

HANDLE WINAPI CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES, DWORD flProtect, DWORD dwMaximumSizeHigh,
                                 DWORD dwMaximumSizeLow, LPCSTR lpName) {
  FileObject* file = FindKernelObjectOf<FileObject>(hFile);
  if (file == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if ((flProtect & 0xFF) != PAGE_READONLY || lpName != nullptr || !file->readable) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  struct stat info {};
  if (fstat(file->descriptor, &info) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  uint64_t fileSize = static_cast<uint64_t>(info.st_size);
  uint64_t requested = (static_cast<uint64_t>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;
  // A read-only mapping can neither be empty nor reach past the end of its file.
  if (fileSize == 0 && requested == 0) {
    SetLastError(ERROR_FILE_INVALID);
    return nullptr;
  }
  if (requested > fileSize) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  int descriptor = dup(file->descriptor);
  if (descriptor < 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  fcntl(descriptor, F_SETFD, FD_CLOEXEC);
  SetLastError(ERROR_SUCCESS);
  return RegisterKernelObject(new FileMapping(descriptor, requested == 0 ? fileSize : requested));
}

LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                            DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap) {
  FileMapping* mapping = FindKernelObjectOf<FileMapping>(hFileMappingObject);
  if (mapping == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (dwDesiredAccess != FILE_MAP_READ) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  uint64_t offset = (static_cast<uint64_t>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
  long pageSize = sysconf(_SC_PAGESIZE);
  // Windows wants offsets on the allocation granularity (64 KiB); any page multiple works here.
  if (offset % static_cast<uint64_t>(pageSize) != 0 || offset >= mapping->size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  uint64_t available = mapping->size - offset;
  uint64_t length = dwNumberOfBytesToMap == 0 ? available : dwNumberOfBytesToMap;
  if (length > available || length > SIZE_MAX) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* view = mmap(nullptr, static_cast<size_t>(length), PROT_READ, MAP_PRIVATE, mapping->descriptor,
                    static_cast<off_t>(offset));
  if (view == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Views& views = OpenViews();
  std::lock_guard guard(views.lock);
  views.lengths[view] = static_cast<size_t>(length);
  return view;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress) {
  size_t length = 0;
  {
    Views& views = OpenViews();
    std::lock_guard guard(views.lock);
    auto found = views.lengths.find(lpBaseAddress);
    if (found == views.lengths.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    length = found->second;
    views.lengths.erase(found);
  }
  munmap(const_cast<void*>(lpBaseAddress), length);
  return TRUE;
}
