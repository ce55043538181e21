// The renderer's scene: the one object that the frame composition draws with.
//
// For now the scene holds no resources. Setup accepts the device and the settings and
// succeeds, the composition draws nothing (the frame shows the black of the clear), and
// Release has nothing to give back. The textures, quads, disc mesh, offscreen target and
// animation tracks, and the composition that draws them, come later; the signatures here are
// the ones they fill in.
#pragma once

#include "d3d9api.h"
#include "winapi.h"

class KaleidoScene {
public:
    KaleidoScene() = default;
    ~KaleidoScene() { Release(); }
    KaleidoScene(const KaleidoScene&) = delete;
    KaleidoScene& operator=(const KaleidoScene&) = delete;

    // Builds the scene for the device from the settings. Fails without a device.
    HRESULT Setup(HWND window, IDirect3DDevice9* device, DWORD objectDistance, DWORD objectXSpeed,
                  DWORD objectYSpeed, DWORD objectRotationSpeed, DWORD rotationSpeed,
                  DWORD objectClockwise, DWORD clockwise, DWORD backColor, const char* fileName,
                  DWORD defImageNum);

    // Draws the picture between BeginScene and EndScene.
    void ComposeFrame(IDirect3DDevice9* device, DWORD distance, DWORD haloColor);

    // Empties the scene; safe on an empty scene.
    void Release();
};
