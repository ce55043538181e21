// The table of live kernel objects behind HANDLE values (files, mappings, mutexes).
// Handles are the objects' addresses, but only handles found in the table are ever used, so a
// stale or made-up handle is refused rather than dereferenced.
#pragma once

#include "win32_types.h"

class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// Takes ownership of the object and returns its handle.
HANDLE RegisterKernelObject(KernelObject* object);

// The live object behind the handle if it is of type T, else nullptr.
KernelObject* FindKernelObject(HANDLE handle);
template <typename T>
T* FindKernelObjectOf(HANDLE handle) {
  return dynamic_cast<T*>(FindKernelObject(handle));
}
