#include "settings/colour_choice.h"

int ChooseColour(HWND owner, COLORREF* colour) {
  // Made afresh for every call: custom colours are not remembered.
  COLORREF customColours[16];
  for (COLORREF& entry : customColours) entry = 0xFFFFFFFF;

  CHOOSECOLORA choice{};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = owner;
  choice.rgbResult = *colour;
  choice.lpCustColors = customColours;
  choice.Flags = CC_RGBINIT;
  if (ChooseColorA(&choice) == 0) return 0;
  *colour = choice.rgbResult;
  return 1;
}

void PaintSwatch(HWND swatch, COLORREF colour) {
  InvalidateRect(swatch, nullptr, TRUE);
  UpdateWindow(swatch);

  const HDC context = GetDC(swatch);
  if (context == nullptr) return;
  RECT client{};
  GetClientRect(swatch, &client);
  const HBRUSH brush = CreateSolidBrush(colour);
  const HGDIOBJ previous = SelectObject(context, brush);
  Rectangle(context, client.left, client.top, client.right, client.bottom);
  SelectObject(context, previous);
  DeleteObject(brush);
  ReleaseDC(swatch, context);
}
