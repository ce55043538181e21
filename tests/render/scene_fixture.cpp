#include "scene_fixture.h"

#include <cstdlib>
#include <limits>
#include <string>

namespace {

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void SceneTest::SetUp() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.lpszClassName = "SceneTest";
    return RegisterClassA(&windowClass) != 0;
  }();
  ASSERT_TRUE(registered);
  window = CreateWindowExA(0, "SceneTest", "Orbelune", WS_POPUP | WS_VISIBLE, 0, 0, 160, 120, nullptr, nullptr, nullptr,
                           nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(graphics.Create(window), S_OK);
  // ORBELUNE_TEST_DEVICE=hal: the run is meant for the OpenGL device, which must be the one made.
  if (const char* wanted = std::getenv("ORBELUNE_TEST_DEVICE"); wanted != nullptr && std::string(wanted) == "hal") {
    D3DDEVICE_CREATION_PARAMETERS creation{};
    ASSERT_EQ(graphics.GetDevice()->GetCreationParameters(&creation), S_OK);
    ASSERT_EQ(creation.DeviceType, D3DDEVTYPE_HAL) << "the scene did not get the OpenGL device";
  }
  TimerFreeze(kStartTime);
}

void SceneTest::TearDown() {
  scene.Release();
  graphics.Release();
  TimerReset();
  if (window != nullptr) DestroyWindow(window);
  PendingQuitCode();
}

HRESULT SceneTest::SetUpScene(const SceneSettings& s) {
  return scene.Setup(window, graphics.GetDevice(), s.objectDistance, s.objectXSpeed, s.objectYSpeed,
                     s.objectRotationSpeed, s.rotationSpeed, s.objectClockwise, s.clockwise, s.backColor,
                     s.fileName.c_str(), s.defImageNum);
}

Picture SceneTest::FrameAt(DWORD elapsed, DWORD distance, DWORD haloColor) {
  TimerFreeze(kStartTime + elapsed);
  Device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  Device()->BeginScene();
  scene.ComposeFrame(Device(), distance, haloColor);
  Device()->EndScene();
  return ReadRenderTarget(Device());
}

float SceneTest::SampleAt(const AnimationTrack& track, DWORD elapsed) {
  float value = std::numeric_limits<float>::quiet_NaN();
  uint32_t held = 0;
  if (track.Sample(kStartTime + elapsed, &value, &held) == 0) return std::numeric_limits<float>::quiet_NaN();
  return value;
}

int SceneTest::PendingQuitCode() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
    DispatchMessageA(&message);
  }
  return -1;
}
