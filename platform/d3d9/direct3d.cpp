// IDirect3D9 of the stand-in.
// Implements: Direct3DCreate9 and the methods of direct3d.h.
// Leaves out: adapter identification and mode enumeration.
#include "direct3d.h"

#include <new>

#include "adapter.h"
#include "device.h"
#include "format_info.h"
#include "test_switches.h"

IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion) {
  if (SDKVersion != D3D_SDK_VERSION) return nullptr;
  if (d3d9::IsMadeToFail(d3d9::CreationStep::Direct3D)) return nullptr;
  return new (std::nothrow) d3d9::Direct3D();
}

namespace d3d9 {

HRESULT Direct3D::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (!MatchesAny(riid, {&IID_IUnknown, &IID_IDirect3D9})) return E_NOINTERFACE;
  AddRef();
  *ppvObject = static_cast<IDirect3D9*>(this);
  return S_OK;
}

HRESULT Direct3D::CheckAdapter(UINT adapter, D3DDEVTYPE deviceType) {
  if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  // Both devices keep every resource in the same formats in memory, so they answer alike;
  // whether a HAL device can be made is only known when it is created.
  if (deviceType == D3DDEVTYPE_REF || deviceType == D3DDEVTYPE_HAL) return D3D_OK;
  return D3DERR_INVALIDCALL;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
  if (Adapter != D3DADAPTER_DEFAULT || pMode == nullptr) return D3DERR_INVALIDCALL;
  if (IsMadeToFail(CreationStep::DisplayMode)) return D3DERR_NOTAVAILABLE;
  D3DDISPLAYMODE mode{};
  if (!CurrentDisplayMode(mode)) return D3DERR_NOTAVAILABLE;
  *pMode = mode;
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat, D3DFORMAT BackBufferFormat,
                                  BOOL bWindowed) {
  if (const HRESULT adapter = CheckAdapter(Adapter, DevType); FAILED(adapter)) return adapter;
  if (!IsDisplayFormat(AdapterFormat)) return D3DERR_NOTAVAILABLE;
  // A windowed device may leave the back-buffer format to the display.
  if (bWindowed && BackBufferFormat == D3DFMT_UNKNOWN) return D3D_OK;
  return IsColorTargetFormat(BackBufferFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                                    D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
  if (const HRESULT adapter = CheckAdapter(Adapter, DeviceType); FAILED(adapter)) return adapter;
  if (AdapterFormat == D3DFMT_UNKNOWN) return D3DERR_INVALIDCALL;
  if (!IsDisplayFormat(AdapterFormat)) return D3DERR_NOTAVAILABLE;
  return CheckReferenceFormat(Usage, RType, CheckFormat);
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                         D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) {
  if (const HRESULT adapter = CheckAdapter(Adapter, DeviceType); FAILED(adapter)) return adapter;
  if (!IsDisplayFormat(AdapterFormat)) return D3DERR_NOTAVAILABLE;
  return IsColorTargetFormat(RenderTargetFormat) && IsDepthFormat(DepthStencilFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) {
  if (pCaps == nullptr) return D3DERR_INVALIDCALL;
  if (const HRESULT adapter = CheckAdapter(Adapter, DeviceType); FAILED(adapter)) return adapter;
  *pCaps = ReferenceDeviceCaps();
  pCaps->DeviceType = DeviceType;
  return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                               D3DPRESENT_PARAMETERS* pPresentationParameters,
                               IDirect3DDevice9** ppReturnedDeviceInterface) {
  if (Adapter != D3DADAPTER_DEFAULT || pPresentationParameters == nullptr || ppReturnedDeviceInterface == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  // Exactly one kind of vertex processing must be asked for.
  const DWORD processing = BehaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                            D3DCREATE_MIXED_VERTEXPROCESSING);
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  switch (DeviceType) {
    case D3DDEVTYPE_HAL:
      // The OpenGL device, where the window has a GL that is hardware (gldevice/).
      if (IsMadeToFail(processing == D3DCREATE_HARDWARE_VERTEXPROCESSING ? CreationStep::HalHardwareVertex
                                                                         : CreationStep::HalSoftwareVertex)) {
        return D3DERR_NOTAVAILABLE;
      }
      break;
    case D3DDEVTYPE_REF:
      if (IsMadeToFail(CreationStep::Reference)) return D3DERR_NOTAVAILABLE;
      break;
    default:
      return D3DERR_INVALIDCALL;
  }

  Device* device = nullptr;
  const HRESULT result =
      Device::Create(this, DeviceType, hFocusWindow, BehaviorFlags, *pPresentationParameters, device);
  if (FAILED(result)) return result;
  *ppReturnedDeviceInterface = device;
  return D3D_OK;
}

}  // namespace d3d9
