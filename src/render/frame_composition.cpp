// One frame of the kaleidoscope, in two passes: the object image into the offscreen texture,
// then the turning disc with that texture and the halo over the back buffer.
#include "render/kaleido_scene.h"

#include <cmath>

#include "render/opaque_colour.h"
#include "render/scene_vertex.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr D3DCOLOR kOffscreenClear = 0xFFFFFFFF;
constexpr D3DVIEWPORT9 kOffscreenViewport = {0, 0, 512, 512, 0.0f, 1.0f};
constexpr float kObjectCameraDistance = 5.0f;
constexpr float kDiscFieldOfView = 0.08726646f;  // 5 degrees: the disc is seen from far away
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 1000.0f;

// A curve that cannot give a value leaves its quantity at 0.
float SampleOrZero(const AnimationTrack* track, DWORD now) {
  float value = 0.0f;
  uint32_t held = 0;
  if (track != nullptr) track->Sample(now, &value, &held);
  return value;
}

HRESULT ClearTargetAndDepth(IDirect3DDevice9* device, D3DCOLOR colour) {
  return device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
}

void DrawQuad(IDirect3DDevice9* device, IDirect3DTexture9* texture, IDirect3DVertexBuffer9* quad) {
  device->SetTexture(0, texture);
  device->SetStreamSource(0, quad, 0, sizeof(SceneVertex));
  device->SetFVF(kSceneVertexFvf);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

}  // namespace

void KaleidoScene::ComposeFrame(IDirect3DDevice9* device, DWORD distance, DWORD haloColor) {
  const D3DCOLOR backClear = OpaqueArgbOf(haloColor);
  const DWORD objectTime = timeGetTime();
  // After a failed device reset the offscreen target is missing until a reset succeeds.
  if (device == nullptr || discMesh == nullptr || offscreenSurface == nullptr) return;

  D3DVIEWPORT9 backViewport = {};
  device->GetViewport(&backViewport);
  device->GetRenderTarget(0, &savedRenderTarget);
  device->GetDepthStencilSurface(&savedDepthStencil);
  device->SetRenderTarget(0, offscreenSurface);
  device->SetDepthStencilSurface(offscreenDepth);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  if (FAILED(ClearTargetAndDepth(device, kOffscreenClear))) {
    RestoreBackBuffer(device);
    return;
  }
  const DWORD discTime = DrawObjectPass(device, objectTime);
  RestoreBackBuffer(device);

  if (FAILED(ClearTargetAndDepth(device, backClear))) return;
  DrawDiscPass(device, backViewport, distance, discTime);
}

// The orthographic camera sees one world unit square of the magnified object quad; it sways
// over the quad and turns with the spin. Returns the clock reading at which the disc turns.
DWORD KaleidoScene::DrawObjectPass(IDirect3DDevice9* device, DWORD frameStart) {
  device->SetViewport(&kOffscreenViewport);
  MakeOrthoLeftHanded(&projectionMatrix, 1.0f, 1.0f, 0.0f, kFarPlane);
  device->SetTransform(D3DTS_PROJECTION, &projectionMatrix);

  const bool curvesBuilt = objectCount > 0;
  const float angle = SampleOrZero(curvesBuilt ? &objectSpin[0] : nullptr, frameStart) * kDegreesToRadians;
  const float y = SampleOrZero(curvesBuilt ? &objectSwayY[0] : nullptr, frameStart);
  const float x = SampleOrZero(curvesBuilt ? &objectSwayX[0] : nullptr, frameStart);
  const Vector3 eye = {x, y, -kObjectCameraDistance};
  const Vector3 at = {x, y, 0.0f};
  const Vector3 up = {static_cast<float>(std::sin(static_cast<double>(angle))),
                      static_cast<float>(std::cos(static_cast<double>(angle))), 0.0f};
  MakeLookAtLeftHanded(&viewMatrix, eye, at, up);
  device->SetTransform(D3DTS_VIEW, &viewMatrix);
  const DWORD discTime = timeGetTime();

  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE2X);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);

  Matrix4 world;
  MakeScaling(&world, objectScale, objectScale, 1.0f);
  device->SetTransform(D3DTS_WORLD, &world);
  DrawQuad(device, objectTexture, objectQuad);
  return discTime;
}

// Binds the back buffer and its depth surface again and gives up the references taken for it.
void KaleidoScene::RestoreBackBuffer(IDirect3DDevice9* device) {
  device->SetRenderTarget(0, savedRenderTarget);
  device->SetRenderState(D3DRS_ZENABLE, TRUE);
  device->SetDepthStencilSurface(savedDepthStencil);
  if (savedRenderTarget != nullptr) savedRenderTarget->Release();
  if (savedDepthStencil != nullptr) savedDepthStencil->Release();
  savedRenderTarget = nullptr;
  savedDepthStencil = nullptr;
}

// A narrow perspective camera looks at the disc from `distance` units; the disc turns about
// the screen centre and the halo quad, just in front of it, covers the screen around it.
void KaleidoScene::DrawDiscPass(IDirect3DDevice9* device, const D3DVIEWPORT9& backViewport, DWORD distance,
                                DWORD discTime) {
  device->SetViewport(&backViewport);
  const float aspect = static_cast<float>(backViewport.Width) / static_cast<float>(backViewport.Height);
  MakePerspectiveFovLeftHanded(&projectionMatrix, kDiscFieldOfView, aspect, kNearPlane, kFarPlane);
  device->SetTransform(D3DTS_PROJECTION, &projectionMatrix);

  const Vector3 eye = {0.0f, 0.0f, -static_cast<float>(distance)};
  const Vector3 at = {0.0f, 0.0f, 0.0f};
  const Vector3 up = {0.0f, 1.0f, 1.0f};
  MakeLookAtLeftHanded(&viewMatrix, eye, at, up);
  device->SetTransform(D3DTS_VIEW, &viewMatrix);

  MakeRotationZ(&worldMatrix, SampleOrZero(discRotation.get(), discTime) * kDegreesToRadians);
  device->SetTransform(D3DTS_WORLD, &worldMatrix);

  device->SetTexture(0, offscreenTexture);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
  discMesh->DrawSubset(0);

  MakeScaling(&worldMatrix, 1.0f, 1.0f, 1.0f);
  device->SetTransform(D3DTS_WORLD, &worldMatrix);
  DrawQuad(device, haloTexture, haloQuad);
}
