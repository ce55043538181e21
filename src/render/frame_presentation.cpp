#include "render/graphics_device.h"

#include "render/kaleido_scene.h"
#include "render/screen_capture.h"

void GraphicsDevice::PresentFrame(HWND window, KaleidoScene* scene, DWORD distance, DWORD haloColor,
                                  BOOL screenshotRequested) {
  if (scene == nullptr || device == nullptr) return;
  if (FAILED(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0))) {
    return;
  }
  if (SUCCEEDED(device->BeginScene())) {
    scene->ComposeFrame(device, distance, haloColor);
    device->EndScene();
    // A screenshot that cannot be taken costs this frame its presentation; the next
    // frame comes at once.
    if (screenshotRequested &&
        FAILED(CaptureClientArea(direct3D, device, window, presentParams, kScreenshotFileName))) {
      return;
    }
  }
  if (FAILED(device->Present(nullptr, nullptr, nullptr, nullptr))) ResetLostDevice(scene);
}

// A reset is refused while the scene holds its default-pool target, and it forgets every
// state the scene fixed: the scene gives the target up first and makes it again afterwards.
// A reset that fails leaves the scene without its target, drawing nothing, until a later
// frame's reset succeeds.
void GraphicsDevice::ResetLostDevice(KaleidoScene* scene) {
  scene->ReleaseDeviceTargets();
  if (SUCCEEDED(device->Reset(&presentParams))) scene->RestoreDeviceTargets(device);
}

// A back buffer size of 0 takes the client area at the time of the reset.
void GraphicsDevice::FollowWindowSize(KaleidoScene* scene) {
  if (scene == nullptr || device == nullptr) return;
  presentParams.BackBufferWidth = 0;
  presentParams.BackBufferHeight = 0;
  ResetLostDevice(scene);
}
