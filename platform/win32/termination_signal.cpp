// Implements: catching SIGTERM and turning it into WM_CLOSE for the program's outermost
// windows, at the next look at the message queue. The handler only sets a flag, the one thing
// a signal handler may safely do; the queue, which the program reads at every frame, does the
// rest on the program's own thread. While a modal box waits, the handler ends the process
// itself (_exit is safe in a signal handler).
// Leaves out: other signals (SIGKILL cannot be caught; SIGINT keeps its default).
#include "termination_signal.h"

#include <signal.h>
#include <unistd.h>

#include "window.h"
#include "window_table.h"

namespace standin {
namespace {

volatile sig_atomic_t terminationRequested = 0;
volatile sig_atomic_t waitingInModalBox = 0;

void NoteTermination(int) {
  if (waitingInModalBox != 0) _exit(0);
  terminationRequested = 1;
}

}  // namespace

void CatchTerminationSignal() {
  struct sigaction action {};
  action.sa_handler = NoteTermination;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
}

void SetWaitingInModalBox(bool waiting) {
  waitingInModalBox = waiting ? 1 : 0;
  if (waiting && terminationRequested != 0) _exit(0);
}

void DeliverTerminationRequest() {
  if (terminationRequested == 0) return;
  bool delivered = false;
  for (HWND handle : AllWindows()) {
    const Window* window = FindOwnWindow(handle);
    if (window == nullptr || FindOwnWindow(window->parent) != nullptr) continue;
    delivered = PostMessageA(handle, WM_CLOSE, 0, 0) != FALSE || delivered;
  }
  if (delivered) terminationRequested = 0;
}

}  // namespace standin
