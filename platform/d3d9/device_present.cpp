// IDirect3DDevice9 of the stand-in: presentation, Reset and the front buffer.
// Implements: Present with refresh pacing (and the first frame's report, first_frame_report.h),
// Reset, GetFrontBufferData, GetRasterStatus, and the device loss that ORBELUNE_D3D_LOSE_EVERY
// asks for.
// Leaves out: partial presentation (rectangles, dirty regions).
#include <algorithm>
#include <cstring>
#include <thread>

#include "../win32/display_bridge.h"
#include "adapter.h"
#include "device.h"
#include "first_frame_report.h"
#include "format_info.h"
#include "test_switches.h"
#include "window_services.h"

namespace d3d9 {

namespace {

UINT RefreshesPerPresent(UINT interval) {
  switch (interval) {
    case D3DPRESENT_INTERVAL_TWO:
      return 2;
    case D3DPRESENT_INTERVAL_THREE:
      return 3;
    case D3DPRESENT_INTERVAL_FOUR:
      return 4;
    default:
      return 1;  // DEFAULT and ONE
  }
}

}  // namespace

void Device::WaitForRefresh(UINT interval) {
  if (interval == D3DPRESENT_INTERVAL_IMMEDIATE || PresentPacingDisabled()) return;
  // Refreshes tick at a fixed rate from the device's creation; a present waits for the next
  // tick, and for at least `interval` ticks after the previous present's, as a flip at
  // vertical blank would. The thread sleeps meanwhile, so an idle saver costs little.
  const auto now = std::chrono::steady_clock::now();
  const int64_t elapsedTicks = (now - refreshOrigin_) / refreshPeriod_;
  const int64_t tick = std::max<int64_t>(elapsedTicks + 1, lastRefreshTick_ + RefreshesPerPresent(interval));
  std::this_thread::sleep_until(refreshOrigin_ + tick * refreshPeriod_);
  lastRefreshTick_ = tick;
}

HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const void* pDirtyRegion) {
  // Partial presentation is not implemented; the system presents whole frames.
  if (pSourceRect != nullptr || pDestRect != nullptr || pDirtyRegion != nullptr) return D3DERR_INVALIDCALL;
  if (inScene_) return D3DERR_INVALIDCALL;
  if (lost_) return D3DERR_DEVICELOST;
  if (const unsigned every = PresentsPerDeviceLoss(); every != 0 && ++presentsSinceLoss_ >= every) {
    presentsSinceLoss_ = 0;
    lost_ = true;
    return D3DERR_DEVICELOST;
  }
  if (!backend_->PacesPresentation()) WaitForRefresh(parameters_.PresentationInterval);
  const HWND window = hDestWindowOverride != nullptr ? hDestWindowOverride : PresentationWindow();
  if (!backend_->Present(window, *backBuffer_, parameters_.PresentationInterval)) {
    // Without its window the device is lost until a Reset finds one; a frame the display
    // refused is a failure of this present only.
    if (WindowExists(window)) return D3DERR_DRIVERINTERNALERROR;
    lost_ = true;
    return D3DERR_DEVICELOST;
  }
  NoteFramePresented(creation_.DeviceType);
  return D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) {
  if (pPresentationParameters == nullptr) return D3DERR_INVALIDCALL;
  // Like the real runtime, Reset is refused while the caller holds default-pool resources or
  // the device's own surfaces, and a refused Reset leaves the device lost.
  const bool defaultPoolHeld = std::any_of(resources_.begin(), resources_.end(), [](const Resource* resource) {
    return resource->Pool() == D3DPOOL_DEFAULT && resource->PublicReferences() > 0;
  });
  const bool swapSurfaceHeld =
      backBuffer_->PublicReferences() > 0 || (automaticDepth_ != nullptr && automaticDepth_->PublicReferences() > 0);
  if (defaultPoolHeld || swapSurfaceHeld) {
    lost_ = true;
    return D3DERR_INVALIDCALL;
  }
  D3DPRESENT_PARAMETERS completed = *pPresentationParameters;
  if (const HRESULT result = CompleteParameters(creation_.hFocusWindow, completed); FAILED(result)) {
    lost_ = true;
    return result;
  }
  // Unbinding drops default-pool resources that only the device still held.
  UnbindAll();
  if (const HRESULT result = CreateSwapSurfaces(completed); FAILED(result)) {
    ResetStateAndBindings();  // the previous surfaces stay
    lost_ = true;
    return result;
  }
  parameters_ = completed;
  ResetStateAndBindings();
  *pPresentationParameters = completed;
  lost_ = false;
  return D3D_OK;
}

HRESULT Device::GetFrontBufferData(UINT iSwapChain, IDirect3DSurface9* pDestSurface) {
  Surface* destination = OwnSurface(pDestSurface);
  if (iSwapChain != 0 || destination == nullptr || destination->IsLocked()) return D3DERR_INVALIDCALL;
  const Surface::Description& description = destination->Describe();
  if (description.format != D3DFMT_A8R8G8B8 ||
      (description.pool != D3DPOOL_SYSTEMMEM && description.pool != D3DPOOL_SCRATCH)) {
    return D3DERR_INVALIDCALL;
  }
  D3DDISPLAYMODE mode{};
  if (!CurrentDisplayMode(mode)) return D3DERR_NOTAVAILABLE;
  if (description.width != mode.Width || description.height != mode.Height) return D3DERR_INVALIDCALL;

  std::vector<uint32_t> desktop;
  int width = 0;
  int height = 0;
  if (!standin::CaptureDesktop(desktop, width, height) || width <= 0 || height <= 0 ||
      desktop.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return D3DERR_NOTAVAILABLE;
  }
  // The desktop is opaque; where the capture is smaller than the display mode, it is black.
  const size_t copyWidth = std::min<size_t>(static_cast<size_t>(width), description.width);
  const size_t copyHeight = std::min<size_t>(static_cast<size_t>(height), description.height);
  for (size_t row = 0; row < description.height; ++row) {
    uint32_t* line = reinterpret_cast<uint32_t*>(destination->Bits() + row * destination->PitchBytes());
    const size_t copied = row < copyHeight ? copyWidth : 0;
    for (size_t column = 0; column < copied; ++column) {
      line[column] = desktop[row * static_cast<size_t>(width) + column] | 0xFF000000u;
    }
    std::fill(line + copied, line + description.width, 0xFF000000u);
  }
  return D3D_OK;
}

HRESULT Device::GetRasterStatus(UINT iSwapChain, D3DRASTER_STATUS* pRasterStatus) {
  if (iSwapChain != 0 || pRasterStatus == nullptr) return D3DERR_INVALIDCALL;
  // The scan line follows the same refresh clock that paces Present.
  const auto sinceOrigin = std::chrono::steady_clock::now() - refreshOrigin_;
  const double phase =
      static_cast<double>((sinceOrigin % refreshPeriod_).count()) / static_cast<double>(refreshPeriod_.count());
  const UINT height = backBuffer_->Describe().height;
  const UINT line = static_cast<UINT>(phase * (height + height / 20));
  pRasterStatus->InVBlank = line >= height;
  pRasterStatus->ScanLine = line >= height ? 0 : line;
  return D3D_OK;
}

}  // namespace d3d9
