// Frames of the kaleidoscope on the reference device: motion follows the clock alone, the ring
// takes its colours from the settings, the failure paths leave the device as they found it,
// and two frames match the reference pictures kept beside these tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "frame_picture.h"
#include "scene_fixture.h"

namespace {

class FrameTest : public SceneTest {
 protected:
  // References the device's own surfaces hold besides the caller's: flat from frame to frame.
  static ULONG ReferencesOn(IDirect3DSurface9* surface) {
    surface->AddRef();
    return surface->Release();
  }
};

uint8_t Red(uint32_t rgb) { return static_cast<uint8_t>(rgb >> 16); }
uint8_t Blue(uint32_t rgb) { return static_cast<uint8_t>(rgb); }

// The reference device gives the same bits for the same clock. A GL may round differently from
// one frame to the next (llvmpipe does, between a scene's first frame and the later ones), so
// on the OpenGL device the same clock gives the same picture within the reference pictures'
// tolerance: no channel more than 3 levels apart in more than 0.5 % of the pixels.
TEST_F(FrameTest, PictureDependsOnTheClockAloneAndMoves) {
  ASSERT_EQ(SetUpScene({}), S_OK);
  const Picture direct = FrameAt(70000);
  for (DWORD earlier : {1000u, 5000u, 5016u, 69000u}) FrameAt(earlier);
  const Picture again = FrameAt(70000);
  D3DDEVICE_CREATION_PARAMETERS creation{};
  ASSERT_EQ(Device()->GetCreationParameters(&creation), S_OK);
  if (creation.DeviceType == D3DDEVTYPE_REF) {
    EXPECT_EQ(again, direct);
  } else {
    EXPECT_LE(PixelsDifferingBy(again, direct, 3), static_cast<int>(direct.pixels.size() / 200));
  }
  EXPECT_NE(FrameAt(0), direct);
  EXPECT_FALSE(IsUniform(direct, direct.At(80, 60)));
}

TEST_F(FrameTest, RingGlowsInTheHaloColourAndTheBackgroundCoversTheRest) {
  SceneSettings settings;
  settings.backColor = 0x00FF0000;  // COLORREF blue
  ASSERT_EQ(SetUpScene(settings), S_OK);
  const Picture frame = FrameAt(0, 25, 0x000000FF);  // COLORREF red
  // The mask is opaque in the corners and clear in the middle; just beyond the disc's rim
  // the halo colour shows through it.
  EXPECT_EQ(frame.At(0, 0), 0x0000FFu);
  EXPECT_EQ(frame.At(159, 119), 0x0000FFu);
  const uint32_t rim = frame.At(80 + 58, 60);
  EXPECT_GT(Red(rim), 0x40) << std::hex << rim;
  EXPECT_GT(Blue(rim), 0x40) << std::hex << rim;
  EXPECT_NE(frame.At(80, 60), 0x0000FFu);
}

TEST_F(FrameTest, WithoutTheDiscMeshTheFrameStaysBlack) {
  ASSERT_EQ(SetUpScene({}), S_OK);
  scene.discMesh->Release();
  scene.discMesh = nullptr;
  EXPECT_TRUE(IsUniform(FrameAt(1000, 25, 0x00FFFFFF), 0x000000));
}

// Clearing with the depth buffer fails without a depth surface: without its offscreen depth
// the object pass cannot begin, and without the back buffer's the disc pass cannot.
TEST_F(FrameTest, FailedClearsEndTheFrameWithTheBackBufferBound) {
  for (bool offscreenFails : {true, false}) {
    SCOPED_TRACE(offscreenFails ? "offscreen clear fails" : "back-buffer clear fails");
    ASSERT_EQ(SetUpScene({}), S_OK);
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* backDepth = nullptr;
    ASSERT_EQ(Device()->GetRenderTarget(0, &backBuffer), S_OK);
    ASSERT_EQ(Device()->GetDepthStencilSurface(&backDepth), S_OK);
    const ULONG backBufferReferences = ReferencesOn(backBuffer);
    IDirect3DSurface9* boundDepth = backDepth;
    if (offscreenFails) {
      scene.offscreenDepth->Release();
      scene.offscreenDepth = nullptr;
    } else {
      Device()->SetDepthStencilSurface(nullptr);
      boundDepth = nullptr;
    }
    FillRenderTarget(Device(), 0xFF00FF00);

    scene.ComposeFrame(Device(), 25, 0x000000FF);

    EXPECT_TRUE(IsUniform(ReadRenderTarget(Device()), 0x00FF00));
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* depth = nullptr;
    Device()->GetRenderTarget(0, &target);
    Device()->GetDepthStencilSurface(&depth);
    EXPECT_EQ(target, backBuffer);
    EXPECT_EQ(depth, boundDepth);
    if (target != nullptr) target->Release();
    if (depth != nullptr) depth->Release();
    DWORD depthTest = 0;
    Device()->GetRenderState(D3DRS_ZENABLE, &depthTest);
    EXPECT_EQ(depthTest, static_cast<DWORD>(TRUE));
    EXPECT_EQ(scene.savedRenderTarget, nullptr);
    EXPECT_EQ(scene.savedDepthStencil, nullptr);
    EXPECT_EQ(ReferencesOn(backBuffer), backBufferReferences);

    Device()->SetDepthStencilSurface(backDepth);
    backDepth->Release();
    backBuffer->Release();
  }
}

TEST_F(FrameTest, ReferencesOnTheBackBufferStayFlat) {
  ASSERT_EQ(SetUpScene({}), S_OK);
  IDirect3DSurface9* backBuffer = nullptr;
  IDirect3DSurface9* backDepth = nullptr;
  ASSERT_EQ(Device()->GetRenderTarget(0, &backBuffer), S_OK);
  ASSERT_EQ(Device()->GetDepthStencilSurface(&backDepth), S_OK);
  FrameAt(0);
  const ULONG targetReferences = ReferencesOn(backBuffer);
  const ULONG depthReferences = ReferencesOn(backDepth);
  for (DWORD t = 16; t < 16 * 200; t += 16) FrameAt(t);
  EXPECT_EQ(ReferencesOn(backBuffer), targetReferences);
  EXPECT_EQ(ReferencesOn(backDepth), depthReferences);
  backDepth->Release();
  backBuffer->Release();
}

// Pictures of the default scene (the first built-in photograph) and of a coloured one at a
// nearer object and a farther camera. Bilinear weights and blending may differ by a step or
// two between builds; a changed picture differs far more. ORBELUNE_REGENERATE_REFERENCES=1
// writes the pictures anew, to be looked at before they are committed.
TEST_F(FrameTest, FramesMatchTheReferencePictures) {
  SceneSettings coloured;
  coloured.objectDistance = 30;
  coloured.clockwise = 0;
  coloured.backColor = 0x00402010;
  coloured.defImageNum = 1;
  const struct {
    const char* name;
    SceneSettings settings;
    DWORD elapsed, distance, haloColor;
  } cases[] = {
      {"kaleidoscope_default", {}, 12000, 25, 0},
      {"kaleidoscope_coloured", coloured, 47000, 40, 0x0060C0FF},
  };
  const bool regenerate = std::getenv("ORBELUNE_REGENERATE_REFERENCES") != nullptr;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(SetUpScene(c.settings), S_OK);
    const Picture frame = FrameAt(c.elapsed, c.distance, c.haloColor);
    const std::string path = std::string(ORBELUNE_RENDER_REFERENCES) + "/" + c.name + ".ppm";
    if (regenerate) {
      ASSERT_TRUE(WritePpm(path, frame));
      continue;
    }
    const Picture reference = ReadPpm(path);
    ASSERT_EQ(reference.width, frame.width);
    ASSERT_EQ(reference.height, frame.height);
    EXPECT_LE(PixelsDifferingBy(frame, reference, 3), static_cast<int>(frame.pixels.size() / 200))
        << "pixels differing by more than 3";
  }
}

}  // namespace
