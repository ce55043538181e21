// IDirect3D9 of the stand-in: adapter 0 and the creation of devices.
// Implements: GetAdapterCount, GetAdapterDisplayMode, CheckDeviceType, CheckDeviceFormat,
// CheckDepthStencilMatch, GetDeviceCaps and CreateDevice. D3DDEVTYPE_REF gives the reference
// device; D3DDEVTYPE_HAL gives the OpenGL device where the window has a hardware GL (a
// software GL only with ORBELUNE_HAL=software) and D3DERR_NOTAVAILABLE elsewhere, so callers
// fall back to the reference device. ORBELUNE_D3D_FAIL can make each attempt fail (d3d9.h).
// Leaves out: adapter identification and mode enumeration, monitors, software devices.
#pragma once

#include "d3d9.h"
#include "lifetime.h"

namespace d3d9 {

class Direct3D final : public IDirect3D9, public Lifetime {
 public:
  Direct3D() = default;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override { return AddPublicReference(); }
  ULONG Release() override { return ReleasePublicReference(); }

  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
  HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat, D3DFORMAT BackBufferFormat,
                          BOOL bWindowed) override;
  HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                            D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
  HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                 D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) override;
  HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override;
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;

 private:
  // D3D_OK when the adapter and device type name a device on adapter 0.
  static HRESULT CheckAdapter(UINT adapter, D3DDEVTYPE deviceType);
};

}  // namespace d3d9
