#include "render/animation_track.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <utility>

namespace {

struct Key {
  float time;
  float value;
};

void Fill(AnimationTrack& track, std::initializer_list<Key> keys, uint32_t periodMs, uint32_t start, uint32_t looping) {
  track.SetKeyCount(static_cast<uint32_t>(keys.size()));
  int32_t index = 0;
  for (const Key& key : keys) track.SetKey(index++, key.time, key.value);
  track.SetPeriod(periodMs);
  track.SetStartTime(start);
  track.SetLooping(looping);
}

struct Sampled {
  uint32_t result;
  float value;
  uint32_t held;
};

// Destinations start at marker values so that an untouched destination shows.
Sampled SampleAt(const AnimationTrack& track, uint32_t now) {
  Sampled s{0, -12345.0f, 77};
  s.result = track.Sample(now, &s.value, &s.held);
  return s;
}

TEST(AnimationTrackEmpty, WritesNothingWithoutKeysOrDestinations) {
  AnimationTrack never;
  AnimationTrack zero;
  zero.SetKeyCount(0);
  for (const AnimationTrack* track : {&never, &zero}) {
    const Sampled s = SampleAt(*track, 1000);
    EXPECT_EQ(s.result, 0u);
    EXPECT_EQ(s.value, -12345.0f);
    EXPECT_EQ(s.held, 77u);
    EXPECT_EQ(track->FindKey(0.5f), -1);
  }

  AnimationTrack keyed;
  Fill(keyed, {{0, 1}, {1, 2}}, 1000, 0, 1);
  float value = 5.0f;
  uint32_t held = 9;
  EXPECT_EQ(keyed.Sample(10, nullptr, &held), 0u);
  EXPECT_EQ(keyed.Sample(10, &value, nullptr), 0u);
  EXPECT_EQ(value, 5.0f);
  EXPECT_EQ(held, 9u);
}

TEST(AnimationTrackLooping, TurnAroundTheStart) {
  AnimationTrack turn;
  Fill(turn, {{0, 0}, {1, 360}}, 1000, 5000, 1);
  const struct {
    uint32_t now;
    float phase;
    float value;
  } cases[] = {
      {5250, 0.25f, 90.0f},  {6000, 0.0f, 0.0f},    {5000, 1.0f, 360.0f},  // the start instant runs from the end
      {4750, 0.75f, 270.0f},                                               // a quarter period before the start
      {7500, 0.5f, 180.0f},  {3750, 0.75f, 270.0f},                        // one and a quarter periods before
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.now);
    EXPECT_EQ(turn.PhaseAt(c.now), c.phase);
    const Sampled s = SampleAt(turn, c.now);
    EXPECT_EQ(s.result, 1u);
    EXPECT_EQ(s.value, c.value);
    EXPECT_EQ(s.held, 0u);
  }
}

TEST(AnimationTrackLooping, ZeroPeriodStaysAtPhaseOne) {
  AnimationTrack track;
  Fill(track, {{0, 10}, {0.5f, 20}, {1, 30}}, 0, 5000, 1);
  for (uint32_t now : {0u, 4999u, 5000u, 5001u, 0xFFFFFFFFu}) {
    EXPECT_EQ(track.PhaseAt(now), 1.0f);
    EXPECT_EQ(SampleAt(track, now).value, 30.0f);
  }
}

TEST(AnimationTrackPhase, FormedInSinglePrecision) {
  // 2^24 + 1 is not a single-precision number: it rounds to 2^24, so the quotient of the
  // last millisecond of the period comes out as exactly 1 and wraps to phase 0.
  const uint32_t period = (1u << 24) + 1;
  AnimationTrack after;
  Fill(after, {{0, 0}, {1, 1}}, period, 0, 1);
  EXPECT_EQ(after.PhaseAt(1u << 24), 0.0f);

  AnimationTrack before;
  Fill(before, {{0, 0}, {1, 1}}, period, 1u << 24, 1);
  EXPECT_EQ(before.PhaseAt(0), 1.0f);

  // The longest period: its quotient near the end rounds to 1 as well.
  AnimationTrack longest;
  Fill(longest, {{0, 0}, {1, 1}}, 0xFFFFFFFFu, 0, 1);
  EXPECT_EQ(longest.PhaseAt(0xFFFFFFFEu), 0.0f);
  EXPECT_EQ(longest.PhaseAt(0x80000000u), 0.5f);
}

TEST(AnimationTrackPhase, ClockWrapUsesTheMirroredFormula) {
  // Started 46 ms before the clock wraps; 46 ms after the start the reading is 0, below the
  // start, so the phase is 1 - ((start - 0) mod period) / period = 1 - 250 / 1000.
  const uint32_t start = 0xFFFFFFFFu - 45;
  AnimationTrack looping;
  Fill(looping, {{0, 0}, {1, 360}}, 1000, start, 1);
  EXPECT_EQ(looping.PhaseAt(0), 0.75f);
  EXPECT_EQ(SampleAt(looping, 0).value, 270.0f);

  AnimationTrack onePass;
  Fill(onePass, {{0, 3}, {1, 8}}, 1000, start, 0);
  const Sampled s = SampleAt(onePass, 0);
  EXPECT_EQ(s.result, 1u);
  EXPECT_EQ(s.value, 3.0f);
  EXPECT_EQ(s.held, 1u);
}

