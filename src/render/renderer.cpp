// Until the device and the scene exist, a run starts without drawing anything.
#include "render/renderer.h"

BOOL StartRenderer(HWND, BOOL) { return TRUE; }

void RenderIdleFrame(HWND, BOOL) {}
