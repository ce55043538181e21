// Implements: GetModuleHandleA and the resource lookup over the program's linked .res.
// Leaves out: other modules, language choice, FreeResource.
#include "resource.h"

#include <mutex>
#include <vector>

#include "resource_table.h"

// The .res compiled from resources/orbelune.rc, placed in the program by the assembler.
extern "C" const uint8_t orbelune_resource_file_begin[];
extern "C" const uint8_t orbelune_resource_file_end[];

namespace {

// The program's own module; only its identity matters.
struct HINSTANCE__ programModule;

const std::vector<ResourceEntry>& ProgramResources() {
  static std::vector<ResourceEntry>* entries = [] {
    auto* read = new std::vector<ResourceEntry>;
    size_t size = static_cast<size_t>(orbelune_resource_file_end - orbelune_resource_file_begin);
    ReadResourceFile(orbelune_resource_file_begin, size, read);  // a malformed file finds nothing
    return read;
  }();
  return *entries;
}

bool IsProgramModule(HMODULE module) { return module == nullptr || module == &programModule; }

// An HRSRC is the address of one of the program's entries; anything else is refused.
const ResourceEntry* EntryOf(HRSRC resource) {
  const std::vector<ResourceEntry>& entries = ProgramResources();
  for (const ResourceEntry& entry : entries) {
    if (reinterpret_cast<const void*>(&entry) == reinterpret_cast<const void*>(resource)) return &entry;
  }
  return nullptr;
}

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (lpModuleName == nullptr) return &programModule;
  SetLastError(ERROR_FILE_NOT_FOUND);  // other modules are not loaded here
  return nullptr;
}

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  if (!IsProgramModule(hModule) || lpName == nullptr || lpType == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  bool typeSeen = false;
  for (const ResourceEntry& entry : ProgramResources()) {
    if (!ResourceIdMatches(entry.type, lpType)) continue;
    typeSeen = true;
    if (ResourceIdMatches(entry.name, lpName)) {
      return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(&entry));
    }
  }
  SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  const ResourceEntry* entry = IsProgramModule(hModule) ? EntryOf(hResInfo) : nullptr;
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return entry->size;
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  const ResourceEntry* entry = IsProgramModule(hModule) ? EntryOf(hResInfo) : nullptr;
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // The bytes are part of the program image: the handle is their address, valid until exit.
  return const_cast<uint8_t*>(entry->data);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }
