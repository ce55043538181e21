#include <gtest/gtest.h>

#include "../win32/timer_control.h"  // the stand-in clock, reached beside the umbrella header
#include "winapi.h"

namespace {

class Timer : public testing::Test {
 protected:
  void TearDown() override { TimerReset(); }
};

TEST_F(Timer, CountsMillisecondsAcrossTheWrap) {
  TimerSetCurrentTime(0xFFFFFFF0u);
  DWORD before = timeGetTime();
  Sleep(40);
  DWORD after = timeGetTime();
  EXPECT_LT(after, before) << "the 32-bit count wrapped";
  EXPECT_GE(static_cast<DWORD>(after - before), 40u) << "unsigned differences stay right across the wrap";
}

TEST_F(Timer, FrozenClockHoldsUntilResumed) {
  TimerFreeze(1234);
  Sleep(5);
  EXPECT_EQ(timeGetTime(), 1234u);
  TimerResume();
  Sleep(5);
  DWORD resumed = timeGetTime();
  EXPECT_GE(resumed, 1234u + 5u);
  EXPECT_LT(resumed, 1234u + 60000u) << "resumes from the frozen value, not from the real clock";
}

TEST_F(Timer, PeriodsPairUp) {
  EXPECT_EQ(timeBeginPeriod(0), static_cast<MMRESULT>(TIMERR_NOCANDO));
  EXPECT_EQ(timeEndPeriod(1), static_cast<MMRESULT>(TIMERR_NOCANDO)) << "no period was begun";
  EXPECT_EQ(timeBeginPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
  EXPECT_EQ(timeEndPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
}

}  // namespace
