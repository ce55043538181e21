// Implements: the Reg* calls over the registry file; HKEY_LOCAL_MACHINE finds nothing.
// Leaves out: enumeration, key deletion, security and notifications.
#include "registry.h"

#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "registry_store.h"

namespace {

constexpr std::string_view kCurrentUserRoot = "HKEY_CURRENT_USER";
// Larger values have no place in a settings file; Windows itself advises files instead.
constexpr DWORD kLargestValue = 1024 * 1024;

struct OpenKey {
  std::string path;  // full path starting with kCurrentUserRoot
};

struct OpenKeys {
  std::mutex lock;
  std::set<OpenKey*> live;
};

OpenKeys& LiveKeys() {
  static OpenKeys* keys = new OpenKeys;
  return *keys;
}

enum class Root { kCurrentUser, kLocalMachine, kUnknown };

// The full path behind a handle (a root or an open key); empty for handles we do not know.
std::string PathOf(HKEY key, Root* root) {
  *root = Root::kUnknown;
  if (key == HKEY_CURRENT_USER) {
    *root = Root::kCurrentUser;
    return std::string(kCurrentUserRoot);
  }
  if (key == HKEY_LOCAL_MACHINE) {
    *root = Root::kLocalMachine;
    return {};
  }
  OpenKeys& keys = LiveKeys();
  std::lock_guard guard(keys.lock);
  auto* open = reinterpret_cast<OpenKey*>(key);
  if (keys.live.count(open) == 0) return {};
  *root = Root::kCurrentUser;
  return open->path;
}

HKEY NewKeyHandle(std::string path) {
  auto* open = new OpenKey{std::move(path)};
  OpenKeys& keys = LiveKeys();
  std::lock_guard guard(keys.lock);
  keys.live.insert(open);
  return reinterpret_cast<HKEY>(open);
}

// Joins a sub-key to its parent's path; false for names the store cannot hold.
bool JoinPath(const std::string& parent, LPCSTR subKey, std::string* joined) {
  *joined = parent;
  if (subKey == nullptr || subKey[0] == '\0') return true;
  std::string_view sub(subKey);
  if (!IsStorableKeyPath(sub)) return false;
  *joined += '\\';
  *joined += sub;
  return true;
}

std::string_view NameOf(LPCSTR valueName) { return valueName == nullptr ? std::string_view() : valueName; }

}  // namespace

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                               PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  Root root;
  std::string parent = PathOf(hKey, &root);
  if (root == Root::kLocalMachine) return ERROR_ACCESS_DENIED;
  if (root == Root::kUnknown) return ERROR_INVALID_HANDLE;
  std::string path;
  if (!JoinPath(parent, lpSubKey, &path)) return ERROR_INVALID_PARAMETER;

  RegistryDocument document;
  DWORD disposition = REG_OPENED_EXISTING_KEY;
  bool isRoot = path == kCurrentUserRoot;  // the root always exists and needs no section
  if (!isRoot && (ReadRegistryFile(&document) != ERROR_SUCCESS || !document.KeyExists(path))) {
    LSTATUS status = ChangeRegistryFile([&](RegistryDocument& current, LONG*) {
      if (current.KeyExists(path)) return false;  // another process made it meanwhile
      current.AddKey(path);
      disposition = REG_CREATED_NEW_KEY;
      return true;
    });
    if (status != ERROR_SUCCESS) return status;
  }
  if (lpdwDisposition != nullptr) *lpdwDisposition = disposition;
  *phkResult = NewKeyHandle(std::move(path));
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  Root root;
  std::string parent = PathOf(hKey, &root);
  if (root == Root::kLocalMachine) return ERROR_FILE_NOT_FOUND;
  if (root == Root::kUnknown) return ERROR_INVALID_HANDLE;
  std::string path;
  if (!JoinPath(parent, lpSubKey, &path)) return ERROR_FILE_NOT_FOUND;
  RegistryDocument document;
  LSTATUS status = ReadRegistryFile(&document);
  if (status != ERROR_SUCCESS) return status;
  if (path != kCurrentUserRoot && !document.KeyExists(path)) return ERROR_FILE_NOT_FOUND;
  *phkResult = NewKeyHandle(std::move(path));
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData) {
  if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) return ERROR_INVALID_PARAMETER;
  Root root;
  std::string path = PathOf(hKey, &root);
  if (root == Root::kLocalMachine) return ERROR_FILE_NOT_FOUND;
  if (root == Root::kUnknown) return ERROR_INVALID_HANDLE;

  RegistryDocument document;
  LSTATUS status = ReadRegistryFile(&document);
  if (status != ERROR_SUCCESS) return status;
  const RegistryKeyContents* key = document.FindKey(path);
  const RegistryValue* value = key == nullptr ? nullptr : FindValue(*key, NameOf(lpValueName));
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;

  if (lpType != nullptr) *lpType = value->type;
  DWORD size = static_cast<DWORD>(value->data.size());
  if (lpcbData == nullptr) return ERROR_SUCCESS;
  DWORD room = *lpcbData;
  *lpcbData = size;
  if (lpData == nullptr) return ERROR_SUCCESS;
  if (size > room) return ERROR_MORE_DATA;
  if (size > 0) std::memcpy(lpData, value->data.data(), size);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  Root root;
  std::string path = PathOf(hKey, &root);
  if (root == Root::kLocalMachine) return ERROR_ACCESS_DENIED;
  if (root == Root::kUnknown) return ERROR_INVALID_HANDLE;
  std::string_view name = NameOf(lpValueName);
  if ((lpData == nullptr && cbData > 0) || cbData > kLargestValue || !IsStorableValueName(name)) {
    return ERROR_INVALID_PARAMETER;
  }
  RegistryValue value{std::string(name), dwType, {}};
  if (cbData > 0) value.data.assign(lpData, lpData + cbData);
  return ChangeRegistryFile([&](RegistryDocument& document, LONG*) {
    SetValue(document.AddKey(path), std::move(value));
    return true;
  });
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  Root root;
  std::string path = PathOf(hKey, &root);
  if (root == Root::kLocalMachine) return ERROR_ACCESS_DENIED;
  if (root == Root::kUnknown) return ERROR_INVALID_HANDLE;
  return ChangeRegistryFile([&](RegistryDocument& document, LONG* status) {
    RegistryKeyContents* key = document.FindKey(path);
    if (key == nullptr || !DeleteValue(*key, NameOf(lpValueName))) {
      *status = ERROR_FILE_NOT_FOUND;
      return false;
    }
    return true;
  });
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  if (hKey == HKEY_CURRENT_USER || hKey == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  OpenKeys& keys = LiveKeys();
  std::lock_guard guard(keys.lock);
  auto* open = reinterpret_cast<OpenKey*>(hKey);
  if (keys.live.erase(open) == 0) return ERROR_INVALID_HANDLE;
  delete open;
  return ERROR_SUCCESS;
}
