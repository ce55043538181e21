#include "render/graphics_device.h"

#include "render/kaleido_scene.h"
#include "render/screen_capture.h"

void GraphicsDevice::PresentFrame(HWND window, KaleidoScene* scene, DWORD distance,
                                  DWORD haloColor, BOOL screenshotRequested) {
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
    if (FAILED(device->Present(nullptr, nullptr, nullptr, nullptr))) {
        device->Reset(&presentParams);
    }
}
