#include <gtest/gtest.h>

#include "gdi_objects.h"
#include "test_windows.h"

using testing_windows::WindowTest;

namespace {

// A memory device context holding a bitmap of the given pixels (0x00RRGGBB, rows top-down).
struct MemoryCanvas {
  HDC context = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;

  MemoryCanvas(int width, int height, std::vector<uint32_t> pixels = {}) {
    if (pixels.empty()) pixels.assign(static_cast<size_t>(width) * height, 0x00000001);
    bitmap = standin::AddBitmap(standin::Bitmap{width, height, std::move(pixels)});
    context = CreateCompatibleDC(nullptr);
    previous = SelectObject(context, bitmap);
  }
  ~MemoryCanvas() {
    SelectObject(context, previous);
    DeleteDC(context);
    DeleteObject(bitmap);
  }
  uint32_t At(int x, int y) const { return standin::PixelOf(GetPixel(context, x, y)); }
};

}  // namespace

using GdiTest = WindowTest;

TEST_F(GdiTest, StretchBltSamplesPixelCentres) {
  // Source: 2 by 1, red then blue.
  MemoryCanvas source(2, 1, {0xFF0000, 0x0000FF});
  struct Case {
    int x, y, width, height;             // target rectangle
    int sourceX, sourceWidth;            // source columns
    std::vector<uint32_t> expectedRow0;  // target row 0, 5 pixels wide
  };
  const Case cases[] = {
      {0, 0, 4, 1, 0, 2, {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF, 1}},   // twice as wide
      {0, 0, 1, 1, 0, 2, {0x0000FF, 1, 1, 1, 1}},                        // shrunk: centre is blue
      {0, 0, -4, 1, 0, 2, {1, 1, 1, 1, 1}},                              // extends left: clipped
      {4, 0, -4, 1, 0, 2, {0x0000FF, 0x0000FF, 0xFF0000, 0xFF0000, 1}},  // mirrored
      {3, 0, 4, 1, 0, 2, {1, 1, 1, 0xFF0000, 0xFF0000}},                 // clipped on the right
      {0, 0, 3, 1, 1, 1, {0x0000FF, 0x0000FF, 0x0000FF, 1, 1}},          // part of the source
      {0, 0, 2, 1, 1, 2, {0x0000FF, 1, 1, 1, 1}},                        // source runs past its edge
  };
  for (const Case& each : cases) {
    MemoryCanvas target(5, 2);
    ASSERT_TRUE(StretchBlt(target.context, each.x, each.y, each.width, each.height, source.context, each.sourceX, 0,
                           each.sourceWidth, 1, SRCCOPY));
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(target.At(x, 0), each.expectedRow0[x])
          << "case at " << each.x << " width " << each.width << ", pixel " << x;
    }
    EXPECT_EQ(target.At(0, 1), 1u) << "row 1 is outside every target";
  }
}

TEST_F(GdiTest, StretchBltToleratesHugeSizes) {
  MemoryCanvas source(2, 2);
  MemoryCanvas target(3, 3);
  EXPECT_TRUE(StretchBlt(target.context, -2147483647, 0, 2147483647, 3, source.context, 0, 0, 2147483647, 2, SRCCOPY));
  EXPECT_TRUE(StretchBlt(target.context, 0, 0, 3, 3, source.context, 0, 0, -2147483647 - 1, 2, SRCCOPY));
}

TEST_F(GdiTest, FillAndRectangleUseTheirBrushAndPen) {
  MemoryCanvas target(6, 4);
  const HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  const RECT rect{1, 1, 3, 3};
  ASSERT_EQ(FillRect(target.context, &rect, green), 1);
  EXPECT_EQ(target.At(1, 1), 0x00FF00u);
  EXPECT_EQ(target.At(2, 2), 0x00FF00u);
  EXPECT_EQ(target.At(3, 3), 1u) << "right and bottom edges are outside";

  SelectObject(target.context, green);
  ASSERT_TRUE(Rectangle(target.context, 2, 0, 6, 4));  // black pen outline, green inside
  EXPECT_EQ(target.At(2, 0), 0u);
  EXPECT_EQ(target.At(5, 3), 0u);
  EXPECT_EQ(target.At(3, 1), 0x00FF00u);
  SelectObject(target.context, GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(green));
}

TEST_F(GdiTest, SelectionRules) {
  MemoryCanvas first(1, 1);
  const HDC second = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(second, first.bitmap), nullptr) << "a bitmap sits in one context at a time";
  EXPECT_FALSE(DeleteObject(first.bitmap)) << "a selected bitmap cannot be deleted";
  DeleteDC(second);

  const HWND window = CreateTopLevel(WS_POPUP | WS_VISIBLE, 4, 4);
  const HDC windowContext = GetDC(window);
  EXPECT_EQ(SelectObject(windowContext, first.bitmap), nullptr) << "only memory contexts hold bitmaps";
  EXPECT_EQ(ReleaseDC(window, windowContext), 1);
  EXPECT_EQ(GetStockObject(12345), nullptr);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH))) << "stock objects survive deletion";
  EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);

  BITMAP description{};
  ASSERT_EQ(GetObjectA(first.bitmap, sizeof description, &description), static_cast<int>(sizeof description));
  EXPECT_EQ(description.bmWidth, 1);
}

TEST_F(GdiTest, PaintingErasesWithTheClassBrushAndValidates) {
  const HWND window = CreateTopLevel(WS_POPUP | WS_VISIBLE, 3, 2);
  // Dirty the picture, then let a paint erase it with the class brush (black).
  HDC context = GetDC(window);
  const RECT all{0, 0, 3, 2};
  FillRect(context, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(GetPixel(context, 2, 1), RGB(255, 255, 255));
  ReleaseDC(window, context);

  InvalidateRect(window, nullptr, TRUE);
  PAINTSTRUCT paint{};
  context = BeginPaint(window, &paint);
  ASSERT_NE(context, nullptr);
  EXPECT_FALSE(paint.fErase) << "the background was erased";
  EXPECT_EQ(paint.rcPaint.right, 3);
  EXPECT_EQ(GetPixel(context, 2, 1), RGB(0, 0, 0));
  EndPaint(window, &paint);

  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}
