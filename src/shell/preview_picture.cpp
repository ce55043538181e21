#include "shell/saver_window.h"

namespace {

constexpr int kPreviewBitmap = 128;
constexpr int kBitmapWidth = 152;
constexpr int kBitmapHeight = 112;

}  // namespace

// The bitmap is loaded from the module that owns the window and freed again at every paint.
void PaintPreviewPicture(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  PAINTSTRUCT paint{};
  const HDC target = BeginPaint(window, &paint);
  const auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  const HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(kPreviewBitmap));
  const HDC memory = CreateCompatibleDC(target);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  StretchBlt(target, 0, 0, client.right, client.bottom, memory, 0, 0, kBitmapWidth, kBitmapHeight, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(bitmap);
  EndPaint(window, &paint);
}
