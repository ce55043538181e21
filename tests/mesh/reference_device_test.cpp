// The disc mesh's calls on the reference device itself, in a hidden window: the scene's
// options give system-memory buffers, and a subset draws into the back buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "d3d9api.h"
#include "gfxsupport/mesh_loader.h"

namespace {

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class ReferenceDevice : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.lpszClassName = "OrbeluneMeshTest";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "OrbeluneMeshTest", "mesh", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr,
                              nullptr);
    ASSERT_NE(window_, nullptr);
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d_, nullptr);
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.BackBufferFormat = D3DFMT_UNKNOWN;
    parameters.hDeviceWindow = window_;
    parameters.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;  // the test reads the drawn pixels
    ASSERT_EQ(direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                      &parameters, &device_),
              D3D_OK);
  }
  void TearDown() override {
    if (device_ != nullptr) device_->Release();
    if (direct3d_ != nullptr) direct3d_->Release();
    if (window_ != nullptr) DestroyWindow(window_);
  }

  HWND window_ = nullptr;
  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
};

TEST_F(ReferenceDevice, DiscMeshLoadsIntoSystemMemoryAndDraws) {
  // A quad covering the whole viewport in clip space, with a diffuse colour per vertex.
  const std::string file =
      "xof 0303txt 0032\n"
      "Mesh { 4; -1;-1;0.5;, -1;1;0.5;, 1;1;0.5;, 1;-1;0.5;; 1; 4;0,1,2,3;;\n"
      "  MeshVertexColors { 4; 0;0;1;0;1;;, 1;0;1;0;1;;, 2;0;1;0;1;;, 3;0;1;0;1;;; } }";
  TriangleMesh* mesh = nullptr;
  ASSERT_EQ(LoadMeshFromMemory(file.data(), file.size(), 0x110, device_, nullptr, nullptr, nullptr, nullptr, &mesh),
            D3D_OK);
  D3DVERTEXBUFFER_DESC vertexDescription{};
  ASSERT_EQ(mesh->VertexBuffer()->GetDesc(&vertexDescription), D3D_OK);
  EXPECT_EQ(vertexDescription.Pool, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(vertexDescription.Usage, 0u);
  EXPECT_EQ(vertexDescription.FVF, DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE));
  D3DINDEXBUFFER_DESC indexDescription{};
  ASSERT_EQ(mesh->IndexBuffer()->GetDesc(&indexDescription), D3D_OK);
  EXPECT_EQ(indexDescription.Pool, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(indexDescription.Format, D3DFMT_INDEX16);

  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetRenderState(D3DRS_ZENABLE, FALSE);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(mesh->DrawSubset(0), D3D_OK);
  ASSERT_EQ(device_->EndScene(), D3D_OK);

  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  D3DSURFACE_DESC surface{};
  backBuffer->GetDesc(&surface);
  const uint8_t* middle = static_cast<const uint8_t*>(locked.pBits) + (surface.Height / 2) * locked.Pitch;
  uint32_t pixel;
  std::memcpy(&pixel, middle + (surface.Width / 2) * 4, 4);
  backBuffer->UnlockRect();
  backBuffer->Release();
  EXPECT_EQ(pixel & 0x00FFFFFF, 0x0000FF00u);  // the quad's green, not the cleared black
  mesh->Release();
}

}  // namespace
