// The scene's setup and release: textures, quads, disc mesh, offscreen target, device states
// and animation curves.
#include "render/kaleido_scene.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gfxsupport/images/image_decoding.h"
#include "gfxsupport/images/image_file_contents.h"
#include "gfxsupport/textures/texture_loading.h"
#include "render/opaque_colour.h"
#include "render/scene_messages.h"
#include "render/scene_vertex.h"
#include "render/scrambled_mesh.h"
#include "japanese_text.h"

namespace {

constexpr UINT kHaloImageResource = 117;
constexpr UINT kDiscMeshResource = 118;
constexpr UINT kFirstBuiltInImageResource = 125;
constexpr UINT kSecondBuiltInImageResource = 126;
constexpr char kBuiltInImageName[] = "Default";

constexpr UINT kOffscreenSize = 512;
constexpr D3DCOLOR kOpaqueBlackKey = 0xFF000000;  // opaque black in the images becomes transparent
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr float kHaloHalfSize = 8.85f;
constexpr float kHaloDepth = -0.1f;
constexpr int kTabulatedKeys = 101;  // the spin and sway curves: phases 0, 0.01, ... 1
constexpr float kFullTurnRadians = 6.2831855f;

template <typename Interface>
void ReleaseAndClear(Interface*& slot) {
  if (slot != nullptr) slot->Release();
  slot = nullptr;
}

// The images are textures with a full mip chain, their size rounded up to powers of two,
// filtered linearly and keyed on opaque black.
HRESULT CreateImageTexture(IDirect3DDevice9* device, UINT resource, IDirect3DTexture9** texture) {
  return CreateTextureFromResource(device, GetModuleHandleA(nullptr), resource, 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                   D3DPOOL_MANAGED, FilterLinear, FilterLinear, kOpaqueBlackKey, nullptr, nullptr,
                                   texture);
}

// The file is read and decoded once: the texture's creation also measures the image.
HRESULT CreateImageTextureFromFile(IDirect3DDevice9* device, const char* path, ImageInfo* info,
                                   IDirect3DTexture9** texture) {
  ImageFileContents file;
  if (const HRESULT result = file.Read(path); FAILED(result)) return result;
  return CreateTextureFromMemory(device, file.Data(), file.Size(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                 FilterLinear, FilterLinear, kOpaqueBlackKey, info, nullptr, texture);
}

// The message box has no owner and would sit behind the topmost saver window, so the window
// goes first; the cursor has to be visible to press OK.
void ReportImageFileFailure(HWND window) {
  ShowCursor(TRUE);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW);
  MessageBoxShiftJis(nullptr, kImageFileFailureText, kImageFileFailureCaption, MB_ICONWARNING);
  PostQuitMessage(1);
}

HRESULT CreateQuad(IDirect3DDevice9* device, const SceneVertex (&vertices)[4], IDirect3DVertexBuffer9** buffer) {
  if (const HRESULT result = device->CreateVertexBuffer(sizeof(vertices), D3DUSAGE_WRITEONLY, kSceneVertexFvf,
                                                        D3DPOOL_MANAGED, buffer, nullptr);
      FAILED(result)) {
    return result;
  }
  void* target = nullptr;
  if (SUCCEEDED((*buffer)->Lock(0, 0, &target, 0))) {
    std::memcpy(target, vertices, sizeof(vertices));
    (*buffer)->Unlock();
  }
  return S_OK;
}

// States that every frame relies on and that nothing sets again (until a device reset).
void SetFixedStates(IDirect3DDevice9* device) {
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
}

// One turn a period, in tabulated steps, from the start angle on.
void TabulateSpin(AnimationTrack& spin, float startAngle, DWORD objectClockwise) {
  const float turn = objectClockwise != 0 ? -360.0f : 360.0f;
  spin.SetKeyCount(kTabulatedKeys);
  for (int i = 0; i < kTabulatedKeys; ++i) {
    const float step = static_cast<float>(i);
    spin.SetKey(i, step / 100.0f, turn * step / 100.0f + startAngle);
  }
}

// One cosine swing a period. The amplitude keeps the one-unit window of the object pass
// inside the quad while it sways: half the quad's side less a margin, scaled down.
void TabulateSway(AnimationTrack& sway, float quadSide) {
  const float amplitude = (quadSide * 0.5f - 0.58f) * -0.3f;
  sway.SetKeyCount(kTabulatedKeys);
  for (int i = 0; i < kTabulatedKeys; ++i) {
    const float phase = static_cast<float>(i) / 100.0f;
    const float cosine = static_cast<float>(std::cos(static_cast<double>(phase * kFullTurnRadians)));
    sway.SetKey(i, phase, cosine * amplitude);
  }
}

void StartLooping(AnimationTrack& track, DWORD periodMs, DWORD startTime) {
  track.SetPeriod(periodMs);
  track.SetStartTime(startTime);
  track.SetLooping(1);
}

}  // namespace

