// How orbelune-tool tells what went wrong, on standard error: a failure names the step that
// failed (reading the input, decoding it, writing the output, ...), what it failed on (mostly a
// file's path) and the reason; a wrong command line names the problem and shows the usage.
#pragma once

#include "winapi.h"

// Writes "orbelune-tool: cannot <step> <what>: <reason>" and returns the exit code 1.
int ReportFailure(const char* step, const char* what, const char* reason);

// The same for a failed call, with its result code after the reason.
int ReportFailure(const char* step, const char* what, const char* reason, HRESULT result);

// Writes "orbelune-tool: <problem>" (followed by the argument in quotes, when one is given)
// and the usage, and returns the exit code 2.
int ReportUsageError(const char* usage, const char* problem, const char* argument = nullptr);
