// Implements: BitBlt and StretchBlt (SRCCOPY, BLACKNESS, WHITENESS; a negative width or height
// mirrors), SetStretchBltMode, FillRect, Rectangle (filled with the selected brush, outlined
// with the selected pen), GetPixel.
// Stretching takes the source pixel under the centre of each target pixel; every stretch mode
// draws that way, which is what COLORONCOLOR does on Windows. Drawing is clipped to the target;
// source pixels outside the source are not drawn.
// Leaves out: other raster operations, halftone filtering, mapping modes, clip regions.
#include <algorithm>
#include <cstdint>

#include "error.h"
#include "gdi.h"
#include "gdi_objects.h"

namespace {

void FillClipped(const standin::Canvas& canvas, int left, int top, int right, int bottom, uint32_t pixel) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, canvas.width);
  bottom = std::min(bottom, canvas.height);
  for (int y = top; y < bottom; ++y) {
    uint32_t* row = canvas.pixels + static_cast<size_t>(y) * static_cast<size_t>(canvas.width);
    std::fill(row + left, row + std::max(left, right), pixel);
  }
}

// Index of the source pixel under the centre of target pixel `step` of `targetLength`, along
// one axis; all arithmetic in 64 bits so that no size the caller gives can overflow it.
int64_t SourceIndex(int64_t step, int64_t targetLength, int64_t sourceStart, int64_t sourceLength) {
  return sourceStart + ((2 * step + 1) * sourceLength) / (2 * targetLength);
}

}  // namespace

BOOL WINAPI StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                       int sourceWidth, int sourceHeight, DWORD rasterOperation) {
  const standin::Canvas canvas = standin::CanvasOf(target);
  if (canvas.pixels == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (rasterOperation == BLACKNESS || rasterOperation == WHITENESS) {
    const uint32_t pixel = rasterOperation == BLACKNESS ? 0x000000 : 0xFFFFFF;
    FillClipped(canvas, std::min(x, x + width), std::min(y, y + height), std::max(x, x + width),
                std::max(y, y + height), pixel);
    return TRUE;
  }
  if (rasterOperation != SRCCOPY) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  const standin::Canvas from = standin::CanvasOf(source);
  if (from.pixels == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0) return TRUE;

  // A negative extent on either side mirrors along that axis.
  const bool mirrorX = (width < 0) != (sourceWidth < 0);
  const bool mirrorY = (height < 0) != (sourceHeight < 0);
  const int64_t targetLeft = std::min<int64_t>(x, int64_t{x} + width);
  const int64_t targetTop = std::min<int64_t>(y, int64_t{y} + height);
  const int64_t targetWidth = std::abs(int64_t{width});
  const int64_t targetHeight = std::abs(int64_t{height});
  const int64_t sourceLeft = std::min<int64_t>(sourceX, int64_t{sourceX} + sourceWidth);
  const int64_t sourceTop = std::min<int64_t>(sourceY, int64_t{sourceY} + sourceHeight);
  const int64_t sourceSpanX = std::abs(int64_t{sourceWidth});
  const int64_t sourceSpanY = std::abs(int64_t{sourceHeight});

  const int64_t firstRow = std::max<int64_t>(0, -targetTop);
  const int64_t lastRow = std::min<int64_t>(targetHeight, canvas.height - targetTop);
  const int64_t firstColumn = std::max<int64_t>(0, -targetLeft);
  const int64_t lastColumn = std::min<int64_t>(targetWidth, canvas.width - targetLeft);
  for (int64_t row = firstRow; row < lastRow; ++row) {
    const int64_t step = mirrorY ? targetHeight - 1 - row : row;
    const int64_t fromY = SourceIndex(step, targetHeight, sourceTop, sourceSpanY);
    if (fromY < 0 || fromY >= from.height) continue;
    const uint32_t* fromRow = from.pixels + fromY * from.width;
    uint32_t* toRow = canvas.pixels + (targetTop + row) * canvas.width;
    for (int64_t column = firstColumn; column < lastColumn; ++column) {
      const int64_t stepX = mirrorX ? targetWidth - 1 - column : column;
      const int64_t fromX = SourceIndex(stepX, targetWidth, sourceLeft, sourceSpanX);
      if (fromX < 0 || fromX >= from.width) continue;
      toRow[targetLeft + column] = fromRow[fromX];
    }
  }
  return TRUE;
}

BOOL WINAPI BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                   DWORD rasterOperation) {
  return StretchBlt(target, x, y, width, height, source, sourceX, sourceY, width, height, rasterOperation);
}

int WINAPI SetStretchBltMode(HDC deviceContext, int mode) {
  standin::DeviceContext* context = standin::FindDeviceContext(deviceContext);
  if (context == nullptr || mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const int previous = context->stretchMode;
  context->stretchMode = mode;
  return previous;
}

int WINAPI FillRect(HDC deviceContext, const RECT* rect, HBRUSH brush) {
  const standin::Canvas canvas = standin::CanvasOf(deviceContext);
  COLORREF colour = 0;
  if (canvas.pixels == nullptr || rect == nullptr || !standin::BrushColour(brush, colour)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  FillClipped(canvas, rect->left, rect->top, rect->right, rect->bottom, standin::PixelOf(colour));
  return 1;
}

BOOL WINAPI Rectangle(HDC deviceContext, int left, int top, int right, int bottom) {
  const standin::DeviceContext* context = standin::FindDeviceContext(deviceContext);
  const standin::Canvas canvas = standin::CanvasOf(deviceContext);
  if (context == nullptr || canvas.pixels == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  COLORREF colour = 0;
  if (standin::BrushColour(context->brush, colour)) {
    FillClipped(canvas, left, top, right, bottom, standin::PixelOf(colour));
  }
  if (standin::PenColour(context->pen, colour) && right > left && bottom > top) {
    const uint32_t pixel = standin::PixelOf(colour);
    FillClipped(canvas, left, top, right, top + 1, pixel);
    FillClipped(canvas, left, bottom - 1, right, bottom, pixel);
    FillClipped(canvas, left, top, left + 1, bottom, pixel);
    FillClipped(canvas, right - 1, top, right, bottom, pixel);
  }
  return TRUE;
}

COLORREF WINAPI GetPixel(HDC deviceContext, int x, int y) {
  const standin::Canvas canvas = standin::CanvasOf(deviceContext);
  if (canvas.pixels == nullptr || x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) {
    return CLR_INVALID;
  }
  return standin::ColourOf(canvas.pixels[static_cast<size_t>(y) * canvas.width + x]);
}
