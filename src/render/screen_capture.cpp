#include "render/screen_capture.h"

#include "gfxsupport/textures/surface_saving.h"

RECT ClientAreaOnScreen(HWND window, UINT width, UINT height) {
  POINT topLeft = {0, 0};
  POINT bottomRight = {static_cast<LONG>(width), static_cast<LONG>(height)};
  ClientToScreen(window, &topLeft);
  ClientToScreen(window, &bottomRight);
  return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

HRESULT CaptureClientArea(IDirect3D9* direct3D, IDirect3DDevice9* device, HWND window,
                          const D3DPRESENT_PARAMETERS& presentParams, const char* fileName) {
  D3DDISPLAYMODE desktop;
  HRESULT result = direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop);
  if (FAILED(result)) return result;

  IDirect3DSurface9* surface = nullptr;
  result = device->CreateOffscreenPlainSurface(desktop.Width, desktop.Height, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH,
                                               &surface, nullptr);
  if (FAILED(result)) return result;

  result = device->GetFrontBufferData(0, surface);
  if (SUCCEEDED(result)) {
    const RECT source = ClientAreaOnScreen(window, presentParams.BackBufferWidth, presentParams.BackBufferHeight);
    // A file that cannot be written costs nothing but the file.
    SaveSurfaceToFile(fileName, ImageFileFormatBmp, surface, nullptr, &source);
  }
  surface->Release();
  return result;
}
