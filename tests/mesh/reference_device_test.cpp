// The disc mesh's calls on the reference device itself, in a hidden window: the scene's
// options give system-memory buffers, and a subset draws into the back buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../support/reference_device_fixture.h"
#include "d3d9api.h"
#include "gfxsupport/meshes/mesh_loader.h"

namespace {

using ReferenceDevice = ReferenceDeviceTest;

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
