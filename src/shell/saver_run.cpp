#include "shell/saver_run.h"

#include "hack_host.h"
#include "render/renderer.h"
#include "shell/saver_state.h"
#include "shell/saver_window.h"

namespace {

constexpr int kExitCodeWhenNeverRun = 1;

// The 1 ms timer resolution lasts for the run and is given back on every way out.
class TimerResolution {
 public:
  TimerResolution() { timeBeginPeriod(1); }
  ~TimerResolution() { timeEndPeriod(1); }
  TimerResolution(const TimerResolution&) = delete;
  TimerResolution& operator=(const TimerResolution&) = delete;
};

// Another full-screen or windowed run holds the name "SCRNSAVE" while it lives. The handle
// stays open until the process ends: the mutex only marks that a run exists.
bool AnotherRunExists() {
  const HANDLE marker = CreateMutexA(nullptr, FALSE, "SCRNSAVE");
  return marker == nullptr || GetLastError() == ERROR_ALREADY_EXISTS;
}

// A failed renderer start has told the user and posted a quit message with its code.
int ExitCodeWithoutLoop() {
  MSG message;
  if (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    return static_cast<int>(message.wParam);
  }
  return kExitCodeWhenNeverRun;
}

// Everything of a run after the single-instance guard: class, window, renderer, main loop.
int RunSaverWindow(const SaverWindowShape& shape) {
  const HWND window = RegisterSaverClass() ? CreateSaverWindow(shape) : nullptr;
  int exitCode = kExitCodeWhenNeverRun;
  {
    const TimerResolution resolution;
    if (window != nullptr && StartRenderer(window, previewMode)) {
      GetCursorPos(&lastCursorPos);
      exitCode = RunMainLoop(window);
    } else if (window != nullptr) {
      exitCode = ExitCodeWithoutLoop();
    }
  }
  Sleep(1);
  return exitCode;
}

}  // namespace

int RunMainLoop(HWND window) {
  MSG message;
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      const BOOL taken = GetMessageA(&message, nullptr, 0, 0);
      if (taken == 0) return static_cast<int>(message.wParam);
      if (taken == -1) return kExitCodeWhenNeverRun;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    } else if (previewMode == 0) {
      RenderIdleFrame(window, screenshotRequested);
      screenshotRequested = 0;
    }
  }
}

int RunSaver(HWND parent) {
  previewMode = parent != nullptr ? 1 : 0;
  const SaverWindowShape shape = ChooseSaverWindowShape(parent);
  if (previewMode == 0 && AnotherRunExists()) return 0;
  return RunSaverWindow(shape);
}

// The daemon runs one hack for each monitor and ends them itself: no guard, and its
// termination signal closes the window like any other end.
int RunHack(HWND host) {
  windowedOrPreview = 1;
  previewMode = 0;
  hackMode = 1;
  standin::hack::CloseWindowsOnTermination();
  return RunSaverWindow(ChooseSaverWindowShape(host));
}
