#include "tool/input_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "gfxsupport/images/image_file_contents.h"
#include "tool/failure_report.h"

namespace {

std::string TooLargeReason() {
  return "larger than the " + std::to_string(kMaxImageFileBytes >> 20) + " MiB the saver reads";
}

// Why the file cannot be read whole, or nothing when it is a plain file. Only plain files are
// read: a FIFO would keep the tool waiting for a writer, and a device such as /dev/zero would
// never end. A file replaced after this look is still bounded by the size limit of the read.
std::string ReasonNotPlainFile(const char* path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) return error.message();
  if (std::filesystem::is_directory(status)) return std::strerror(EISDIR);
  if (!std::filesystem::is_regular_file(status)) return "not a plain file (a device, a FIFO or a socket)";
  if (std::filesystem::file_size(path, error) > kMaxImageFileBytes && !error) return TooLargeReason();
  return "";
}

}  // namespace

bool ReadInputFile(const char* path, std::vector<BYTE>* bytes, const char* step) {
  if (const std::string reason = ReasonNotPlainFile(path); !reason.empty()) {
    ReportFailure(step, path, reason.c_str());
    return false;
  }
  errno = 0;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    ReportFailure(step, path, errno != 0 ? std::strerror(errno) : "the file cannot be opened");
    return false;
  }
  BYTE chunk[65536];
  size_t count;
  while (bytes->size() <= kMaxImageFileBytes && (count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes->insert(bytes->end(), chunk, chunk + count);
  }
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  std::fclose(file);
  if (failed) {
    ReportFailure(step, path, readError != 0 ? std::strerror(readError) : "a read failed");
    return false;
  }
  if (bytes->size() > kMaxImageFileBytes) {
    ReportFailure(step, path, TooLargeReason().c_str());
    return false;
  }
  return true;
}
