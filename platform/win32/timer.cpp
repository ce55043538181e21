// Implements: timeGetTime, timeBeginPeriod, timeEndPeriod, Sleep and the test clock control.
// Leaves out: timer events and device capabilities.
#include "timer.h"

#include <time.h>

#include <atomic>
#include <cerrno>

#include "timer_control.h"

namespace {

// The clock reads monotonic milliseconds plus an offset; when frozen it reads a fixed value.
std::atomic<DWORD> clockOffset{0};
std::atomic<bool> clockFrozen{false};
std::atomic<DWORD> frozenValue{0};
std::atomic<int> openPeriods{0};

DWORD MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Unsigned arithmetic keeps only the low 32 bits, which is the wrap Windows shows too.
  return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

}  // namespace

DWORD WINAPI timeGetTime(void) {
  if (clockFrozen.load()) return frozenValue.load();
  return MonotonicMilliseconds() + clockOffset.load();
}

MMRESULT WINAPI timeBeginPeriod(UINT uPeriod) {
  if (uPeriod == 0) return TIMERR_NOCANDO;
  ++openPeriods;
  return TIMERR_NOERROR;
}

MMRESULT WINAPI timeEndPeriod(UINT uPeriod) {
  if (uPeriod == 0) return TIMERR_NOCANDO;
  // An end without a matching begin is refused, as on Windows.
  int open = openPeriods.load();
  while (open > 0) {
    if (openPeriods.compare_exchange_weak(open, open - 1)) return TIMERR_NOERROR;
  }
  return TIMERR_NOCANDO;
}

void WINAPI Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == INFINITE) {
    for (;;) {
      timespec day{86400, 0};
      nanosleep(&day, nullptr);
    }
  }
  timespec remaining{static_cast<time_t>(dwMilliseconds / 1000), static_cast<long>(dwMilliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

void TimerSetCurrentTime(DWORD now) {
  clockFrozen = false;
  clockOffset = now - MonotonicMilliseconds();
}

void TimerFreeze(DWORD now) {
  frozenValue = now;
  clockFrozen = true;
}

void TimerResume(void) {
  if (!clockFrozen.load()) return;
  TimerSetCurrentTime(frozenValue.load());
}

void TimerReset(void) {
  clockFrozen = false;
  clockOffset = 0;
}
