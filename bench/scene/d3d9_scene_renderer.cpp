#include "d3d9_scene_renderer.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "bmp_writer.h"
#include "d3d9api.h"
#include "scene_matrices.h"

namespace {

constexpr UINT kOffscreenSize = 512;
constexpr DWORD kDiscFvf = D3DFVF_XYZ | D3DFVF_TEX1;
constexpr DWORD kQuadFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct QuadVertex {
  float x, y, z;
  D3DCOLOR diffuse;
  float u, v;
};

template <typename Interface>
void ReleaseOnce(Interface*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

D3DMATRIX ToD3d(const refdevice::Matrix& matrix) {
  D3DMATRIX out;
  std::memcpy(out.m, matrix.m, sizeof out.m);
  return out;
}

LRESULT CALLBACK BenchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

struct D3d9SceneRenderer::Objects {
  HWND window = nullptr;
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  IDirect3DTexture9* objectTexture = nullptr;
  IDirect3DTexture9* maskTexture = nullptr;
  IDirect3DTexture9* offscreenTexture = nullptr;
  IDirect3DSurface9* offscreenSurface = nullptr;
  IDirect3DSurface9* offscreenDepth = nullptr;
  IDirect3DSurface9* backBuffer = nullptr;
  IDirect3DSurface9* backDepth = nullptr;
  IDirect3DVertexBuffer9* discVertices = nullptr;
  IDirect3DIndexBuffer9* discIndices = nullptr;
  IDirect3DVertexBuffer9* objectQuad = nullptr;
  IDirect3DVertexBuffer9* maskQuad = nullptr;
  int width = 0, height = 0;

  ~Objects() {
    ReleaseOnce(maskQuad);
    ReleaseOnce(objectQuad);
    ReleaseOnce(discIndices);
    ReleaseOnce(discVertices);
    ReleaseOnce(backDepth);
    ReleaseOnce(backBuffer);
    ReleaseOnce(offscreenDepth);
    ReleaseOnce(offscreenSurface);
    ReleaseOnce(offscreenTexture);
    ReleaseOnce(maskTexture);
    ReleaseOnce(objectTexture);
    ReleaseOnce(device);
    ReleaseOnce(direct3d);
    if (window != nullptr) DestroyWindow(window);
  }

  bool FillTexture(IDirect3DTexture9* texture, const uint32_t* pixels, int textureWidth, int textureHeight) {
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return false;
    for (int y = 0; y < textureHeight; ++y) {
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch, pixels + size_t(y) * textureWidth,
                  size_t(textureWidth) * 4);
    }
    return SUCCEEDED(texture->UnlockRect(0));
  }

  bool FillVertexBuffer(IDirect3DVertexBuffer9* buffer, const void* data, UINT bytes) {
    void* target = nullptr;
    if (FAILED(buffer->Lock(0, bytes, &target, 0))) return false;
    std::memcpy(target, data, bytes);
    return SUCCEEDED(buffer->Unlock());
  }

  bool MakeQuad(float half, float halfWidth, float z, D3DCOLOR diffuse, IDirect3DVertexBuffer9*& buffer) {
    const QuadVertex quad[4] = {{-halfWidth, half, z, diffuse, 0, 0},
                                {halfWidth, half, z, diffuse, 1, 0},
                                {-halfWidth, -half, z, diffuse, 0, 1},
                                {halfWidth, -half, z, diffuse, 1, 1}};
    return SUCCEEDED(device->CreateVertexBuffer(sizeof quad, D3DUSAGE_WRITEONLY, kQuadFvf, D3DPOOL_MANAGED, &buffer,
                                                nullptr)) &&
           FillVertexBuffer(buffer, quad, sizeof quad);
  }

  std::string CreateResources(const SceneData& scene) {
    if (FAILED(device->CreateTexture(SceneData::kObjectWidth, SceneData::kObjectHeight, 1, 0, D3DFMT_A8R8G8B8,
                                     D3DPOOL_MANAGED, &objectTexture, nullptr)) ||
        !FillTexture(objectTexture, scene.objectImage.data(), SceneData::kObjectWidth, SceneData::kObjectHeight)) {
      return "object texture";
    }
    if (FAILED(device->CreateTexture(SceneData::kMaskWidth, SceneData::kMaskHeight, 1, 0, D3DFMT_A8R8G8B8,
                                     D3DPOOL_MANAGED, &maskTexture, nullptr)) ||
        !FillTexture(maskTexture, scene.maskImage.data(), SceneData::kMaskWidth, SceneData::kMaskHeight)) {
      return "mask texture";
    }
    if (FAILED(device->CreateTexture(kOffscreenSize, kOffscreenSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                     D3DPOOL_DEFAULT, &offscreenTexture, nullptr)) ||
        FAILED(offscreenTexture->GetSurfaceLevel(0, &offscreenSurface))) {
      return "offscreen texture";
    }
    if (FAILED(device->CreateDepthStencilSurface(kOffscreenSize, kOffscreenSize, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0,
                                                 FALSE, &offscreenDepth, nullptr))) {
      return "offscreen depth surface";
    }
    if (FAILED(device->GetRenderTarget(0, &backBuffer)) || FAILED(device->GetDepthStencilSurface(&backDepth))) {
      return "back buffer";
    }
    const UINT vertexBytes = UINT(scene.discVertices.size());
    if (FAILED(device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, kDiscFvf, D3DPOOL_MANAGED, &discVertices,
                                          nullptr)) ||
        !FillVertexBuffer(discVertices, scene.discVertices.data(), vertexBytes)) {
      return "disc vertex buffer";
    }
    const UINT indexBytes = UINT(scene.discIndices.size() * 4);
    void* indexTarget = nullptr;
    if (FAILED(device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED, &discIndices,
                                         nullptr)) ||
        FAILED(discIndices->Lock(0, indexBytes, &indexTarget, 0))) {
      return "disc index buffer";
    }
    std::memcpy(indexTarget, scene.discIndices.data(), indexBytes);
    if (FAILED(discIndices->Unlock())) return "disc index buffer";
    if (!MakeQuad(1.0f, 2.0f, 0.0f, 0xE6FFF2E6u, objectQuad)) return "object quad";
    if (!MakeQuad(8.85f, 8.85f, -0.1f, 0xFF8CBFFFu, maskQuad)) return "mask quad";
    return "";
  }

  // The state every pass starts from; the passes change only what they name.
  bool SetCommonState() {
    HRESULT result = D3D_OK;
    auto render = [&](D3DRENDERSTATETYPE state, DWORD value) {
      if (SUCCEEDED(result)) result = device->SetRenderState(state, value);
    };
    auto stage = [&](DWORD stageIndex, D3DTEXTURESTAGESTATETYPE state, DWORD value) {
      if (SUCCEEDED(result)) result = device->SetTextureStageState(stageIndex, state, value);
    };
    auto sampler = [&](D3DSAMPLERSTATETYPE state, DWORD value) {
      if (SUCCEEDED(result)) result = device->SetSamplerState(0, state, value);
    };
    render(D3DRS_LIGHTING, FALSE);
    render(D3DRS_SPECULARENABLE, FALSE);
    render(D3DRS_FOGENABLE, FALSE);
    render(D3DRS_ALPHATESTENABLE, FALSE);
    render(D3DRS_STENCILENABLE, FALSE);
    render(D3DRS_DITHERENABLE, FALSE);
    render(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    render(D3DRS_CULLMODE, D3DCULL_CCW);
    render(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    render(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    render(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    render(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    render(D3DRS_ZWRITEENABLE, TRUE);
    stage(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    stage(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE2X);
    stage(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    stage(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    sampler(D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    sampler(D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    sampler(D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    sampler(D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
    sampler(D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
    return SUCCEEDED(result);
  }
};

std::unique_ptr<D3d9SceneRenderer> D3d9SceneRenderer::Create(const SceneData& scene, D3DDEVTYPE deviceType, int width,
                                                             int height, int threads, std::string& error) {
  // The device reads these when it is made: its worker count, and no waiting for the display.
  setenv("ORBELUNE_REF_THREADS", std::to_string(threads).c_str(), 1);
  setenv("ORBELUNE_NO_VSYNC", "1", 1);

  auto objects = std::make_unique<Objects>();
  objects->width = width;
  objects->height = height;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = BenchWindowProc;
  windowClass.lpszClassName = "OrbeluneBenchScene";
  RegisterClassA(&windowClass);
  // GL draws only into a window that is shown.
  const DWORD style = deviceType == D3DDEVTYPE_HAL ? WS_POPUP | WS_VISIBLE : WS_POPUP;
  objects->window = CreateWindowExA(0, "OrbeluneBenchScene", "bench_scene", style, 0, 0, width, height, nullptr,
                                    nullptr, nullptr, nullptr);
  if (objects->window == nullptr) {
    error = "cannot create the window";
    return nullptr;
  }
  objects->direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (objects->direct3d == nullptr) {
    error = "Direct3DCreate9 failed";
    return nullptr;
  }
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = UINT(width);
  parameters.BackBufferHeight = UINT(height);
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = objects->window;
  parameters.Windowed = TRUE;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D16;
  parameters.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  if (FAILED(objects->direct3d->CreateDevice(D3DADAPTER_DEFAULT, deviceType, objects->window,
                                             D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &objects->device))) {
    error =
        deviceType == D3DDEVTYPE_HAL ? "CreateDevice(D3DDEVTYPE_HAL) failed" : "CreateDevice(D3DDEVTYPE_REF) failed";
    return nullptr;
  }
  error = objects->CreateResources(scene);
  if (!error.empty()) {
    error = "cannot create the " + error;
    return nullptr;
  }
  if (!objects->SetCommonState()) {
    error = "a device state was refused";
    return nullptr;
  }
  return std::unique_ptr<D3d9SceneRenderer>(new D3d9SceneRenderer(std::move(objects)));
}

D3d9SceneRenderer::D3d9SceneRenderer(std::unique_ptr<Objects> objects) : objects_(std::move(objects)) {}

D3d9SceneRenderer::~D3d9SceneRenderer() = default;

bool D3d9SceneRenderer::DrawFrame(float theta, bool withMask) {
  Objects& o = *objects_;
  IDirect3DDevice9* device = o.device;
  HRESULT result = device->BeginScene();
  auto step = [&](HRESULT next) {
    if (SUCCEEDED(result)) result = next;
  };
  const float origin[3] = {0, 0, 0}, up[3] = {0, 1, 0};

  // Object pass: the object image into the offscreen texture.
  step(device->SetRenderTarget(0, o.offscreenSurface));
  step(device->SetDepthStencilSurface(o.offscreenDepth));
  D3DVIEWPORT9 offscreenViewport{0, 0, kOffscreenSize, kOffscreenSize, 0.0f, 1.0f};
  step(device->SetViewport(&offscreenViewport));
  step(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFFu, 1.0f, 0));
  step(device->SetRenderState(D3DRS_ZENABLE, FALSE));
  step(device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE));
  const float offscreenEye[3] = {0, 0, -5};
  D3DMATRIX projection = ToD3d(scene::OrthoLH(1, 1, 0, 1000));
  D3DMATRIX view = ToD3d(scene::LookAtLH(offscreenEye, origin, up));
  D3DMATRIX world = ToD3d(scene::Scaling(0.70715f, 0.70715f, 1.0f));
  step(device->SetTransform(D3DTS_PROJECTION, &projection));
  step(device->SetTransform(D3DTS_VIEW, &view));
  step(device->SetTransform(D3DTS_WORLD, &world));
  step(device->SetTexture(0, o.objectTexture));
  step(device->SetFVF(kQuadFvf));
  step(device->SetStreamSource(0, o.objectQuad, 0, sizeof(QuadVertex)));
  step(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));

  // Main pass: the disc and the mask into the back buffer.
  step(device->SetRenderTarget(0, o.backBuffer));
  step(device->SetDepthStencilSurface(o.backDepth));
  D3DVIEWPORT9 mainViewport{0, 0, DWORD(o.width), DWORD(o.height), 0.0f, 1.0f};
  step(device->SetViewport(&mainViewport));
  step(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0));
  step(device->SetRenderState(D3DRS_ZENABLE, TRUE));
  const float mainEye[3] = {0, 0, -25};
  projection = ToD3d(scene::PerspectiveFovLH(0.08726646f, float(o.width) / float(o.height), 1.0f, 1000.0f));
  view = ToD3d(scene::LookAtLH(mainEye, origin, up));
  step(device->SetTransform(D3DTS_PROJECTION, &projection));
  step(device->SetTransform(D3DTS_VIEW, &view));

  step(device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE));
  world = ToD3d(scene::RotationZ(theta));
  step(device->SetTransform(D3DTS_WORLD, &world));
  step(device->SetTexture(0, o.offscreenTexture));
  step(device->SetFVF(kDiscFvf));
  step(device->SetStreamSource(0, o.discVertices, 0, 20));
  step(device->SetIndices(o.discIndices));
  step(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, UINT(SceneData::kDiscVertices), 0,
                                    UINT(SceneData::kDiscIndices / 3)));

  if (withMask) {
    step(device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE));
    world = ToD3d(refdevice::Matrix{});
    step(device->SetTransform(D3DTS_WORLD, &world));
    step(device->SetTexture(0, o.maskTexture));
    step(device->SetFVF(kQuadFvf));
    step(device->SetStreamSource(0, o.maskQuad, 0, sizeof(QuadVertex)));
    step(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
  }
  step(device->EndScene());
  return SUCCEEDED(result);
}

bool D3d9SceneRenderer::WriteFrame(const std::string& path) {
  Objects& o = *objects_;
  D3DLOCKED_RECT locked;
  if (FAILED(o.backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return false;
  bool written = WriteBmp32(path, static_cast<const uint32_t*>(locked.pBits), o.width, o.height, size_t(locked.Pitch));
  return SUCCEEDED(o.backBuffer->UnlockRect()) && written;
}

bool D3d9SceneRenderer::PresentFrame() {
  return SUCCEEDED(objects_->device->Present(nullptr, nullptr, nullptr, nullptr));
}
