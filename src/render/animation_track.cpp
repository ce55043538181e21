#include "render/animation_track.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <new>

namespace {

// The clock values are converted exactly to double and then rounded to single precision, so
// readings above 2^24 lose their low bits exactly as the curve's phase has always done.
float ToSingle(uint32_t value) { return static_cast<float>(static_cast<double>(value)); }

float FractionOfPeriod(uint32_t elapsed, uint32_t period) {
  const float quotient = ToSingle(elapsed % period) / ToSingle(period);
  // A quotient that rounds up to 1.0 wraps to phase 0.
  return quotient - std::trunc(quotient);
}

}  // namespace

AnimationTrack::~AnimationTrack() { FreeKeys(); }

void AnimationTrack::FreeKeys() {
  delete[] keyTimes;
  delete[] keyValues;
  keyTimes = nullptr;
  keyValues = nullptr;
  keyCount = 0;
}

void AnimationTrack::SetKeyCount(uint32_t count) {
  FreeKeys();
  // Each array's byte size has to fit 32 bits, and the count has to fit keyCount: anything
  // larger is an allocation that cannot succeed, and the curve stays empty.
  constexpr uint32_t largestCount = std::numeric_limits<uint32_t>::max() / sizeof(float);
  if (count == 0 || count > largestCount || count > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
    return;
  }
  keyTimes = new (std::nothrow) float[count];
  keyValues = new (std::nothrow) float[count];
  if (keyTimes == nullptr || keyValues == nullptr) {
    FreeKeys();
    return;
  }
  keyCount = static_cast<int32_t>(count);
}

void AnimationTrack::SetKey(int32_t index, float time, float value) {
  if (index < 0 || index >= keyCount) return;
  keyTimes[index] = time;
  keyValues[index] = value;
}

float AnimationTrack::PhaseAt(uint32_t now) const {
  if (periodMs == 0) return 1.0f;
  if (now > startTime) return FractionOfPeriod(now - startTime, periodMs);
  return 1.0f - FractionOfPeriod(startTime - now, periodMs);
}

int32_t AnimationTrack::FindKey(float phase) const {
  if (keyCount <= 0 || phase < keyTimes[0]) return -1;
  int32_t found = -1;
  // `<=` is false for a time that cannot be compared with the phase, which ends the visit.
  for (int32_t k = 0; k < keyCount && keyTimes[k] <= phase; ++k) found = k;
  return found;
}

uint32_t AnimationTrack::Sample(uint32_t now, float* value, uint32_t* held) const {
  if (value == nullptr || held == nullptr || keyCount <= 0) return 0;
  const int32_t last = keyCount - 1;

  if (looping == 0) {
    // The pass is measured as time elapsed since the start, so a pass whose end lies past
    // the clock's wrap still runs through its keys instead of jumping to its end.
    if (now < startTime) {
      *value = keyValues[0];
      *held = 1;
      return 1;
    }
    const uint32_t elapsed = now - startTime;
    if (elapsed > periodMs) {
      *value = keyValues[last];
      *held = 1;
      return 1;
    }
    if (elapsed == 0) {
      *value = keyValues[0];
      *held = 0;
      return 1;
    }
    if (elapsed == periodMs) {
      *value = keyValues[last];
      *held = 0;
      return 1;
    }
  }

  const float phase = PhaseAt(now);
  const int32_t k = FindKey(phase);
  *held = 0;
  if (k < 0) {
    *value = keyValues[0];
  } else if (k >= last) {
    *value = keyValues[last];
  } else {
    const float slope = (keyValues[k + 1] - keyValues[k]) / (keyTimes[k + 1] - keyTimes[k]);
    *value = slope * (phase - keyTimes[k]) + keyValues[k];
  }
  return 1;
}
