// Implements: the table of the stand-in's own windows and registered classes.
// Leaves out: class atoms as names, per-module class scopes (one module: the program).
#include "window_table.h"

#include <strings.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>

namespace standin {
namespace {

constexpr uint64_t kFirstOwnHandle = uint64_t{1} << 32;
constexpr uint64_t kHandleStep = 0x10;

struct Tables {
  std::map<uint64_t, std::unique_ptr<Window>> windows;  // ordered by creation
  std::deque<WindowClass> classes;                      // stable addresses
  uint64_t nextHandle = kFirstOwnHandle + kHandleStep;
  uint64_t activity = 0;
};

Tables& Get() {
  static Tables tables;
  return tables;
}

}  // namespace

bool IsOwnHandle(HWND handle) { return reinterpret_cast<uintptr_t>(handle) >= kFirstOwnHandle; }

uint64_t ForeignId(HWND handle) {
  const auto value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
  return value < kFirstOwnHandle ? value : 0;
}

Window* FindOwnWindow(HWND handle) {
  if (!IsOwnHandle(handle)) return nullptr;
  auto& windows = Get().windows;
  const auto found = windows.find(reinterpret_cast<uintptr_t>(handle));
  return found == windows.end() ? nullptr : found->second.get();
}

Window& AddWindow() {
  Tables& tables = Get();
  const uint64_t value = tables.nextHandle;
  tables.nextHandle += kHandleStep;
  auto window = std::make_unique<Window>();
  window->handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
  Window& added = *window;
  tables.windows.emplace(value, std::move(window));
  return added;
}

void RemoveWindow(HWND handle) { Get().windows.erase(reinterpret_cast<uintptr_t>(handle)); }

std::vector<HWND> AllWindows() {
  std::vector<HWND> handles;
  for (const auto& entry : Get().windows) handles.push_back(entry.second->handle);
  return handles;
}

const WindowClass* FindClass(const char* name) {
  if (name == nullptr || IS_INTRESOURCE(name)) return nullptr;
  for (const WindowClass& windowClass : Get().classes) {
    if (strcasecmp(windowClass.name.c_str(), name) == 0) return &windowClass;
  }
  return nullptr;
}

const WindowClass* AddClass(const WNDCLASSA& description) {
  WindowClass& added = Get().classes.emplace_back();
  added.name = description.lpszClassName;
  added.description = description;
  added.description.lpszClassName = added.name.c_str();
  added.description.lpszMenuName = nullptr;
  return &added;
}

bool RemoveClass(const char* name) {
  auto& classes = Get().classes;
  const WindowClass* found = FindClass(name);
  if (found == nullptr) return false;
  for (const auto& entry : Get().windows) {
    if (entry.second->windowClass == found) return false;  // still in use
  }
  // Classes are few; keep the slot (addresses stay valid) but make it unfindable.
  for (WindowClass& windowClass : classes) {
    if (&windowClass == found) windowClass.name.clear();
  }
  return true;
}

void NoteActivity() { ++Get().activity; }
uint64_t ActivityCount() { return Get().activity; }

}  // namespace standin
