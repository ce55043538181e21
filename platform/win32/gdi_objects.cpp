// Implements: the GDI object table and its Win32 face: GetStockObject (the brushes and pens),
// CreateSolidBrush, CreateCompatibleDC, SelectObject, DeleteObject, DeleteDC, GetObjectA
// for bitmaps. A memory device context starts with a 1 by 1 stock bitmap selected, as on
// Windows; a bitmap selected into a device context cannot be deleted.
// Leaves out: fonts, regions, palettes, pattern and hatched brushes, pens wider than 1 pixel.
#include "gdi_objects.h"

#include <map>
#include <variant>

#include "error.h"
#include "gdi.h"
#include "window_table.h"

namespace standin {
namespace {

struct Brush {
  COLORREF colour = 0;
  bool draws = true;
};
struct Pen {
  COLORREF colour = 0;
  bool draws = true;
};

struct GdiObject {
  std::variant<Bitmap, Brush, Pen, DeviceContext> body;
  bool stock = false;
};

constexpr uintptr_t kFirstHandle = 0x20000;
constexpr uintptr_t kHandleStep = 0x10;

struct ObjectTable {
  std::map<uintptr_t, GdiObject> objects;
  uintptr_t next = kFirstHandle;
  std::map<int, HGDIOBJ> stock;
  HBITMAP defaultBitmap = nullptr;
};

ObjectTable& Table() {
  static ObjectTable table;
  return table;
}

HGDIOBJ Add(GdiObject object) {
  ObjectTable& table = Table();
  const uintptr_t value = table.next;
  table.next += kHandleStep;
  table.objects.emplace(value, std::move(object));
  return reinterpret_cast<HGDIOBJ>(value);
}

GdiObject* Find(HGDIOBJ handle) {
  auto& objects = Table().objects;
  const auto found = objects.find(reinterpret_cast<uintptr_t>(handle));
  return found == objects.end() ? nullptr : &found->second;
}

template <typename Body>
Body* FindBody(HGDIOBJ handle) {
  GdiObject* object = Find(handle);
  return object != nullptr ? std::get_if<Body>(&object->body) : nullptr;
}

HGDIOBJ Stock(int index) {
  ObjectTable& table = Table();
  if (const auto found = table.stock.find(index); found != table.stock.end()) return found->second;
  GdiObject object;
  object.stock = true;
  switch (index) {
    case WHITE_BRUSH:
      object.body = Brush{RGB(255, 255, 255), true};
      break;
    case LTGRAY_BRUSH:
      object.body = Brush{RGB(192, 192, 192), true};
      break;
    case GRAY_BRUSH:
      object.body = Brush{RGB(128, 128, 128), true};
      break;
    case DKGRAY_BRUSH:
      object.body = Brush{RGB(64, 64, 64), true};
      break;
    case BLACK_BRUSH:
      object.body = Brush{RGB(0, 0, 0), true};
      break;
    case NULL_BRUSH:
      object.body = Brush{0, false};
      break;
    case WHITE_PEN:
      object.body = Pen{RGB(255, 255, 255), true};
      break;
    case BLACK_PEN:
      object.body = Pen{RGB(0, 0, 0), true};
      break;
    case NULL_PEN:
      object.body = Pen{0, false};
      break;
    default:
      return nullptr;
  }
  const HGDIOBJ handle = Add(std::move(object));
  table.stock.emplace(index, handle);
  return handle;
}

HBITMAP DefaultBitmap() {
  ObjectTable& table = Table();
  if (table.defaultBitmap == nullptr) {
    GdiObject object;
    object.stock = true;
    object.body = Bitmap{1, 1, {0}};
    table.defaultBitmap = static_cast<HBITMAP>(Add(std::move(object)));
  }
  return table.defaultBitmap;
}

bool SelectedSomewhere(HGDIOBJ handle, const DeviceContext* except = nullptr) {
  for (const auto& entry : Table().objects) {
    const auto* context = std::get_if<DeviceContext>(&entry.second.body);
    if (context == except) continue;
    if (context != nullptr && (context->bitmap == handle || context->brush == handle || context->pen == handle)) {
      return true;
    }
  }
  return false;
}

}  // namespace

HBITMAP AddBitmap(Bitmap bitmap) {
  GdiObject object;
  object.body = std::move(bitmap);
  return static_cast<HBITMAP>(Add(std::move(object)));
}

Bitmap* FindBitmap(HGDIOBJ handle) { return FindBody<Bitmap>(handle); }

HDC AddDeviceContext(const DeviceContext& context) {
  GdiObject object;
  DeviceContext initial = context;
  if (initial.brush == nullptr) initial.brush = static_cast<HBRUSH>(Stock(WHITE_BRUSH));
  if (initial.pen == nullptr) initial.pen = static_cast<HPEN>(Stock(BLACK_PEN));
  if (initial.memory && initial.bitmap == nullptr) initial.bitmap = DefaultBitmap();
  object.body = initial;
  return static_cast<HDC>(Add(std::move(object)));
}

DeviceContext* FindDeviceContext(HDC handle) { return FindBody<DeviceContext>(handle); }

void RemoveDeviceContext(HDC handle) {
  if (FindDeviceContext(handle) != nullptr) Table().objects.erase(reinterpret_cast<uintptr_t>(handle));
}

bool BrushColour(HGDIOBJ brush, COLORREF& colour) {
  const Brush* found = FindBody<Brush>(brush);
  if (found == nullptr || !found->draws) return false;
  colour = found->colour;
  return true;
}

bool PenColour(HGDIOBJ pen, COLORREF& colour) {
  const Pen* found = FindBody<Pen>(pen);
  if (found == nullptr || !found->draws) return false;
  colour = found->colour;
  return true;
}

Canvas CanvasOf(HDC handle) {
  const DeviceContext* context = FindDeviceContext(handle);
  if (context == nullptr) return {};
  if (context->memory) {
    Bitmap* bitmap = FindBitmap(context->bitmap);
    if (bitmap == nullptr) return {};
    return Canvas{bitmap->pixels.data(), bitmap->width, bitmap->height};
  }
  Window* window = FindOwnWindow(context->window);
  if (window == nullptr) return {};
  const int width = window->clientRect.right - window->clientRect.left;
  const int height = window->clientRect.bottom - window->clientRect.top;
  WindowPicture& picture = window->picture;
  if (picture.width != width || picture.height != height) {
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  }
  return Canvas{picture.pixels.data(), width, height};
}

uint32_t PixelOf(COLORREF colour) {
  return (static_cast<uint32_t>(GetRValue(colour)) << 16) | (static_cast<uint32_t>(GetGValue(colour)) << 8) |
         GetBValue(colour);
}

COLORREF ColourOf(uint32_t pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }

}  // namespace standin