HRESULT KaleidoScene::Setup(HWND window, IDirect3DDevice9* device, DWORD objectDistance, DWORD objectXSpeed,
                            DWORD objectYSpeed, DWORD objectRotationSpeed, DWORD rotationSpeed, DWORD objectClockwise,
                            DWORD clockwise, DWORD backColor, const char* fileName, DWORD defImageNum) {
  Release();
  if (device == nullptr) return E_FAIL;

  CreateImageTexture(device, kHaloImageResource, &haloTexture);
  if (FAILED(CreateObjectTexture(window, device, fileName, defImageNum))) return E_FAIL;

  objectScale = static_cast<float>(objectDistance) / 5.0f;
  if (FAILED(CreateQuads(device, backColor))) return E_FAIL;

  LoadScrambledMesh(device, kDiscMeshResource, RT_RCDATA, &discMesh);
  SetFixedStates(device);
  BuildCurves(objectXSpeed, objectYSpeed, objectRotationSpeed, rotationSpeed, objectClockwise, clockwise);
  return CreateOffscreenTarget(device);
}

// Makes the object texture and measures the image: the quad keeps its proportions.
HRESULT KaleidoScene::CreateObjectTexture(HWND window, IDirect3DDevice9* device, const char* fileName,
                                          DWORD defImageNum) {
  const bool builtIn = std::strcmp(fileName, kBuiltInImageName) == 0;
  ImageInfo info = {};
  if (builtIn) {
    imageResourceId = defImageNum != 0 ? kSecondBuiltInImageResource : kFirstBuiltInImageResource;
    CreateImageTexture(device, imageResourceId, &objectTexture);
    if (FAILED(GetImageInfoFromResource(GetModuleHandleA(nullptr), imageResourceId, &info))) {
      return E_FAIL;
    }
  } else if (FAILED(CreateImageTextureFromFile(device, fileName, &info, &objectTexture))) {
    // A file whose header reads but whose pixels do not is as unusable as a missing one.
    ReportImageFileFailure(window);
    return E_FAIL;
  }

  imageAspect = static_cast<float>(info.width) / static_cast<float>(info.height);
  if (info.width < info.height) {
    quadWidth = 2.0f;
    quadHeight = 2.0f / imageAspect;
  } else {
    quadHeight = 2.0f;
    quadWidth = 2.0f * imageAspect;
  }
  return S_OK;
}

HRESULT KaleidoScene::CreateQuads(IDirect3DDevice9* device, DWORD backColor) {
  const float left = quadWidth * -0.5f;
  const float right = quadWidth * 0.5f;
  const float top = quadHeight * 0.5f;
  const float bottom = quadHeight * -0.5f;
  const SceneVertex object[4] = {{left, top, 0.0f, kWhite, 0.0f, 0.0f},
                                 {right, top, 0.0f, kWhite, 1.0f, 0.0f},
                                 {left, bottom, 0.0f, kWhite, 0.0f, 1.0f},
                                 {right, bottom, 0.0f, kWhite, 1.0f, 1.0f}};
  const D3DCOLOR tint = OpaqueArgbOf(backColor);
  const SceneVertex halo[4] = {{-kHaloHalfSize, kHaloHalfSize, kHaloDepth, tint, 0.0f, 0.0f},
                               {kHaloHalfSize, kHaloHalfSize, kHaloDepth, tint, 1.0f, 0.0f},
                               {-kHaloHalfSize, -kHaloHalfSize, kHaloDepth, tint, 0.0f, 1.0f},
                               {kHaloHalfSize, -kHaloHalfSize, kHaloDepth, tint, 1.0f, 1.0f}};
  if (FAILED(CreateQuad(device, object, &objectQuad))) return E_FAIL;
  if (FAILED(CreateQuad(device, halo, &haloQuad))) return E_FAIL;
  return S_OK;
}

