#include "tool/frame_device.h"

#include "render/present_parameters.h"

namespace {

constexpr char kFrameWindowClass[] = "OrbeluneFrameWindow";

LRESULT CALLBACK FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// A failed creation leaves no reference to release in the device slot.
HRESULT GiveUp(GraphicsDevice* graphics, const char* call, HRESULT result, const char** failedCall) {
  graphics->device = nullptr;
  graphics->Release();
  *failedCall = call;
  return result;
}

}  // namespace

HWND CreateFrameWindow(int width, int height) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = FrameWindowProc;
  windowClass.lpszClassName = kFrameWindowClass;
  // A second window of the process finds the class registered already.
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, kFrameWindowClass, "Orbelune", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                         nullptr, nullptr);
}

HRESULT CreateFrameDevice(HWND window, D3DDEVTYPE type, GraphicsDevice* graphics, const char** failedCall) {
  graphics->Release();
  graphics->direct3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (graphics->direct3D == nullptr) return GiveUp(graphics, "Direct3DCreate9", E_FAIL, failedCall);
  D3DDISPLAYMODE displayMode{};
  HRESULT result = graphics->direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displayMode);
  if (FAILED(result)) return GiveUp(graphics, "GetAdapterDisplayMode", result, failedCall);
  graphics->presentParams = PresentParametersFor(displayMode.Format);
  result = graphics->direct3D->CreateDevice(D3DADAPTER_DEFAULT, type, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                            &graphics->presentParams, &graphics->device);
  if (FAILED(result)) {
    return GiveUp(graphics, type == D3DDEVTYPE_HAL ? "CreateDevice(D3DDEVTYPE_HAL)" : "CreateDevice(D3DDEVTYPE_REF)",
                  result, failedCall);
  }
  return S_OK;
}
