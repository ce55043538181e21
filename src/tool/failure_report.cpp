#include "tool/failure_report.h"

#include <cstdio>

int ReportFailure(const char* step, const char* what, const char* reason) {
  std::fprintf(stderr, "orbelune-tool: cannot %s %s: %s\n", step, what, reason);
  return 1;
}

int ReportFailure(const char* step, const char* what, const char* reason, HRESULT result) {
  std::fprintf(stderr, "orbelune-tool: cannot %s %s: %s (error 0x%08X)\n", step, what, reason,
               static_cast<unsigned>(result));
  return 1;
}

int ReportUsageError(const char* usage, const char* problem, const char* argument) {
  if (argument != nullptr) {
    std::fprintf(stderr, "orbelune-tool: %s '%s'\n", problem, argument);
  } else {
    std::fprintf(stderr, "orbelune-tool: %s\n", problem);
  }
  std::fprintf(stderr, "usage: %s\n", usage);
  return 2;
}
