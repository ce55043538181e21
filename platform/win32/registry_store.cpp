// Implements: finding, reading and atomically replacing the registry file under a lock file;
// the tools' control of where it lives.
// Leaves out: watching the file for changes made by others.
#include "registry_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "error.h"
#include "registry_control.h"

namespace {

// A settings file this large is not ours; it is left alone rather than parsed.
constexpr off_t kLargestRegistryFile = 16 * 1024 * 1024;

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  passwd* entry = getpwuid(geteuid());
  return (entry != nullptr && entry->pw_dir != nullptr) ? entry->pw_dir : "";
}

std::string ParentOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void MakeDirectories(const std::string& directory) {
  if (directory.empty() || directory == "/" || directory == ".") return;
  struct stat info {};
  if (stat(directory.c_str(), &info) == 0) return;
  MakeDirectories(ParentOf(directory));
  mkdir(directory.c_str(), 0700);
}

bool WriteAll(int descriptor, const std::string& text) {
  size_t written = 0;
  while (written < text.size()) {
    ssize_t step = write(descriptor, text.data() + written, text.size() - written);
    if (step < 0 && errno == EINTR) continue;
    if (step <= 0) return false;
    written += static_cast<size_t>(step);
  }
  return true;
}

LONG ReadWholeFile(const std::string& path, std::string* text, bool* missing) {
  *missing = false;
  // Not blocking: a FIFO in the store's place must not hang the saver; it is no plain file and
  // is refused below.
  int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    *missing = errno == ENOENT;
    return *missing ? ERROR_SUCCESS : ERROR_CANTREAD;
  }
  struct stat info {};
  LONG status = ERROR_SUCCESS;
  if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kLargestRegistryFile) {
    status = ERROR_CANTREAD;
  } else {
    text->resize(static_cast<size_t>(info.st_size));
    size_t got = 0;
    while (got < text->size()) {
      ssize_t step = read(descriptor, text->data() + got, text->size() - got);
      if (step < 0 && errno == EINTR) continue;
      if (step < 0) {
        status = ERROR_CANTREAD;
        break;
      }
      if (step == 0) break;
      got += static_cast<size_t>(step);
    }
    text->resize(got);
  }
  close(descriptor);
  return status;
}

// Keeps a copy of the damaged file under a name of its own before the rewrite drops what could
// not be read. The copy is written from the bytes just read: the lock keeps the file unchanged.
bool KeepDamagedFileAside(const std::string& path, const std::string& damagedText) {
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &parts);
  std::string aside = path + ".damaged-" + stamp;
  for (int attempt = 1; attempt < 1000; ++attempt) {
    int descriptor = open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor >= 0) {
      bool written = WriteAll(descriptor, damagedText) && fsync(descriptor) == 0;
      written = close(descriptor) == 0 && written;
      if (!written) unlink(aside.c_str());
      return written;
    }
    if (errno != EEXIST) return false;
    aside = path + ".damaged-" + stamp + "-" + std::to_string(attempt);
  }
  return false;
}

class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    descriptor_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor_ < 0) return;
    while (flock(descriptor_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        close(descriptor_);
        descriptor_ = -1;
        return;
      }
    }
  }
  ~FileLock() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
};

// Writers once named their temporary file after their process; a writer killed before its
// rename left one behind for good. Under the lock no writer is at work, so any is a leftover.
void RemoveLeftoverTemporaries(const std::string& path) {
  const std::string folder = ParentOf(path);
  const size_t slash = path.rfind('/');
  const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp-";
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
      unlink((folder + "/" + name).c_str());
    }
  }
  closedir(listing);
}

// Called with the lock held: one temporary name serves every writer, so a writer killed
// before its rename leaves at most that one file, which the next write takes over.
LONG ReplaceFile(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp";
  int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (descriptor < 0) return ERROR_CANTWRITE;
  bool written = WriteAll(descriptor, text) && fsync(descriptor) == 0;
  written = close(descriptor) == 0 && written;
  if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return ERROR_CANTWRITE;
  }
  // The rename itself reaches the disk only with its folder.
  int folder = open(ParentOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return ERROR_SUCCESS;
}

}  // namespace

std::string RegistryFilePath() {
  const char* explicitPath = std::getenv("ORBELUNE_REGISTRY");
  if (explicitPath != nullptr && explicitPath[0] != '\0') return explicitPath;
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  std::string base = (configHome != nullptr && configHome[0] == '/') ? configHome : HomeDirectory() + "/.config";
  return base + "/orbelune/registry.reg";
}

bool RegistryUseFile(const char* path) {
  // RegistryFilePath reads the switch at every access.
  return path != nullptr && path[0] != '\0' && setenv("ORBELUNE_REGISTRY", path, 1) == 0;
}

LONG ReadRegistryFile(RegistryDocument* document) {
  std::string text;
  bool missing = false;
  LONG status = ReadWholeFile(RegistryFilePath(), &text, &missing);
  *document = status == ERROR_SUCCESS && !missing ? ParseRegistryText(text) : RegistryDocument{};
  return status;
}

LONG ChangeRegistryFile(const std::function<bool(RegistryDocument&, LONG* status)>& change) {
  std::string path = RegistryFilePath();
  MakeDirectories(ParentOf(path));
  FileLock lock(path + ".lock");
  if (!lock.held()) return ERROR_CANTWRITE;

  std::string text;
  bool missing = false;
  // A file that cannot be read is never overwritten: its values would be lost.
  if (ReadWholeFile(path, &text, &missing) != ERROR_SUCCESS) return ERROR_CANTREAD;
  RegistryDocument document = missing ? RegistryDocument{} : ParseRegistryText(text);

  LONG status = ERROR_SUCCESS;
  if (!change(document, &status)) return status;
  if (document.damaged && !KeepDamagedFileAside(path, text)) return ERROR_CANTWRITE;
  RemoveLeftoverTemporaries(path);
  return ReplaceFile(path, FormatRegistryText(document));
}
