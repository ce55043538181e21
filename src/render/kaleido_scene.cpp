#include "render/kaleido_scene.h"

HRESULT KaleidoScene::Setup(HWND, IDirect3DDevice9* device, DWORD, DWORD, DWORD, DWORD, DWORD,
                            DWORD, DWORD, DWORD, const char*, DWORD) {
    Release();
    if (device == nullptr) return E_FAIL;
    return S_OK;
}

void KaleidoScene::ComposeFrame(IDirect3DDevice9*, DWORD, DWORD) {}

void KaleidoScene::Release() {}
