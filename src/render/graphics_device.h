// The Direct3D 9 objects of a saver run and everything around one frame that is not the
// picture itself: device creation with fallbacks from hardware to the reference rasteriser,
// clearing, presenting, the screenshot, and Reset after a failed Present.
#pragma once

#include "d3d9api.h"
#include "winapi.h"

class KaleidoScene;

// One process-wide instance (renderer.cpp). The fields are public: the scene setup and the
// frame composition borrow `device`, and tests put recording objects in its place.
struct GraphicsDevice {
  IDirect3D9* direct3D = nullptr;
  IDirect3DDevice9* device = nullptr;
  // Kept for Reset and for the screenshot; the device creation fills in the actual
  // back-buffer size.
  D3DPRESENT_PARAMETERS presentParams = {};

  GraphicsDevice() = default;
  ~GraphicsDevice() { Release(); }
  GraphicsDevice(const GraphicsDevice&) = delete;
  GraphicsDevice& operator=(const GraphicsDevice&) = delete;

  // Creates the device for the window: hardware with hardware vertex processing, then
  // hardware with software vertex processing, then the reference device. When none can be
  // had the user is told, the window is hidden and the run is asked to end with code 1.
  HRESULT Create(HWND window);

  IDirect3DDevice9* GetDevice() const { return device; }

  // One frame: clear to black, compose the scene inside BeginScene/EndScene, optionally
  // write the screenshot, present. A failed Present resets the device, with the scene's
  // default-pool target let go and made again; the next frame simply tries again.
  void PresentFrame(HWND window, KaleidoScene* scene, DWORD distance, DWORD haloColor, BOOL screenshotRequested);

  // Resets the device with a back buffer of the window's current client size, as after a
  // lost device; does nothing without a device.
  void FollowWindowSize(KaleidoScene* scene);

  // Gives back the device, then the Direct3D object; each slot is cleared.
  void Release();

 private:
  void ResetLostDevice(KaleidoScene* scene);
};
