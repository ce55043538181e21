#include "tool/input_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool/failure_report.h"

bool ReadInputFile(const char* path, std::vector<BYTE>* bytes, const char* step) {
  errno = 0;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    ReportFailure(step, path, errno != 0 ? std::strerror(errno) : "the file cannot be opened");
    return false;
  }
  BYTE chunk[65536];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes->insert(bytes->end(), chunk, chunk + count);
  // A folder opens on some systems and fails only at the first read.
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  std::fclose(file);
  if (failed) ReportFailure(step, path, readError != 0 ? std::strerror(readError) : "a read failed");
  return !failed;
}
