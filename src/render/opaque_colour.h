// Settings hold colours as COLORREF (0x00BBGGRR); drawing takes opaque ARGB.
#pragma once

#include "d3d9api.h"

// The setting's high byte is ignored.
inline D3DCOLOR OpaqueArgbOf(DWORD colorRef) {
  const DWORD red = colorRef & 0xFF;
  const DWORD green = (colorRef >> 8) & 0xFF;
  const DWORD blue = (colorRef >> 16) & 0xFF;
  return 0xFF000000u | red << 16 | green << 8 | blue;
}
