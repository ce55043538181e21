#include "render/graphics_device.h"

#include "render/device_failure_message.h"
#include "render/present_parameters.h"
#include "japanese_text.h"

namespace {

struct CreationAttempt {
  D3DDEVTYPE type;
  DWORD behaviour;
};

constexpr CreationAttempt kCreationAttempts[] = {
    {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
    {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
};

// The message box has no owner and would sit behind the topmost saver window, so the window
// goes first; the cursor has to be visible to press OK.
void ReportDeviceFailure(HWND window) {
  ShowCursor(TRUE);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW);
  MessageBoxShiftJis(nullptr, kDeviceFailureText, kDeviceFailureCaption, MB_ICONWARNING | MB_OK);
  PostQuitMessage(1);
}

}  // namespace

HRESULT GraphicsDevice::Create(HWND window) {
  Release();
  direct3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (direct3D == nullptr) return E_FAIL;

  D3DDISPLAYMODE displayMode;
  if (FAILED(direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displayMode))) return E_FAIL;
  presentParams = PresentParametersFor(displayMode.Format);

  for (const CreationAttempt& attempt : kCreationAttempts) {
    if (SUCCEEDED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, attempt.type, window, attempt.behaviour, &presentParams,
                                         &device))) {
      return S_OK;
    }
  }
  device = nullptr;
  ReportDeviceFailure(window);
  return E_FAIL;
}