// Every curve starts at one clock reading; the spin's start angle is random, seeded by a
// second reading.
void KaleidoScene::BuildCurves(DWORD objectXSpeed, DWORD objectYSpeed, DWORD objectRotationSpeed, DWORD rotationSpeed,
                               DWORD objectClockwise, DWORD clockwise) {
  discRotation = std::make_unique<AnimationTrack>();
  discRotation->SetKeyCount(2);
  discRotation->SetKey(0, 0.0f, 0.0f);
  discRotation->SetKey(1, 1.0f, clockwise != 0 ? -360.0f : 360.0f);
  const DWORD startTime = timeGetTime();
  StartLooping(*discRotation, rotationSpeed * 60000, startTime);

  objectCount = 1;
  objectSpin = std::make_unique<AnimationTrack[]>(objectCount);
  objectSwayX = std::make_unique<AnimationTrack[]>(objectCount);
  objectSwayY = std::make_unique<AnimationTrack[]>(objectCount);
  std::srand(timeGetTime());
  for (int32_t e = 0; e < objectCount; ++e) {
    // Fifteen random bits on every C library, as Windows' rand gives: a wider rand (glibc's
    // reaches 2^31) would start the spin millions of degrees round, where a float cannot
    // hold the 3.6-degree steps of its keys.
    const float startAngle = static_cast<float>(std::rand() % 32768) * 360.0f / 32767.0f;
    TabulateSpin(objectSpin[e], startAngle, objectClockwise);
    StartLooping(objectSpin[e], objectRotationSpeed * 1000, startTime);
    TabulateSway(objectSwayY[e], quadHeight);
    StartLooping(objectSwayY[e], objectYSpeed * 1000, startTime);
    TabulateSway(objectSwayX[e], quadWidth);
    StartLooping(objectSwayX[e], objectXSpeed * 1000, startTime);
  }
}

HRESULT KaleidoScene::CreateOffscreenTarget(IDirect3DDevice9* device) {
  if (FAILED(device->CreateTexture(kOffscreenSize, kOffscreenSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                   D3DPOOL_DEFAULT, &offscreenTexture, nullptr)) ||
      FAILED(device->CreateDepthStencilSurface(kOffscreenSize, kOffscreenSize, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE,
                                               &offscreenDepth, nullptr)) ||
      FAILED(offscreenTexture->GetSurfaceLevel(0, &offscreenSurface))) {
    return E_FAIL;
  }
  return S_OK;
}

void KaleidoScene::ReleaseDeviceTargets() {
  ReleaseAndClear(offscreenSurface);
  ReleaseAndClear(offscreenTexture);
  ReleaseAndClear(offscreenDepth);
}

HRESULT KaleidoScene::RestoreDeviceTargets(IDirect3DDevice9* device) {
  ReleaseDeviceTargets();
  // An empty scene has nothing to draw with, and no states to fix.
  if (device == nullptr || objectCount == 0) return E_FAIL;
  SetFixedStates(device);
  return CreateOffscreenTarget(device);
}

void KaleidoScene::Release() {
  objectSpin.reset();
  objectSwayX.reset();
  objectSwayY.reset();
  objectCount = 0;
  discRotation.reset();
  ReleaseAndClear(objectTexture);
  ReleaseAndClear(haloTexture);
  ReleaseAndClear(haloQuad);
  ReleaseAndClear(objectQuad);
  ReleaseAndClear(discMesh);
  ReleaseDeviceTargets();
}
