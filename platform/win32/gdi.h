// The GDI subset: painting a window, device-independent bitmaps, memory device contexts,
// stretching copies, brushes and rectangles.
// Implements: BeginPaint, EndPaint, GetDC, ReleaseDC, ValidateRect, InvalidateRect,
// UpdateWindow, LoadBitmapA (RT_BITMAP resources of 1, 4, 8, 16, 24 and 32 bits per pixel,
// uncompressed or with bit fields), CreateCompatibleDC, SelectObject, BitBlt, StretchBlt with
// SRCCOPY, BLACKNESS and WHITENESS, SetStretchBltMode, DeleteDC, DeleteObject, GetObjectA for
// bitmaps, GetStockObject (brushes and pens), CreateSolidBrush, FillRect, Rectangle.
// Device contexts draw on 32-bit pixel buffers; a window's buffer is shown by the display
// backend when painting ends (EndPaint, ReleaseDC).
// Leaves out: regions and clipping beyond the client rectangle, fonts and text, palettes,
// mapping modes, other raster operations, RLE-compressed bitmaps, printing.
#pragma once

#include "win32_types.h"

// Raster operations.
#define SRCCOPY (DWORD)0x00CC0020
#define SRCPAINT (DWORD)0x00EE0086
#define PATCOPY (DWORD)0x00F00021
#define BLACKNESS (DWORD)0x00000042
#define WHITENESS (DWORD)0x00FF0062

// Stretch modes.
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_DELETESCANS COLORONCOLOR

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8

#define HGDI_ERROR ((HANDLE)(LONG_PTR)-1)
#define CLR_INVALID 0xFFFFFFFF

// Bitmap compression and colour-table usage.
#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L
#define DIB_RGB_COLORS 0

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *PPAINTSTRUCT, *LPPAINTSTRUCT;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER, *PBITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO, *PBITMAPINFO, *LPBITMAPINFO;

#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
} BITMAPFILEHEADER, *PBITMAPFILEHEADER, *LPBITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);
HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC deviceContext);
BOOL WINAPI ValidateRect(HWND window, const RECT* rect);
BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL WINAPI UpdateWindow(HWND window);

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name);
HDC WINAPI CreateCompatibleDC(HDC deviceContext);
HGDIOBJ WINAPI SelectObject(HDC deviceContext, HGDIOBJ object);
BOOL WINAPI BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                   DWORD rasterOperation);
BOOL WINAPI StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                       int sourceWidth, int sourceHeight, DWORD rasterOperation);
int WINAPI SetStretchBltMode(HDC deviceContext, int mode);
BOOL WINAPI DeleteDC(HDC deviceContext);
BOOL WINAPI DeleteObject(HGDIOBJ object);
int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer);
HGDIOBJ WINAPI GetStockObject(int index);
HBRUSH WINAPI CreateSolidBrush(COLORREF colour);
int WINAPI FillRect(HDC deviceContext, const RECT* rect, HBRUSH brush);
BOOL WINAPI Rectangle(HDC deviceContext, int left, int top, int right, int bottom);
COLORREF WINAPI GetPixel(HDC deviceContext, int x, int y);
#define LoadBitmap LoadBitmapA
#define GetObject GetObjectA
