// The per-thread slot behind LastReadFailure.
#include "gfxsupport/read_failure.h"

#include <cstdarg>
#include <cstdio>

namespace {

thread_local char lastReason[256] = "";

void Record(const char* format, va_list arguments) { std::vsnprintf(lastReason, sizeof lastReason, format, arguments); }

}  // namespace

const char* LastReadFailure() { return lastReason; }

namespace gfx {

HRESULT Refuse(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Record(format, arguments);
  va_end(arguments);
  return E_FAIL;
}

HRESULT RefuseWith(HRESULT result, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Record(format, arguments);
  va_end(arguments);
  return result;
}

bool RefuseStep(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Record(format, arguments);
  va_end(arguments);
  return false;
}

void ClearReadFailure() { lastReason[0] = '\0'; }

bool HasReadFailure() { return lastReason[0] != '\0'; }

}  // namespace gfx
