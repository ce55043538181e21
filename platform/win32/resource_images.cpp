// Implements: LoadBitmapA (an RT_BITMAP resource of the module, read as a packed DIB) and
// LoadIconA (the stock application icon, or an icon group resource of the module; the icon is
// only a handle here, as no window shows one).
// Leaves out: the system's predefined bitmaps (OBM_*), icon pictures, LoadImageA.
#include <cstring>
#include <deque>

#include "dib_reader.h"
#include "error.h"
#include "gdi.h"
#include "gdi_objects.h"
#include "resource.h"
#include "window.h"

namespace {

struct HICON__ applicationIcon;

// Icons loaded from resources are shared for the life of the module, as on Windows.
HICON IconFor(HRSRC resource) {
  static std::deque<std::pair<HRSRC, HICON__>> icons;
  for (auto& entry : icons) {
    if (entry.first == resource) return &entry.second;
  }
  return &icons.emplace_back(resource, HICON__{}).second;
}

}  // namespace

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name) {
  if (instance == nullptr) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const HRSRC found = FindResourceA(instance, name, RT_BITMAP);
  if (found == nullptr) return nullptr;  // FindResourceA has said why
  const DWORD size = SizeofResource(instance, found);
  const void* bytes = LockResource(LoadResource(instance, found));
  standin::Bitmap bitmap;
  if (bytes == nullptr || !standin::ReadPackedDib(static_cast<const uint8_t*>(bytes), size, bitmap)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return standin::AddBitmap(std::move(bitmap));
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (instance == nullptr) {
    if (name == IDI_APPLICATION) return &applicationIcon;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const HRSRC found = FindResourceA(instance, name, RT_GROUP_ICON);
  return found != nullptr ? IconFor(found) : nullptr;
}
