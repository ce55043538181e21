// One input of the scene-image fuzz target: the saver's scene, made once per process, set up
// with the input as its image file.
#include "scene_image_input.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "headless_display.h"
#include "render/graphics_device.h"
#include "render/kaleido_scene.h"
#include "timer_control.h"

namespace {

struct Saver {
  HWND window = nullptr;
  GraphicsDevice graphics;
  KaleidoScene scene;
  std::string imagePath;
};

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

void Require(bool condition) {
  if (!condition) std::abort();
}

// Failures post a quit message and hide the window, as at a start; the next input starts anew.
void ForgetFailure(HWND window) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  ShowWindow(window, SW_SHOW);
}

bool WriteImageFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

Saver& TheSaver() {
  static Saver* saver = [] {
    setenv("ORBELUNE_DISPLAY", "headless", 1);
    setenv("ORBELUNE_NO_VSYNC", "1", 1);
    setenv("ORBELUNE_REF_THREADS", "1", 1);
    auto* made = new Saver;
    standin::headless::Choose(32, 24);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.lpszClassName = "SceneImageFuzzer";
    Require(RegisterClassA(&windowClass) != 0);
    made->window = CreateWindowExA(0, "SceneImageFuzzer", "Orbelune", WS_POPUP | WS_VISIBLE, 0, 0, 32, 24, nullptr,
                                   nullptr, nullptr, nullptr);
    Require(made->window != nullptr && SUCCEEDED(made->graphics.Create(made->window)));
    made->imagePath = "/tmp/orbelune-scene-image-fuzzer-" + std::to_string(getpid());
    TimerFreeze(1000000);
    return made;
  }();
  return *saver;
}

}  // namespace

std::string SceneImageInputProblem(const uint8_t* data, size_t size) {
  Saver& saver = TheSaver();
  if (!WriteImageFile(saver.imagePath, data, size)) return "";
  KaleidoScene& scene = saver.scene;
  const HRESULT setup = scene.Setup(saver.window, saver.graphics.GetDevice(), 10, 100, 120, 120, 600, 0, 1, 0x00FF00,
                                    saver.imagePath.c_str(), 0);
  std::string problem;
  if (FAILED(setup)) {
    if (scene.objectTexture != nullptr) problem = "a failed setup kept its texture";
    ForgetFailure(saver.window);
  } else if (scene.objectTexture == nullptr) {
    problem = "setup succeeded without the object texture";
  } else if (!std::isfinite(scene.quadWidth) || !std::isfinite(scene.quadHeight) || !(scene.quadWidth > 0.0f) ||
             !(scene.quadHeight > 0.0f)) {
    problem = "the quad is " + std::to_string(scene.quadWidth) + " x " + std::to_string(scene.quadHeight);
  } else {
    saver.graphics.PresentFrame(saver.window, &scene, 25, 0x0000FF, FALSE);
  }
  scene.Release();
  unlink(saver.imagePath.c_str());
  return problem;
}
