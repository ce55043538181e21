// The GDI stand-in's objects behind their handles: bitmaps, brushes, pens and device contexts.
// Internal to the GDI stand-in; not part of Win32.
#pragma once

#include <cstdint>
#include <vector>

#include "win32_types.h"

namespace standin {

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top-down
};

struct DeviceContext {
  HWND window = nullptr;  // null for a memory device context
  bool memory = false;
  HBITMAP bitmap = nullptr;  // selected bitmap of a memory device context
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  int stretchMode = 1;  // BLACKONWHITE
};

// A rectangle of pixels that a device context draws on.
struct Canvas {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
};

HBITMAP AddBitmap(Bitmap bitmap);
Bitmap* FindBitmap(HGDIOBJ handle);

HDC AddDeviceContext(const DeviceContext& context);
DeviceContext* FindDeviceContext(HDC handle);
void RemoveDeviceContext(HDC handle);

// The colour of a brush or pen (COLORREF) and whether it draws at all.
bool BrushColour(HGDIOBJ brush, COLORREF& colour);
bool PenColour(HGDIOBJ pen, COLORREF& colour);

// What a device context draws on; empty when it draws nowhere (the screen's context).
Canvas CanvasOf(HDC handle);

uint32_t PixelOf(COLORREF colour);
COLORREF ColourOf(uint32_t pixel);

}  // namespace standin
