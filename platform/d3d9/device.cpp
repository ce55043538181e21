// IDirect3DDevice9 of the stand-in: creation, lifetime and the query methods.
// Implements: Create, the destructor, state reset, QueryInterface and the query methods.
// Leaves out: the methods in the other device_*.cpp files.
#include "device.h"

#include <cstdlib>
#include <new>

#include "../win32/display_bridge.h"
#include "adapter.h"
#include "direct3d.h"
#include "format_info.h"
#include "gldevice/gl_backend.h"
#include "window_services.h"

namespace d3d9 {

namespace {

// ORBELUNE_REF_THREADS: worker threads of the rasterizer (0 or unset: one per core).
int RasterizerThreadCount() {
  const char* value = std::getenv("ORBELUNE_REF_THREADS");
  if (value == nullptr) return 0;
  const int count = std::atoi(value);
  return count > 0 && count <= 256 ? count : 0;
}

bool IsPresentationInterval(UINT interval) {
  switch (interval) {
    case D3DPRESENT_INTERVAL_DEFAULT:
    case D3DPRESENT_INTERVAL_ONE:
    case D3DPRESENT_INTERVAL_TWO:
    case D3DPRESENT_INTERVAL_THREE:
    case D3DPRESENT_INTERVAL_FOUR:
    case D3DPRESENT_INTERVAL_IMMEDIATE:
      return true;
    default:
      return false;
  }
}

}  // namespace

HRESULT Device::Create(Direct3D* direct3d, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS& parameters, Device*& out) {
  D3DPRESENT_PARAMETERS completed = parameters;
  if (const HRESULT result = CompleteParameters(focusWindow, completed); FAILED(result)) return result;
  const HWND window = completed.hDeviceWindow != nullptr ? completed.hDeviceWindow : focusWindow;
  std::unique_ptr<DrawingBackend> backend =
      type == D3DDEVTYPE_HAL ? gldevice::CreateBackend(window) : CreateReferenceBackend(RasterizerThreadCount());
  if (!backend) return D3DERR_NOTAVAILABLE;
  Device* device = new (std::nothrow) Device(direct3d, type, focusWindow, behaviorFlags, std::move(backend));
  if (device == nullptr) return E_OUTOFMEMORY;
  if (const HRESULT result = device->CreateSwapSurfaces(completed); FAILED(result)) {
    device->Release();
    return result;
  }
  device->parameters_ = completed;
  device->ResetStateAndBindings();
  parameters = completed;
  out = device;
  return D3D_OK;
}

Device::Device(Direct3D* direct3d, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
               std::unique_ptr<DrawingBackend> backend)
    : direct3d_(direct3d), backend_(std::move(backend)) {
  direct3d_->AddRef();
  creation_.AdapterOrdinal = D3DADAPTER_DEFAULT;
  creation_.DeviceType = type;
  creation_.hFocusWindow = focusWindow;
  creation_.BehaviorFlags = behaviorFlags;
  refreshOrigin_ = std::chrono::steady_clock::now();
}

Device::~Device() {
  // Bindings go first: they may hold the last reference of resources callers have released.
  UnbindAll();
  for (Resource* resource : std::vector<Resource*>(resources_.begin(), resources_.end())) {
    resource->DetachFromDevice();
  }
  resources_.clear();
  if (backBuffer_) backend_->Forget(*backBuffer_);
  if (automaticDepth_) backend_->Forget(*automaticDepth_);
  backBuffer_.reset();
  automaticDepth_.reset();
  backend_.reset();  // before the Direct3D object, whose release may end the process's last use of it
  direct3d_->Release();
}

HRESULT Device::CompleteParameters(HWND focusWindow, D3DPRESENT_PARAMETERS& parameters) {
  const HWND window = parameters.hDeviceWindow != nullptr ? parameters.hDeviceWindow : focusWindow;
  if (!WindowExists(window)) return D3DERR_INVALIDCALL;
  // Exclusive full-screen mode is not implemented: a screen-sized window does the same here.
  if (!parameters.Windowed) return D3DERR_NOTAVAILABLE;
  if (parameters.FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
  if (parameters.SwapEffect < D3DSWAPEFFECT_DISCARD || parameters.SwapEffect > D3DSWAPEFFECT_COPY) {
    return D3DERR_INVALIDCALL;
  }
  if (!IsPresentationInterval(parameters.PresentationInterval)) return D3DERR_INVALIDCALL;
  if (parameters.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  if (parameters.BackBufferCount > 1) return D3DERR_NOTAVAILABLE;
  if (parameters.EnableAutoDepthStencil && !IsDepthFormat(parameters.AutoDepthStencilFormat)) {
    return D3DERR_NOTAVAILABLE;
  }
  if (parameters.BackBufferFormat == D3DFMT_UNKNOWN) {
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;  // the display's format
  } else if (!IsColorTargetFormat(parameters.BackBufferFormat)) {
    return D3DERR_NOTAVAILABLE;
  }
  if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0) {
    // A windowed device takes the size of the window's client area where none is given.
    UINT width = 0;
    UINT height = 0;
    if (!ClientAreaSize(window, width, height)) return D3DERR_INVALIDCALL;
    if (parameters.BackBufferWidth == 0) parameters.BackBufferWidth = width > 0 ? width : 1;
    if (parameters.BackBufferHeight == 0) parameters.BackBufferHeight = height > 0 ? height : 1;
  }
  if (parameters.BackBufferWidth > kMaxSurfaceExtent || parameters.BackBufferHeight > kMaxSurfaceExtent) {
    return D3DERR_NOTAVAILABLE;
  }
  parameters.BackBufferCount = 1;
  return D3D_OK;
}

HRESULT Device::CreateSwapSurfaces(const D3DPRESENT_PARAMETERS& parameters) {
  auto swapSurface = [&](D3DFORMAT format, DWORD usage, bool lockable) {
    Surface::Description description;
    description.width = parameters.BackBufferWidth;
    description.height = parameters.BackBufferHeight;
    description.format = format;
    description.pool = D3DPOOL_DEFAULT;
    description.usage = usage;
    description.lockable = lockable;
    return std::unique_ptr<Surface>(Surface::Create(this, description, Resource::Membership::DeviceOwned));
  };
  std::unique_ptr<Surface> backBuffer = swapSurface(parameters.BackBufferFormat, D3DUSAGE_RENDERTARGET,
                                                    (parameters.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0);
  if (!backBuffer) return D3DERR_OUTOFVIDEOMEMORY;

  std::unique_ptr<Surface> depth;
  if (parameters.EnableAutoDepthStencil) {
    depth = swapSurface(parameters.AutoDepthStencilFormat, D3DUSAGE_DEPTHSTENCIL, false);
    if (!depth) return D3DERR_OUTOFVIDEOMEMORY;
  }
  if (backBuffer_) backend_->Forget(*backBuffer_);
  if (automaticDepth_) backend_->Forget(*automaticDepth_);
  backBuffer_ = std::move(backBuffer);
  automaticDepth_ = std::move(depth);
  backend_->UseSwapSurfaces(backBuffer_.get(), automaticDepth_.get());
  const int rate = standin::DisplayRefreshRate(PresentationWindow());
  refreshPeriod_ = std::chrono::nanoseconds(1000000000LL / (rate > 0 ? rate : 60));
  return D3D_OK;
}

void Device::UnbindAll() {
  renderTarget_.Set(nullptr);
  depthStencil_.Set(nullptr);
  for (Binding<Texture>& texture : textures_) texture.Set(nullptr);
  for (StreamSource& stream : streams_) {
    stream.buffer.Set(nullptr);
    stream.offset = 0;
    stream.stride = 0;
  }
  indices_.Set(nullptr);
  declaration_.Set(nullptr);
  fvf_ = 0;
  fvfElements_.clear();
}

void Device::ResetStateAndBindings() {
  UnbindAll();
  SetDefaultState(state_, automaticDepth_ != nullptr);
  renderTarget_.Set(backBuffer_.get());
  depthStencil_.Set(automaticDepth_.get());
  state_.viewport = D3DVIEWPORT9{0, 0, backBuffer_->Describe().width, backBuffer_->Describe().height, 0.0f, 1.0f};
  inScene_ = false;
  dirty_ = kDirtyAll;
}

void Device::UnregisterResource(Resource* resource) {
  resources_.erase(resource);
  backend_->Forget(*resource);
}

HWND Device::PresentationWindow() const {
  return parameters_.hDeviceWindow != nullptr ? parameters_.hDeviceWindow : creation_.hFocusWindow;
}

HRESULT Device::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (!MatchesAny(riid, {&IID_IUnknown, &IID_IDirect3DDevice9})) return E_NOINTERFACE;
  AddRef();
  *ppvObject = static_cast<IDirect3DDevice9*>(this);
  return S_OK;
}

HRESULT Device::TestCooperativeLevel() {
  if (!lost_) return D3D_OK;
  // A lost device can be reset once its window is there to present into.
  return WindowExists(PresentationWindow()) ? D3DERR_DEVICENOTRESET : D3DERR_DEVICELOST;
}

UINT Device::GetAvailableTextureMem() {
  // Resources live in system memory; report a round figure, as drivers do.
  return 512u * 1024u * 1024u;
}

HRESULT Device::GetDirect3D(IDirect3D9** ppD3D9) {
  if (ppD3D9 == nullptr) return D3DERR_INVALIDCALL;
  direct3d_->AddRef();
  *ppD3D9 = direct3d_;
  return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* pCaps) {
  if (pCaps == nullptr) return D3DERR_INVALIDCALL;
  *pCaps = ReferenceDeviceCaps();
  backend_->DescribeCapabilities(*pCaps);
  return D3D_OK;
}

HRESULT Device::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
  if (iSwapChain != 0 || pMode == nullptr) return D3DERR_INVALIDCALL;
  D3DDISPLAYMODE mode{};
  if (!CurrentDisplayMode(mode)) return D3DERR_NOTAVAILABLE;
  *pMode = mode;
  return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) {
  if (pParameters == nullptr) return D3DERR_INVALIDCALL;
  *pParameters = creation_;
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                              IDirect3DSurface9** ppBackBuffer) {
  if (iSwapChain != 0 || iBackBuffer != 0 || Type != D3DBACKBUFFER_TYPE_MONO || ppBackBuffer == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  backBuffer_->AddRef();
  *ppBackBuffer = backBuffer_.get();
  return D3D_OK;
}

}  // namespace d3d9
