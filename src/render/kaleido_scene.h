// The renderer's scene: everything the frame composition draws with, built once when the saver
// starts and given back when the process ends.
//
// The object image (a built-in photograph or the user's image file) is drawn each frame,
// magnified, drifting and spinning, into a 512 x 512 offscreen texture; the disc mesh, a
// hyperbolic tiling, shows that texture in mirrored copies, turning slowly; the halo quad, the
// mask image tinted with the background colour, covers the screen around the disc. The fields
// are public, as in GraphicsDevice: tests look at what setup built.
#pragma once

#include <memory>

#include "d3d9api.h"
#include "gfxsupport/meshes/triangle_mesh.h"
#include "render/animation_track.h"
#include "render/matrix_helpers.h"
#include "winapi.h"

class KaleidoScene {
 public:
  KaleidoScene() = default;
  ~KaleidoScene() { Release(); }
  KaleidoScene(const KaleidoScene&) = delete;
  KaleidoScene& operator=(const KaleidoScene&) = delete;

  // Builds the scene for the device from the validated settings; starts by emptying it.
  // Returns E_FAIL without a device, when the user's image file cannot be read (after
  // telling the user and asking the run to end with code 1), or when a buffer or the
  // offscreen target cannot be made; what was built before stays until Release. A missing
  // mask, built-in photograph or disc mesh is not a failure: the frames go without them.
  HRESULT Setup(HWND window, IDirect3DDevice9* device, DWORD objectDistance, DWORD objectXSpeed, DWORD objectYSpeed,
                DWORD objectRotationSpeed, DWORD rotationSpeed, DWORD objectClockwise, DWORD clockwise, DWORD backColor,
                const char* fileName, DWORD defImageNum);

  // Draws the picture between BeginScene and EndScene: the object pass into the offscreen
  // texture, then the disc and the halo over the back buffer cleared to the halo colour.
  // Without a device, a disc mesh or the offscreen target it draws nothing.
  void ComposeFrame(IDirect3DDevice9* device, DWORD distance, DWORD haloColor);

  // A device reset is refused while default-pool resources live, and it forgets every
  // state: the offscreen target goes before a reset and comes back, with the fixed states,
  // after a successful one.
  void ReleaseDeviceTargets();
  HRESULT RestoreDeviceTargets(IDirect3DDevice9* device);

  // Empties the scene; safe on an empty scene.
  void Release();

  Matrix4 projectionMatrix = {};
  Matrix4 viewMatrix = {};
  Matrix4 worldMatrix = {};
  TriangleMesh* discMesh = nullptr;
  IDirect3DSurface9* savedRenderTarget = nullptr;
  IDirect3DSurface9* savedDepthStencil = nullptr;
  IDirect3DTexture9* offscreenTexture = nullptr;
  IDirect3DSurface9* offscreenSurface = nullptr;
  IDirect3DSurface9* offscreenDepth = nullptr;
  IDirect3DVertexBuffer9* objectQuad = nullptr;
  IDirect3DVertexBuffer9* haloQuad = nullptr;
  IDirect3DTexture9* haloTexture = nullptr;
  IDirect3DTexture9* objectTexture = nullptr;
  std::unique_ptr<AnimationTrack> discRotation;
  std::unique_ptr<AnimationTrack[]> objectSpin;
  std::unique_ptr<AnimationTrack[]> objectSwayX;
  std::unique_ptr<AnimationTrack[]> objectSwayY;
  int32_t objectCount = 0;
  float objectScale = 0.0f;
  float imageAspect = 0.0f;
  float quadHeight = 0.0f;
  float quadWidth = 0.0f;
  DWORD imageResourceId = 0;

 private:
  HRESULT CreateObjectTexture(HWND window, IDirect3DDevice9* device, const char* fileName, DWORD defImageNum);
  HRESULT CreateQuads(IDirect3DDevice9* device, DWORD backColor);
  void BuildCurves(DWORD objectXSpeed, DWORD objectYSpeed, DWORD objectRotationSpeed, DWORD rotationSpeed,
                   DWORD objectClockwise, DWORD clockwise);
  HRESULT CreateOffscreenTarget(IDirect3DDevice9* device);
  DWORD DrawObjectPass(IDirect3DDevice9* device, DWORD frameStart);
  void RestoreBackBuffer(IDirect3DDevice9* device);
  void DrawDiscPass(IDirect3DDevice9* device, const D3DVIEWPORT9& backViewport, DWORD distance, DWORD discTime);
};
