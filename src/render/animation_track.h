// A keyframed scalar curve over one period, sampled against the millisecond clock.
//
// Every moving quantity of the picture is one of these: the turn of the disc and the spin and
// sway of the object image. Time never advances by frame count: each sample turns an absolute
// reading of timeGetTime (unsigned 32 bits, wrapping) into a phase within the period and
// interpolates between the keys at that phase. Keys normally lie at phases 0 to 1.
#pragma once

#include <cstdint>

class AnimationTrack {
 public:
  AnimationTrack() = default;
  ~AnimationTrack();
  AnimationTrack(const AnimationTrack&) = delete;
  AnimationTrack& operator=(const AnimationTrack&) = delete;

  // Discards every key and makes room for `count` new ones, undefined until SetKey fills
  // them. When the arrays cannot be had (a byte size beyond 32 bits counts as such), the
  // curve is left empty rather than claiming keys it has no room for.
  void SetKeyCount(uint32_t count);

  // Ignored when the index lies outside the keys.
  void SetKey(int32_t index, float time, float value);

  void SetPeriod(uint32_t milliseconds) { periodMs = milliseconds; }
  void SetLooping(uint32_t flag) { looping = flag; }
  void SetStartTime(uint32_t clockReading) { startTime = clockReading; }

  // Position within the period, in [0, 1], computed in single precision. Readings at or
  // before the start run the curve backwards from its end (the start instant itself is 1).
  float PhaseAt(uint32_t now) const;

  // Index of the last key whose time is at or below the phase (among equal times the later
  // key), or -1 when the phase lies before the first key or there are no keys.
  int32_t FindKey(float phase) const;

  // Writes the curve's value at the clock reading and whether it was held (a one-pass curve
  // clamped outside its pass). Returns 1 when it wrote, 0 for an empty curve or a missing
  // destination, in which case nothing is written and the caller keeps its own default.
  uint32_t Sample(uint32_t now, float* value, uint32_t* held) const;

  int32_t KeyCount() const { return keyCount; }

 private:
  void FreeKeys();

  int32_t keyCount = 0;
  float* keyTimes = nullptr;
  float* keyValues = nullptr;
  uint32_t looping = 1;
  uint32_t startTime = 0;
  uint32_t periodMs = 0;
};
