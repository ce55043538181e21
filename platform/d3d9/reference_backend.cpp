// The reference device as a device's drawing backend: it draws straight into the surfaces'
// bytes, so memory is always the latest copy, and presents through the window stand-in.
// Implements: DrawingBackend over refdevice::Device.
// Leaves out: nothing of the interface; pacing is the device's (PacesPresentation is false).
#include "../win32/display_bridge.h"
#include "adapter.h"
#include "drawing_backend.h"
#include "format_info.h"
#include "surface.h"
#include "test_switches.h"

namespace d3d9 {

refdevice::ColorTarget ColorTargetOf(Surface& surface) {
  refdevice::ColorTarget target;
  target.pixels = reinterpret_cast<uint32_t*>(surface.Bits());
  target.width = static_cast<int>(surface.Describe().width);
  target.height = static_cast<int>(surface.Describe().height);
  target.pitchBytes = surface.PitchBytes();
  target.alphaIsOpaque = HasOpaqueAlpha(surface.Describe().format);
  return target;
}

refdevice::DepthTarget DepthTargetOf(Surface& surface) {
  refdevice::DepthTarget target;
  target.depth = reinterpret_cast<uint16_t*>(surface.Bits());
  target.width = static_cast<int>(surface.Describe().width);
  target.height = static_cast<int>(surface.Describe().height);
  target.pitchBytes = surface.PitchBytes();
  return target;
}

namespace {

class ReferenceBackend final : public DrawingBackend {
 public:
  explicit ReferenceBackend(int threadCount) : rasterizer_(threadCount) { rasterizer_.LimitSimd(ReferenceSimdLimit()); }

  bool PacesPresentation() const override { return false; }
  void DescribeCapabilities(D3DCAPS9& caps) const override { caps.DeviceType = D3DDEVTYPE_REF; }

  void UseSwapSurfaces(Surface* /*backBuffer*/, Surface* /*automaticDepth*/) override {}

  void Clear(const ClearRequest& request) override {
    if (request.clearColor) rasterizer_.ClearColor(ColorTargetOf(*request.target), request.rect, request.color);
    if (request.depth != nullptr) rasterizer_.ClearDepth(DepthTargetOf(*request.depth), request.rect, request.z);
  }
  HRESULT Draw(const refdevice::DrawCall& call, const DrawObjects& /*objects*/) override {
    return rasterizer_.Draw(call) == refdevice::Status::Ok ? D3D_OK : D3DERR_INVALIDCALL;
  }
  bool Present(HWND window, Surface& backBuffer, UINT /*interval*/) override {
    return standin::PresentToWindow(window, reinterpret_cast<const uint32_t*>(backBuffer.Bits()),
                                    static_cast<int>(backBuffer.Describe().width),
                                    static_cast<int>(backBuffer.Describe().height), backBuffer.PitchBytes());
  }

  // The rasterizer works on the bytes themselves: there is no other copy to keep in step.
  void BringToMemory(Surface& /*surface*/) override {}
  void MemoryChanged(const Resource& /*resource*/) override {}
  void Forget(const Resource& /*resource*/) override {}

 private:
  refdevice::Device rasterizer_;
};

}  // namespace

std::unique_ptr<DrawingBackend> CreateReferenceBackend(int threadCount) {
  return std::make_unique<ReferenceBackend>(threadCount);
}

}  // namespace d3d9
