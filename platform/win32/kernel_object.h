// Kernel object handles shared by the file, mapping and mutex stand-ins.
// Implements: CloseHandle for every handle the stand-ins hand out; an invalid, already closed
// or foreign handle fails with ERROR_INVALID_HANDLE instead of touching memory.
// Leaves out: DuplicateHandle, handle inheritance, WaitForSingleObject.
#pragma once

#include "win32_types.h"

BOOL WINAPI CloseHandle(HANDLE hObject);
