// A saver window on the headless display with the real device of a run (the reference device),
// the stand-in's clock held still, and a scene to set up with chosen settings. ctest runs the
// tests that use it with ORBELUNE_DISPLAY=headless.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "../win32/timer_control.h"  // the stand-in's clock, reached beside the umbrella header
#include "frame_picture.h"
#include "render/graphics_device.h"
#include "render/kaleido_scene.h"

// The settings that Setup takes, at the saver's fallback values.
struct SceneSettings {
  DWORD objectDistance = 10;
  DWORD objectXSpeed = 100;
  DWORD objectYSpeed = 120;
  DWORD objectRotationSpeed = 120;
  DWORD rotationSpeed = 600;
  DWORD objectClockwise = 0;
  DWORD clockwise = 1;
  DWORD backColor = 0;
  std::string fileName = "Default";
  DWORD defImageNum = 0;
};

class SceneTest : public testing::Test {
 protected:
  static constexpr DWORD kStartTime = 1000000;

  void SetUp() override;
  void TearDown() override;

  HRESULT SetUpScene(const SceneSettings& settings);

  IDirect3DDevice9* Device() { return graphics.GetDevice(); }

  // One frame as the saver draws it, `elapsed` ms after the scene's start, read back.
  Picture FrameAt(DWORD elapsed, DWORD distance = 25, DWORD haloColor = 0);

  // Samples a curve at `elapsed` milliseconds after the scene's start; NaN when it gives no value.
  static float SampleAt(const AnimationTrack& track, DWORD elapsed);

  // The quit code waiting in the window's queue, or -1.
  static int PendingQuitCode();

  HWND window = nullptr;
  GraphicsDevice graphics;
  KaleidoScene scene;
};
