#include "error.h"

namespace {
// Windows keeps the last error per thread; so do we.
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

DWORD WINAPI GetLastError(void) { return lastError; }

void WINAPI SetLastError(DWORD errorCode) { lastError = errorCode; }
