// Choosing a colour and showing it in a swatch of the configuration dialog.
#pragma once

#include "winapi.h"

// Opens the colour chooser with *colour selected. Returns 1 and stores the choice in *colour
// when the user confirms; returns 0 and leaves *colour alone otherwise.
int ChooseColour(HWND owner, COLORREF* colour);

// Fills the swatch control's client area with the colour, outlined with the context's pen.
// Drawn directly, after the control has repainted itself, so its own painting does not hide it.
void PaintSwatch(HWND swatch, COLORREF colour);
