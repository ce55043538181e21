// Implements: the handle table and CloseHandle. Leaves out: handle inheritance and duplication.
#include "kernel_object_table.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "error.h"
#include "kernel_object.h"

namespace {

struct Table {
  std::mutex lock;
  std::unordered_map<HANDLE, std::unique_ptr<KernelObject>> objects;
};

Table& LiveObjects() {
  static Table* table = new Table;  // never destroyed: handles may be closed during exit
  return *table;
}

}  // namespace

HANDLE RegisterKernelObject(KernelObject* object) {
  Table& table = LiveObjects();
  std::lock_guard guard(table.lock);
  HANDLE handle = object;
  table.objects[handle].reset(object);
  return handle;
}

KernelObject* FindKernelObject(HANDLE handle) {
  Table& table = LiveObjects();
  std::lock_guard guard(table.lock);
  auto found = table.objects.find(handle);
  return found == table.objects.end() ? nullptr : found->second.get();
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  std::unique_ptr<KernelObject> closing;
  {
    Table& table = LiveObjects();
    std::lock_guard guard(table.lock);
    auto found = table.objects.find(hObject);
    if (found == table.objects.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    closing = std::move(found->second);
    table.objects.erase(found);
  }
  return TRUE;  // the object's destructor releases what it holds
}
