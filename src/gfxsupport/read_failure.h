// Why the last read of outside data on this thread was refused, in words a person can act on
// ("PNG: data ends inside IDAT"), kept beside the HRESULT that callers decide by.
//
// The image and X-file readers record the reason at the point where they refuse, and return
// their HRESULT as always. The reason lives in one slot per thread rather than in the results:
// the readers pass HRESULTs through many small helpers, and a refusal stays one line,
//   if (mapBytes > size - mapStart) return Refuse("colour map does not fit the file");
// while the public functions keep their signatures.
#pragma once

#include "winapi.h"

// The reason of the last failed image or mesh operation on this thread; "" after a success or
// when the failure has no recorded reason. Valid until the next such operation on this thread.
const char* LastReadFailure();

namespace gfx {

// Records the reason (printf-style, shortened to 255 bytes) and returns E_FAIL.
HRESULT Refuse(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same, returning `result`.
HRESULT RefuseWith(HRESULT result, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The same for the steps of a reader that answer true or false: returns false.
bool RefuseStep(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Forgets the recorded reason.
void ClearReadFailure();
bool HasReadFailure();

}  // namespace gfx
