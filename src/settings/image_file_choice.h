// Choosing the user's image file with the browse button of the configuration dialog.
#pragma once

#include "winapi.h"

// Opens the file chooser over the dialog. A chosen file goes into fileName (a buffer of
// kFileNameBufferSize bytes) only when the saver can show it and its path fits; a file that
// the image recognition refuses, or a longer path, is refused with a message box, since the
// saver would otherwise fail at its next start. True when fileName changed.
bool ChooseImageFile(HWND dialog, char* fileName);
