// Named mutex, used as a cross-process marker.
// Implements: CreateMutexA with a name: the first holder of a name takes an exclusive lock on a
// file named after it in $XDG_RUNTIME_DIR (or a per-user folder in /tmp); every later creator,
// in this or another process, gets a handle with GetLastError() == ERROR_ALREADY_EXISTS while
// the first one holds it. The system drops the lock when the process ends, however it ends.
// Closing the handle (CloseHandle) releases the name.
// Leaves out: waiting (WaitForSingleObject), ReleaseMutex ownership transfer, unnamed mutexes
// (accepted, but never "already exist"), security attributes, the Global\ and Local\ spaces.
#pragma once

#include "win32_types.h"
#include "error.h"
#include "kernel_object.h"

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName);
