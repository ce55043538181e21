// Implements: CreateMutexA as a lock file held with flock. Leaves out: waiting and ownership.
#include "mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "kernel_object_table.h"
#include "runtime_directory.h"

namespace {

class NamedMutex : public KernelObject {
 public:
  explicit NamedMutex(int lockFile) : lockFile_(lockFile) {}
  ~NamedMutex() override {
    if (lockFile_ >= 0) close(lockFile_);  // closing drops the lock if this handle held it
  }

 private:
  int lockFile_;
};

// Mutex names may hold any character; file names may not hold '/' and should stay readable.
std::string LockFileName(const char* name) {
  static const char hexDigits[] = "0123456789ABCDEF";
  std::string fileName = "orbelune-mutex-";
  for (const char* cursor = name; *cursor != '\0'; ++cursor) {
    unsigned char byte = static_cast<unsigned char>(*cursor);
    bool plain = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                 byte == '-' || byte == '_';
    if (plain) {
      fileName += static_cast<char>(byte);
    } else {
      fileName += '%';
      fileName += hexDigits[byte >> 4];
      fileName += hexDigits[byte & 15];
    }
  }
  return fileName;
}

}  // namespace

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR lpName) {
  if (lpName == nullptr || lpName[0] == '\0') {
    SetLastError(ERROR_SUCCESS);
    return RegisterKernelObject(new NamedMutex(-1));
  }
  std::string directory = UserRuntimeDirectory();
  if (directory.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  std::string path = directory + "/" + LockFileName(lpName);
  int lockFile = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFile < 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  // The lock belongs to this open file: another open of the same name, in this process or any
  // other, is refused while it is held, and the kernel drops it when the holder ends.
  DWORD status = ERROR_SUCCESS;
  if (flock(lockFile, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) status = ERROR_ALREADY_EXISTS;
  HANDLE handle = RegisterKernelObject(new NamedMutex(lockFile));
  SetLastError(status);
  return handle;
}
