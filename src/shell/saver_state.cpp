#include "shell/saver_state.h"

HINSTANCE appInstance = nullptr;
LONG windowedOrPreview = 0;
LONG previewMode = 0;
LONG hackMode = 0;
POINT lastCursorPos = {0, 0};
LONG screenshotRequested = 0;
