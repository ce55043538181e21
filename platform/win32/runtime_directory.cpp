// Implements: choosing the per-user folder for lock files. Leaves out: cleaning it up.
#include "runtime_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A shared /tmp lets anyone create the folder first; only a real folder of our own, closed to
// others, is safe to keep locks in.
bool IsPrivateDirectoryOfOurs(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
         (info.st_mode & 077) == 0;
}

}  // namespace

std::string UserRuntimeDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsDirectory(runtime)) return runtime;

  std::string fallback = "/tmp/orbelune-" + std::to_string(geteuid());
  mkdir(fallback.c_str(), 0700);
  if (!IsPrivateDirectoryOfOurs(fallback)) return {};
  return fallback;
}
