// bench_saver: the saver's own frame, timed. The real scene with the settings of a first start
// (every setting at its default: built-in photograph 125) on the reference device, without a
// display (the headless backend, its screen the frame's size) and without presentation pacing.
// Each timed frame is GraphicsDevice::PresentFrame as the saver's loop calls it: the clear,
// BeginScene, ComposeFrame, EndScene, and Present to the headless display, which copies the
// frame into the window's picture. The reference device finishes a call's drawing before the
// call returns, so all of a frame's work lies inside its interval. The clock runs as in the
// saver; messages are handled between frames, outside the intervals, as the saver's loop does.
// --draw-only leaves Present out, timing what bench_scene times of its proxy frame.
//
//   bench_saver [--size WxH] [--threads N] [--frames N] [--warmup N] [--draw-only]
//
// Prints each frame's milliseconds, a summary, and on its last line the median ms per frame.
// The user's store is neither read nor written: the settings come from an empty store in a
// temporary folder, removed before the frames start.
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "render/process_objects.h"
#include "settings/settings_readers.h"
#include "tool/frame_device.h"

namespace {

struct Options {
  int width = 800;
  int height = 600;
  int threads = 0;  // one per core
  int frames = 100;
  int warmup = 5;
  // Times the drawing alone (the clear, BeginScene, ComposeFrame, EndScene), as bench_scene
  // times its proxy frame, leaving out Present's copy of the frame to the display.
  bool drawOnly = false;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  if (argc > 1 && std::strcmp(argv[argc - 1], "--draw-only") == 0) {
    options.drawOnly = true;
    --argc;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--size") {
      if (std::sscanf(value, "%dx%d", &options.width, &options.height) != 2) return false;
    } else if (name == "--threads") {
      options.threads = std::atoi(value);
    } else if (name == "--frames") {
      options.frames = std::atoi(value);
    } else if (name == "--warmup") {
      options.warmup = std::atoi(value);
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && options.width > 0 && options.height > 0 && options.width <= 16384 &&
         options.height <= 16384 && options.threads >= 0 && options.frames > 0 && options.warmup >= 0;
}

// The switches the stand-ins read when the display is first used and the device is made.
void ChooseHeadlessUnpacedDevice(const Options& options) {
  const std::string size = std::to_string(options.width) + "x" + std::to_string(options.height);
  setenv("ORBELUNE_DISPLAY", "headless", 1);
  setenv("ORBELUNE_SCREEN_SIZE", size.c_str(), 1);
  setenv("ORBELUNE_NO_VSYNC", "1", 1);
  setenv("ORBELUNE_REF_THREADS", std::to_string(options.threads).c_str(), 1);
}

// A first start's settings, read by the saver's own reader from an empty store of our own.
bool LoadFirstStartSettings() {
  std::string folder = (std::filesystem::temp_directory_path() / "bench-saver-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return false;
  setenv("ORBELUNE_REGISTRY", (folder + "/registry.reg").c_str(), 1);
  LoadStartupSettings();
  std::filesystem::remove_all(folder);
  return std::strcmp(g_startupSettings.FileName, "Default") == 0 && g_startupSettings.DefImageNum == 0;
}

void HandleMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

double ProcessorMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

void DrawFrame() {
  IDirect3DDevice9* device = g_graphicsDevice.GetDevice();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->BeginScene();
  g_kaleidoScene.ComposeFrame(device, g_startupSettings.Distance, g_startupSettings.HaloColor);
  device->EndScene();
}

std::vector<double> TimeFrames(HWND window, int count, bool drawOnly) {
  std::vector<double> milliseconds;
  for (int i = 0; i < count; ++i) {
    HandleMessages();
    const auto start = std::chrono::steady_clock::now();
    if (drawOnly) {
      DrawFrame();
    } else {
      g_graphicsDevice.PresentFrame(window, &g_kaleidoScene, g_startupSettings.Distance, g_startupSettings.HaloColor,
                                    FALSE);
    }
    milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return milliseconds;
}

void PrintFigures(const Options& options, std::vector<double> milliseconds, double processorMilliseconds) {
  for (size_t i = 0; i < milliseconds.size(); ++i) std::printf("frame %zu: %.3f ms\n", i + 1, milliseconds[i]);
  const double mean = std::accumulate(milliseconds.begin(), milliseconds.end(), 0.0) / milliseconds.size();
  std::sort(milliseconds.begin(), milliseconds.end());
  std::printf(
      "saver frame, size %dx%d, threads %d, frames %zu: mean %.3f ms, min %.3f ms, max %.3f ms, "
      "processor %.3f ms a frame\n",
      options.width, options.height, options.threads, milliseconds.size(), mean, milliseconds.front(),
      milliseconds.back(), processorMilliseconds / milliseconds.size());
  std::printf("%.3f\n", milliseconds[milliseconds.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: bench_saver [--size WxH] [--threads N] [--frames N] [--warmup N] [--draw-only]\n");
    return 2;
  }
  ChooseHeadlessUnpacedDevice(options);
  if (!LoadFirstStartSettings()) {
    std::fprintf(stderr, "bench_saver: the first start's settings could not be read\n");
    return 1;
  }
  const HWND window = CreateFrameWindow(options.width, options.height);
  const char* failedCall = "CreateWindowExA";
  if (window == nullptr || FAILED(CreateFrameDevice(window, D3DDEVTYPE_REF, &g_graphicsDevice, &failedCall))) {
    std::fprintf(stderr, "bench_saver: %s failed\n", failedCall);
    return 1;
  }
  const Settings& s = g_startupSettings;
  if (FAILED(g_kaleidoScene.Setup(window, g_graphicsDevice.GetDevice(), s.ObjectDistance, s.ObjectXSpeed,
                                  s.ObjectYSpeed, s.ObjectRotationSpeed, s.RotationSpeed, s.ObjectClockwise,
                                  s.Clockwise, s.BackColor, s.FileName, s.DefImageNum))) {
    std::fprintf(stderr, "bench_saver: the scene could not be set up\n");
    return 1;
  }
  TimeFrames(window, options.warmup, options.drawOnly);
  const double processorStart = ProcessorMilliseconds();
  const std::vector<double> milliseconds = TimeFrames(window, options.frames, options.drawOnly);
  PrintFigures(options, milliseconds, ProcessorMilliseconds() - processorStart);
  g_kaleidoScene.Release();
  g_graphicsDevice.Release();
  DestroyWindow(window);
  return 0;
}
