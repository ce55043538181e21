// IDirect3DDevice9 of the stand-in: the API objects and state of one device over a drawing
// backend (drawing_backend.h): the reference device (refdevice/) for D3DDEVTYPE_REF, OpenGL
// (gldevice/) for D3DDEVTYPE_HAL.
// Implements: resource creation with the real validation; counted references on everything
// handed out (also by Get methods); states with the real defaults; drawing, translated into
// the rasterizer's neutral description at draw time for the state that changed; Clear;
// BeginScene/EndScene; Present into the device window through the window stand-in, paced to
// the display's refresh; Reset (refused while default-pool resources are held, as on the
// real runtime, and then leaving the device lost until a Reset succeeds); GetFrontBufferData
// from the desktop image; render-target read-back, surface and texture updates, colour fills.
// Leaves out: exclusive full-screen mode, additional swap chains, more than one render target
// or back buffer, points and lines, the methods left out of d3d9.h.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <unordered_set>
#include <vector>

#include "binding.h"
#include "buffers.h"
#include "device_state.h"
#include "drawing_backend.h"
#include "lifetime.h"
#include "surface.h"
#include "texture.h"
#include "vertex_declaration.h"
#include "vertex_assembly.h"
#include "vertex_format.h"

namespace d3d9 {

class Direct3D;

class Device final : public IDirect3DDevice9, public Lifetime {
 public:
  // Checks the presentation parameters, creates the back buffer and automatic depth surface,
  // and completes `parameters` (back-buffer size and format) on success.
  static HRESULT Create(Direct3D* direct3d, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                        D3DPRESENT_PARAMETERS& parameters, Device*& out);

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override { return AddPublicReference(); }
  ULONG Release() override { return ReleasePublicReference(); }

