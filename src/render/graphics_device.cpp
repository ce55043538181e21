#include "render/graphics_device.h"

void GraphicsDevice::Release() {
  if (device != nullptr) {
    device->Release();
    device = nullptr;
  }
  if (direct3D != nullptr) {
    direct3D->Release();
    direct3D = nullptr;
  }
}
