// How fast frames go out and what they cost: opens an 800 x 600 test window, creates the
// device as a saver run does and presents frames for a few seconds through the same frame
// path as the main loop. With the default presentation interval the rate should match the
// display's refresh and the process should spend most of the time asleep.
//
// Usage: bench_present_pace [--seconds S]
// Prints frames per second, the display's refresh rate, CPU time per frame and CPU use.
#include "render/graphics_device.h"
#include "render/kaleido_scene.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND OpenTestWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = PlainWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "PresentPaceBench";
  if (RegisterClassA(&windowClass) == 0) return nullptr;
  RECT frame = {0, 0, 800, 600};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  return CreateWindowExA(0, "PresentPaceBench", "Orbelune", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                         frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance,
                         nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 3.0;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[++i]);
  }

  HWND window = OpenTestWindow();
  if (window == nullptr) {
    std::fprintf(stderr, "bench_present_pace: no window\n");
    return 1;
  }
  GraphicsDevice graphics;
  KaleidoScene scene;
  if (FAILED(graphics.Create(window))) {
    std::fprintf(stderr, "bench_present_pace: no device\n");
    return 1;
  }
  D3DDISPLAYMODE mode{};
  graphics.direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);

  // One frame first, so that start-up costs stay out of the figures.
  graphics.PresentFrame(window, &scene, 25, 0, FALSE);
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  long frames = 0;
  double wall = 0.0;
  while (wall < seconds) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    graphics.PresentFrame(window, &scene, 25, 0, FALSE);
    ++frames;
    wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  }
  const double cpu = CpuSeconds() - cpuStart;

  std::printf("display refresh     %u Hz\n", mode.RefreshRate);
  std::printf("frames presented    %ld in %.2f s\n", frames, wall);
  std::printf("frames per second   %.1f\n", frames / wall);
  std::printf("CPU per frame       %.3f ms\n", 1000.0 * cpu / frames);
  std::printf("CPU use             %.1f %% of one core\n", 100.0 * cpu / wall);
  graphics.Release();
  DestroyWindow(window);
  return 0;
}