  // Device and presentation.
  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT EvictManagedResources() override { return D3D_OK; }
  HRESULT GetDirect3D(IDirect3D9** ppD3D9) override;
  HRESULT GetDeviceCaps(D3DCAPS9* pCaps) override;
  HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) override;
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const void* pDirtyRegion) override;
  HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                        IDirect3DSurface9** ppBackBuffer) override;
  HRESULT GetRasterStatus(UINT iSwapChain, D3DRASTER_STATUS* pRasterStatus) override;

  // Resources.
  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                        IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool, IDirect3DVertexBuffer9** ppVertexBuffer,
                             HANDLE* pSharedHandle) override;
  HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override;
  HRESULT CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                             DWORD MultisampleQuality, BOOL Lockable, IDirect3DSurface9** ppSurface,
                             HANDLE* pSharedHandle) override;
  HRESULT CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                    DWORD MultisampleQuality, BOOL Discard, IDirect3DSurface9** ppSurface,
                                    HANDLE* pSharedHandle) override;
  HRESULT UpdateSurface(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                        IDirect3DSurface9* pDestinationSurface, const POINT* pDestPoint) override;
  HRESULT UpdateTexture(IDirect3DBaseTexture9* pSourceTexture, IDirect3DBaseTexture9* pDestinationTexture) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface) override;
  HRESULT GetFrontBufferData(UINT iSwapChain, IDirect3DSurface9* pDestSurface) override;
  HRESULT ColorFill(IDirect3DSurface9* pSurface, const RECT* pRect, D3DCOLOR color) override;
  HRESULT CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) override;
  HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* pVertexElements,
                                  IDirect3DVertexDeclaration9** ppDecl) override;

  // Targets.
  HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override;
  HRESULT GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override;
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) override;

  // Frame.
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;

  // State.
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT SetViewport(const D3DVIEWPORT9* pViewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* pViewport) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
  HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
  HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;
  HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;

  // Drawing.
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                               UINT NumVertices, UINT startIndex, UINT primCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount, const void* pVertexStreamZeroData,
                          UINT VertexStreamZeroStride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertices,
                                 UINT PrimitiveCount, const void* pIndexData, D3DFORMAT IndexDataFormat,
                                 const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) override;
  HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) override;
  HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) override;
  HRESULT SetFVF(DWORD FVF) override;
  HRESULT GetFVF(DWORD* pFVF) override;
  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                          UINT Stride) override;
  HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* pOffsetInBytes,
                          UINT* pStride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
  HRESULT GetIndices(IDirect3DIndexBuffer9** ppIndexData) override;

  // For the resources.
  void RegisterResource(Resource* resource) { resources_.insert(resource); }
  void UnregisterResource(Resource* resource);
  // What draws this device's pixels; resources tell it when the processor reads or changes them.
  DrawingBackend& Backend() { return *backend_; }

 private:
  // Groups of state whose translation for the rasterizer is out of date.
  enum Dirty : unsigned {
    kDirtyTransforms = 1u << 0,
    kDirtyRaster = 1u << 1,
    kDirtyStage = 1u << 2,
    kDirtyTargets = 1u << 3,
    kDirtyViewport = 1u << 4,
    kDirtyAll = 0xFFFFFFFFu,
  };

  struct StreamSource {
    Binding<VertexBuffer> buffer;
    UINT offset = 0;
    UINT stride = 0;
    void Unbind() {
      buffer.Set(nullptr);
      offset = 0;
      stride = 0;
    }
  };

  Device(Direct3D* direct3d, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
         std::unique_ptr<DrawingBackend> backend);
  ~Device() override;

  // Presentation parameters: checks them, fills in what the window decides.
  static HRESULT CompleteParameters(HWND focusWindow, D3DPRESENT_PARAMETERS& parameters);
  HRESULT CreateSwapSurfaces(const D3DPRESENT_PARAMETERS& parameters);
  void UnbindAll();
  // Default state; the back buffer and automatic depth surface bound.
  void ResetStateAndBindings();
  HWND PresentationWindow() const;
  void WaitForRefresh(UINT interval);

  // Resource checks shared by the Create methods.
  Surface* CreateStandaloneSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool, DWORD usage, bool lockable);
  Surface* OwnSurface(IDirect3DSurface9* surface) const;
  Texture* OwnTexture(IDirect3DBaseTexture9* texture) const;

  // Drawing.
  struct DrawRequest {
    refdevice::DrawRange range;
    refdevice::IndexStream indices;  // format None for non-indexed draws
    // The vertices a repacked copy must hold: [windowFirst, windowFirst + windowCount).
    size_t windowFirst = 0;
    size_t windowCount = 0;
  };
  HRESULT Draw(DrawRequest request, const StreamView* callerStream);
  HRESULT UpdateTranslation();
  HRESULT BindTargets(refdevice::DrawCall& call, DrawObjects& objects) const;
  // The bound vertex buffer whose bytes hold `vertices`; null for repacked or caller memory.
  const VertexBuffer* InPlaceBuffer(const uint8_t* vertices) const;
  const std::vector<D3DVERTEXELEMENT9>* CurrentElements() const;
  HRESULT CollectStreams(const std::vector<D3DVERTEXELEMENT9>& elements, const StreamView* callerStream,
                         StreamViews& streams) const;

  Direct3D* direct3d_;
  D3DDEVICE_CREATION_PARAMETERS creation_{};
  D3DPRESENT_PARAMETERS parameters_{};
  std::unique_ptr<Surface> backBuffer_;
  std::unique_ptr<Surface> automaticDepth_;

  DeviceState state_{};
  Binding<Surface> renderTarget_;
  Binding<Surface> depthStencil_;
  std::array<Binding<Texture>, kTextureStages> textures_;
  std::array<StreamSource, kMaxStreams> streams_;
  Binding<IndexBuffer> indices_;
  Binding<VertexDeclaration> declaration_;
  DWORD fvf_ = 0;
  std::vector<D3DVERTEXELEMENT9> fvfElements_;  // the elements of fvf_, when it is set

  bool inScene_ = false;
  bool lost_ = false;
  unsigned presentsSinceLoss_ = 0;  // counts towards ORBELUNE_D3D_LOSE_EVERY
  std::unordered_set<Resource*> resources_;

  std::unique_ptr<DrawingBackend> backend_;
  unsigned dirty_ = kDirtyAll;
  HRESULT rasterResult_ = D3D_OK;
  HRESULT stageResult_ = D3D_OK;
  refdevice::DrawCall translated_;
  refdevice::Texture sampledTexture_;
  UINT firstSampledLevel_ = 0;
  std::vector<uint8_t> repacked_;  // reused by draws whose vertices need a repacked copy

  std::chrono::steady_clock::time_point refreshOrigin_;
  std::chrono::nanoseconds refreshPeriod_{16666667};
  int64_t lastRefreshTick_ = 0;
};

}  // namespace d3d9