TEST(AnimationTrackOnePass, HoldsItsEndsOutsideThePass) {
  AnimationTrack track;
  Fill(track, {{0, 3}, {1, 8}}, 1000, 5000, 0);
  const struct {
    uint32_t now;
    float value;
    uint32_t held;
  } cases[] = {
      {0, 3.0f, 1},    {4999, 3.0f, 1}, {5000, 3.0f, 0},        {5500, 5.5f, 0},
      {6000, 8.0f, 0}, {6001, 8.0f, 1}, {0xFFFFFFFFu, 8.0f, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.now);
    const Sampled s = SampleAt(track, c.now);
    EXPECT_EQ(s.result, 1u);
    EXPECT_EQ(s.value, c.value);
    EXPECT_EQ(s.held, c.held);
  }
}

TEST(AnimationTrackOnePass, PassEndingBeyondTheClockWrapRunsThroughItsKeys) {
  // The pass runs from 0xFFFFFF00 for 0x200 ms; its end reading wraps to 0x100. Halfway to
  // the wrap the curve is a quarter through, not already at its end.
  AnimationTrack track;
  Fill(track, {{0, 0}, {1, 100}}, 0x200, 0xFFFFFF00u, 0);
  const Sampled s = SampleAt(track, 0xFFFFFF80u);
  EXPECT_EQ(s.value, 25.0f);
  EXPECT_EQ(s.held, 0u);
}

TEST(AnimationTrackKeys, FindKeyAroundTheKeyTimes) {
  AnimationTrack track;
  Fill(track, {{0.2f, 1}, {0.5f, 2}, {0.5f, 3}, {0.8f, 4}}, 1000, 0, 1);
  const std::pair<float, int32_t> cases[] = {
      {0.0f, -1}, {0.19f, -1}, {0.2f, 0}, {0.3f, 0}, {0.5f, 2}, {0.6f, 2}, {0.8f, 3}, {1.0f, 3},
  };
  for (const auto& [phase, key] : cases) EXPECT_EQ(track.FindKey(phase), key) << phase;
}

TEST(AnimationTrackKeys, ValuesBeforeBetweenAndBeyondTheKeys) {
  // Keys at 0.25, two at 0.5 (the later one counts) and 0.75; period 1000 from clock 0.
  AnimationTrack track;
  Fill(track, {{0.25f, 10}, {0.5f, 20}, {0.5f, 40}, {0.75f, 60}}, 1000, 0, 1);
  const std::pair<uint32_t, float> cases[] = {
      {100, 10.0f},                              // before the first key: its value
      {250, 10.0f}, {375, 15.0f}, {500, 40.0f},  // on the equal times: the later key, no division by zero
      {625, 50.0f}, {750, 60.0f},                // at and beyond the last key: its value
      {900, 60.0f},
  };
  for (const auto& [now, value] : cases) {
    SCOPED_TRACE(now);
    const Sampled s = SampleAt(track, now);
    EXPECT_EQ(s.result, 1u);
    EXPECT_EQ(s.value, value);
    EXPECT_EQ(s.held, 0u);
  }
}

TEST(AnimationTrackKeys, SetKeyOutsideTheRangeChangesNothing) {
  AnimationTrack track;
  Fill(track, {{0, 1}, {1, 2}}, 1000, 0, 1);
  track.SetKey(-1, 0.0f, 99.0f);
  track.SetKey(2, 1.0f, 99.0f);
  EXPECT_EQ(SampleAt(track, 500).value, 1.5f);
  EXPECT_EQ(SampleAt(track, 0).value, 2.0f);
}

TEST(AnimationTrackKeys, SetKeyCountDiscardsKeysAndRefusesImpossibleSizes) {
  AnimationTrack track;
  Fill(track, {{0, 1}, {1, 2}}, 1000, 0, 1);
  track.SetKeyCount(1);
  track.SetKey(0, 0.0f, 7.0f);
  EXPECT_EQ(track.KeyCount(), 1);
  EXPECT_EQ(SampleAt(track, 400).value, 7.0f);

  // Four bytes a key: 2^30 keys need 2^32 bytes, beyond 32 bits; the curve is left empty
  // instead of holding arrays shorter than its count.
  for (uint32_t impossible : {1u << 30, 0x80000000u, 0xFFFFFFFFu}) {
    track.SetKeyCount(impossible);
    EXPECT_EQ(track.KeyCount(), 0);
    track.SetKey(0, 0.0f, 1.0f);
    EXPECT_EQ(SampleAt(track, 400).result, 0u);
  }
}

}  // namespace
