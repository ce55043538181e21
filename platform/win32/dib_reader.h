// Reads a packed device-independent bitmap: the form of an RT_BITMAP resource (a bitmap
// header, a colour table or bit masks, then the rows; no file header). Internal to the GDI
// stand-in; not part of Win32. The image decoder of src/gfxsupport reads DIBs as well; this one
// stays apart because the stand-ins sit below the system code and may not depend on it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gdi_objects.h"

namespace standin {

// Bitmaps wider or taller than this are refused.
constexpr int kLargestDibSide = 16384;

// Decodes the bitmap into 0x00RRGGBB pixels, rows top-down. Accepts the core (12-byte) and
// info (40-byte and later) headers; 1, 4 and 8 bits with a colour table; 16 and 32 bits plain
// or with bit masks; 24 bits. Returns false, leaving `bitmap` untouched, for anything cut
// short, oversized or of a kind it does not read (compressed rows among them).
bool ReadPackedDib(const uint8_t* data, size_t size, Bitmap& bitmap);

}  // namespace standin