HGDIOBJ WINAPI GetStockObject(int index) { return standin::Stock(index); }

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
  standin::GdiObject object;
  object.body = standin::Brush{colour & 0x00FFFFFF, true};
  return static_cast<HBRUSH>(standin::Add(std::move(object)));
}

HDC WINAPI CreateCompatibleDC(HDC deviceContext) {
  if (deviceContext != nullptr && standin::FindDeviceContext(deviceContext) == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  standin::DeviceContext context;
  context.memory = true;
  return standin::AddDeviceContext(context);
}

HGDIOBJ WINAPI SelectObject(HDC deviceContext, HGDIOBJ object) {
  standin::DeviceContext* context = standin::FindDeviceContext(deviceContext);
  standin::GdiObject* selected = standin::Find(object);
  if (context == nullptr || selected == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HGDIOBJ previous = nullptr;
  if (std::holds_alternative<standin::Bitmap>(selected->body)) {
    // Only a memory device context holds a bitmap, and a bitmap sits in one context at a time.
    const bool sharedDefault = object == standin::DefaultBitmap();
    if (!context->memory || (!sharedDefault && standin::SelectedSomewhere(object, context))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    previous = context->bitmap;
    context->bitmap = static_cast<HBITMAP>(object);
  } else if (std::holds_alternative<standin::Brush>(selected->body)) {
    previous = context->brush;
    context->brush = static_cast<HBRUSH>(object);
  } else if (std::holds_alternative<standin::Pen>(selected->body)) {
    previous = context->pen;
    context->pen = static_cast<HPEN>(object);
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  standin::GdiObject* found = standin::Find(object);
  if (found == nullptr || std::holds_alternative<standin::DeviceContext>(found->body)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (found->stock) return TRUE;
  if (standin::SelectedSomewhere(object)) return FALSE;
  standin::Table().objects.erase(reinterpret_cast<uintptr_t>(object));
  return TRUE;
}

BOOL WINAPI DeleteDC(HDC deviceContext) {
  const standin::DeviceContext* context = standin::FindDeviceContext(deviceContext);
  if (context == nullptr || !context->memory) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  standin::RemoveDeviceContext(deviceContext);
  return TRUE;
}

int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer) {
  const standin::Bitmap* bitmap = standin::FindBitmap(object);
  if (bitmap == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (buffer == nullptr) return static_cast<int>(sizeof(BITMAP));
  if (size < static_cast<int>(sizeof(BITMAP))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  BITMAP description{};
  description.bmWidth = bitmap->width;
  description.bmHeight = bitmap->height;
  description.bmWidthBytes = bitmap->width * 4;
  description.bmPlanes = 1;
  description.bmBitsPixel = 32;
  *static_cast<BITMAP*>(buffer) = description;
  return static_cast<int>(sizeof(BITMAP));
}
