// Long runs of the saver's frame loop on the reference device, on the stand-in's clock moved
// on by hand: hours of clock time, across the wrap of the 32-bit millisecond clock, and the
// device lost again and again. Memory, reference counts and handles must stay as they were
// after the first frames, and the picture must keep moving, and come back after every loss.
// ctest runs short versions; scripts/long-trials sets ORBELUNE_LONG_RUN_FRAMES and
// ORBELUNE_LONG_RUN_LOSSES for the long ones.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "frame_picture.h"
#include "scene_fixture.h"
#include "window_table.h"

namespace {

unsigned long Setting(const char* name, unsigned long fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtoul(value, nullptr, 10) : fallback;
}

// What a run holds that a leak would grow.
struct Holdings {
  size_t allocatedBytes = 0;
  long residentKilobytes = 0;
  size_t descriptors = 0;
  size_t windows = 0;
  ULONG references = 0;  // summed over the device and every object of the scene
};

template <typename Counted>
ULONG ReferencesOf(Counted* object) {
  if (object == nullptr) return 0;
  object->AddRef();
  return object->Release();
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return 0;
}

class LongRun : public SceneTest {
 protected:
  void TearDown() override {
    unsetenv("ORBELUNE_D3D_LOSE_EVERY");
    SceneTest::TearDown();
  }

  Holdings Held() {
    Holdings held;
    held.allocatedBytes = mallinfo2().uordblks;
    held.residentKilobytes = ResidentKilobytes();
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++held.descriptors;
    held.windows = standin::AllWindows().size();
    held.references = ReferencesOf(Device()) + ReferencesOf(scene.objectTexture) + ReferencesOf(scene.haloTexture) +
                      ReferencesOf(scene.objectQuad) + ReferencesOf(scene.haloQuad) +
                      ReferencesOf(scene.offscreenTexture) + ReferencesOf(scene.offscreenSurface) +
                      ReferencesOf(scene.offscreenDepth) + ReferencesOf(scene.discMesh);
    return held;
  }

  // One frame of the saver's loop at this clock reading: clear, compose, present.
  void PresentAt(DWORD now) {
    TimerFreeze(now);
    graphics.PresentFrame(window, &scene, 25, 0x000000FF, FALSE);
  }

  // The frame of this clock reading, composed and read back without presenting it.
  Picture ComposedAt(DWORD now) { return FrameAt(now - kStartTime, 25, 0x000000FF); }

  static void ExpectSameHoldings(const Holdings& before, const Holdings& after) {
    EXPECT_EQ(after.references, before.references);
    EXPECT_EQ(after.descriptors, before.descriptors);
    EXPECT_EQ(after.windows, before.windows);
    // A few kilobytes of allocator bookkeeping may come and go; a leak of one small object a
    // frame would be hundreds of kilobytes.
    EXPECT_LT(after.allocatedBytes, before.allocatedBytes + 64 * 1024);
    EXPECT_LT(after.residentKilobytes, before.residentKilobytes + 1024);
    std::printf("allocated %zu -> %zu bytes, resident %ld -> %ld kB, %zu descriptors, %u references\n",
                before.allocatedBytes, after.allocatedBytes, before.residentKilobytes, after.residentKilobytes,
                after.descriptors, static_cast<unsigned>(after.references));
  }
};

// The clock starts so that it wraps halfway through the run; frames 50 ms apart (20 a second)
// make 2,000 frames over a minute and a half of clock time, 300,000 frames over four hours.
TEST_F(LongRun, HoursOfFramesAcrossTheClockWrapHoldNothingMore) {
  constexpr DWORD kStep = 50;
  const unsigned long frames = Setting("ORBELUNE_LONG_RUN_FRAMES", 2000);
  const DWORD start = static_cast<DWORD>(0x100000000ull - frames / 2 * kStep);
  TimerFreeze(start);
  ASSERT_EQ(SetUpScene({}), S_OK);
  // The first tenth of the run is the warming up: the rasterizer's work lists grow to the
  // largest the turning picture needs, once.
  const unsigned long warmUp = frames / 10;
  for (unsigned long frame = 0; frame < warmUp; ++frame) PresentAt(start + static_cast<DWORD>(frame) * kStep);
  const Holdings before = Held();

  for (unsigned long frame = warmUp; frame < frames; ++frame) PresentAt(start + static_cast<DWORD>(frame) * kStep);
  ExpectSameHoldings(before, Held());
  std::printf("%lu frames, %lu s of clock time, wrapped at frame %lu\n", frames, frames * kStep / 1000, frames / 2);

  // Across the wrap the readings fall below the curves' start, and the mirrored formula keeps
  // them turning: each frame differs from the one before.
  Picture previous = ComposedAt(0xFFFFFFFFu - kStep);
  for (DWORD now : {0xFFFFFFFFu, 0u, kStep, 2 * kStep}) {
    const Picture picture = ComposedAt(now);
    EXPECT_FALSE(IsUniform(picture, 0)) << now;
    EXPECT_NE(picture, previous) << "the picture stood still at clock " << now;
    previous = picture;
  }
}

// A lost device is reset and the scene makes its target again: the reset puts every render
// state back to its default, so a state the scene never sets, set before each frame, tells
// that a loss happened and was reset.
TEST_F(LongRun, DeviceLostAgainAndAgainComesBackEachTimeAndLeaksNothing) {
  const unsigned long losses = Setting("ORBELUNE_LONG_RUN_LOSSES", 100);
  ASSERT_EQ(SetUpScene({}), S_OK);
  const Picture picture = ComposedAt(kStartTime + 5000);
  ASSERT_FALSE(IsUniform(picture, 0));
  setenv("ORBELUNE_D3D_LOSE_EVERY", "2", 1);
  for (int frame = 0; frame < 10; ++frame) PresentAt(kStartTime + 5000);
  const Holdings before = Held();

  unsigned long resets = 0;
  for (unsigned long frame = 0; resets < losses && frame < 4 * losses; ++frame) {
    Device()->SetRenderState(D3DRS_FOGENABLE, TRUE);
    PresentAt(kStartTime + 5000);
    DWORD fog = TRUE;
    Device()->GetRenderState(D3DRS_FOGENABLE, &fog);
    if (fog == TRUE) continue;
    ++resets;
    ASSERT_EQ(ComposedAt(kStartTime + 5000), picture) << "after loss " << resets;
  }
  EXPECT_EQ(resets, losses);
  ExpectSameHoldings(before, Held());
  std::printf("%lu losses, each reset and the picture back\n", resets);
}

}  // namespace
