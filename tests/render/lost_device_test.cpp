// A device that is lost at presentation (ORBELUNE_D3D_LOSE_EVERY) is reset, and the picture
// comes back: the scene gives up its offscreen target before the reset and makes it again,
// with the states it fixed, after it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "frame_picture.h"
#include "scene_fixture.h"

namespace {

class LostDeviceTest : public SceneTest {
 protected:
  void TearDown() override {
    unsetenv("ORBELUNE_D3D_LOSE_EVERY");
    SceneTest::TearDown();
  }

  void PresentFrames(int count) {
    for (int i = 0; i < count; ++i) graphics.PresentFrame(window, &scene, 25, 0x000000FF, FALSE);
  }

  // The frame of a held clock reading, composed into the back buffer and read back.
  Picture ComposedFrame() { return FrameAt(5000, 25, 0x000000FF); }

  DWORD RenderState(D3DRENDERSTATETYPE state) {
    DWORD value = 0;
    Device()->GetRenderState(state, &value);
    return value;
  }
};

TEST_F(LostDeviceTest, PictureComesBackAfterEveryLoss) {
  ASSERT_EQ(SetUpScene({}), S_OK);
  const Picture before = ComposedFrame();
  ASSERT_FALSE(IsUniform(before, 0));

  setenv("ORBELUNE_D3D_LOSE_EVERY", "2", 1);
  for (int loss = 0; loss < 25; ++loss) {
    PresentFrames(2);
    ASSERT_EQ(Device()->TestCooperativeLevel(), D3D_OK) << "loss " << loss;
    ASSERT_NE(scene.offscreenSurface, nullptr);
  }
  unsetenv("ORBELUNE_D3D_LOSE_EVERY");
  EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
  EXPECT_EQ(ComposedFrame(), before);
}

// While something else holds a default-pool resource the reset is refused: the scene stays
// without its target, drawing nothing, until a later frame's reset succeeds.
TEST_F(LostDeviceTest, RefusedResetIsTriedAgainAtTheNextFrame) {
  ASSERT_EQ(SetUpScene({}), S_OK);
  const Picture before = ComposedFrame();

  IDirect3DTexture9* held = nullptr;
  ASSERT_EQ(Device()->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &held, nullptr),
            S_OK);
  setenv("ORBELUNE_D3D_LOSE_EVERY", "1", 1);
  PresentFrames(3);
  EXPECT_EQ(scene.offscreenSurface, nullptr);

  held->Release();
  unsetenv("ORBELUNE_D3D_LOSE_EVERY");
  PresentFrames(1);
  ASSERT_NE(scene.offscreenSurface, nullptr);
  EXPECT_EQ(ComposedFrame(), before);
}

}  // namespace
