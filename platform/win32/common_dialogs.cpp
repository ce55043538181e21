// Implements: ChooseColorA, GetOpenFileNameA and CommDlgExtendedError over the dialog
// backend: the records are checked and read here, the backend asks the user.
// Leaves out: what common_dialogs.h leaves out.
#include <cstring>
#include <string>
#include <vector>

#include "common_dialogs.h"
#include "dialog_backend.h"
#include "text_encoding.h"

namespace {

constexpr DWORD kErrorStructSize = 0x0001;      // CDERR_STRUCTSIZE
constexpr DWORD kErrorInitialization = 0x0002;  // CDERR_INITIALIZATION

DWORD lastError = 0;

// A filter list: pairs of a name and patterns separated by ';', each NUL-terminated, the
// list ending with an empty name.
std::vector<standin::FileFilter> FiltersOf(LPCSTR list) {
  std::vector<standin::FileFilter> filters;
  if (list == nullptr) return filters;
  for (const char* at = list; *at != '\0';) {
    standin::FileFilter filter;
    filter.nameUtf8 = standin::Cp932ToUtf8(at);
    at += std::strlen(at) + 1;
    std::string patterns = at;
    at += patterns.size() + 1;
    for (size_t start = 0; start <= patterns.size();) {
      const size_t end = std::min(patterns.find(';', start), patterns.size());
      if (end > start) filter.patterns.push_back(patterns.substr(start, end - start));
      start = end + 1;
    }
    filters.push_back(std::move(filter));
    if (patterns.empty()) break;
  }
  return filters;
}

}  // namespace

BOOL WINAPI ChooseColorA(LPCHOOSECOLORA choice) {
  lastError = 0;
  if (choice == nullptr || choice->lStructSize != sizeof(CHOOSECOLORA)) {
    lastError = kErrorStructSize;
    return FALSE;
  }
  COLORREF colour = (choice->Flags & CC_RGBINIT) != 0 ? choice->rgbResult & 0xFFFFFF : 0;
  if (!standin::Dialogs().ChooseColour(choice->hwndOwner, &colour)) return FALSE;
  choice->rgbResult = colour & 0xFFFFFF;
  return TRUE;
}

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA choice) {
  lastError = 0;
  if (choice == nullptr || choice->lStructSize != sizeof(OPENFILENAMEA)) {
    lastError = kErrorStructSize;
    return FALSE;
  }
  if (choice->lpstrFile == nullptr || choice->nMaxFile == 0) {
    lastError = kErrorInitialization;
    return FALSE;
  }
  const std::vector<standin::FileFilter> filters = FiltersOf(choice->lpstrFilter);
  const size_t firstFilter = choice->nFilterIndex > 0 ? choice->nFilterIndex - 1 : 0;
  const std::string title = standin::Cp932ToUtf8(choice->lpstrTitle != nullptr ? choice->lpstrTitle : "");
  std::string path;
  if (!standin::Dialogs().ChooseFile(choice->hwndOwner, title, filters, firstFilter, &path)) {
    return FALSE;
  }
  if (path.size() + 1 > choice->nMaxFile) {
    lastError = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  std::memcpy(choice->lpstrFile, path.c_str(), path.size() + 1);
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  choice->nFileOffset = static_cast<WORD>(nameStart);
  choice->nFileExtension = static_cast<WORD>(dot != std::string::npos && dot > nameStart ? dot + 1 : path.size());
  return TRUE;
}

DWORD WINAPI CommDlgExtendedError(void) { return lastError; }
