// The frame around the picture, on recording Direct3D objects: which calls a frame makes, in
// which order, and what each failure costs.
#include "render/graphics_device.h"
#include "render/kaleido_scene.h"
#include "recording_device.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

struct RecordingFrame {
  CallLog log;
  RecordingDirect3D direct3D{log};
  RecordingDevice device{log};
  KaleidoScene scene;
  // Declared last so that it lets go of the recording objects before they go.
  GraphicsDevice graphics;

  RecordingFrame() {
    graphics.direct3D = &direct3D;
    graphics.device = &device;
    graphics.presentParams.BackBufferWidth = 800;
    graphics.presentParams.BackBufferHeight = 600;
  }

  Calls Frame(BOOL screenshot) {
    log.calls.clear();
    graphics.PresentFrame(nullptr, &scene, 25, 0, screenshot);
    return log.calls;
  }
};

const Calls kCapture = {"GetAdapterDisplayMode", "CreateOffscreenPlainSurface", "GetFrontBufferData",
                        "Surface::Release"};

Calls Join(std::initializer_list<Calls> parts) {
  Calls joined;
  for (const Calls& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

TEST(PresentFrame, CallsAndTheirFailures) {
  const struct {
    const char* name;
    std::set<std::string> failing;
    BOOL screenshot;
    Calls expected;
  } cases[] = {
      {"plain frame", {}, FALSE, {"Clear", "BeginScene", "EndScene", "Present"}},
      {"clear fails: nothing presented", {"Clear"}, FALSE, {"Clear"}},
      {"begin fails: presented undrawn", {"BeginScene"}, FALSE, {"Clear", "BeginScene", "Present"}},
      {"begin fails: no screenshot either", {"BeginScene"}, TRUE, {"Clear", "BeginScene", "Present"}},
      {"end fails: not looked at", {"EndScene"}, FALSE, {"Clear", "BeginScene", "EndScene", "Present"}},
      {"present fails: reset", {"Present"}, FALSE, {"Clear", "BeginScene", "EndScene", "Present", "Reset"}},
      {"screenshot", {}, TRUE, Join({{"Clear", "BeginScene", "EndScene"}, kCapture, {"Present"}})},
      {"no display mode: not presented",
       {"GetAdapterDisplayMode"},
       TRUE,
       {"Clear", "BeginScene", "EndScene", "GetAdapterDisplayMode"}},
      {"no scratch surface: not presented",
       {"CreateOffscreenPlainSurface"},
       TRUE,
       {"Clear", "BeginScene", "EndScene", "GetAdapterDisplayMode", "CreateOffscreenPlainSurface"}},
      {"no desktop image: surface given back, not presented",
       {"GetFrontBufferData"},
       TRUE,
       Join({{"Clear", "BeginScene", "EndScene"}, kCapture})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingFrame frame;
    frame.log.failing = c.failing;
    EXPECT_EQ(frame.Frame(c.screenshot), c.expected);
  }
}

TEST(PresentFrame, ClearsTargetAndDepthToOpaqueBlack) {
  RecordingFrame frame;
  frame.Frame(FALSE);
  EXPECT_EQ(frame.device.clearFlags, static_cast<DWORD>(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
  EXPECT_EQ(frame.device.clearColor, 0xFF000000u);
  EXPECT_EQ(frame.device.clearDepth, 1.0f);
}

TEST(PresentFrame, FailedPresentResetsWithTheStoredParametersEveryTime) {
  RecordingFrame frame;
  frame.log.failing = {"Present", "Reset"};
  const Calls lost = {"Clear", "BeginScene", "EndScene", "Present", "Reset"};
  for (int turn = 0; turn < 3; ++turn) EXPECT_EQ(frame.Frame(FALSE), lost);
  EXPECT_EQ(frame.device.resetParams, &frame.graphics.presentParams);

  frame.log.failing.clear();
  EXPECT_EQ(frame.Frame(FALSE), (Calls{"Clear", "BeginScene", "EndScene", "Present"}));
}

TEST(PresentFrame, CaptureTakesTheWholeDesktopIntoAScratchSurface) {
  RecordingFrame frame;
  frame.direct3D.displayMode = {1280, 1024, 75, D3DFMT_X8R8G8B8};
  frame.Frame(TRUE);
  EXPECT_EQ(frame.device.surfaceWidth, 1280u);
  EXPECT_EQ(frame.device.surfaceHeight, 1024u);
  EXPECT_EQ(frame.device.surfaceFormat, D3DFMT_A8R8G8B8);
  EXPECT_EQ(frame.device.surfacePool, D3DPOOL_SCRATCH);
  EXPECT_NE(frame.device.frontBufferTarget, nullptr);
}

TEST(PresentFrame, NothingWithoutAScene) {
  RecordingFrame frame;
  frame.graphics.PresentFrame(nullptr, nullptr, 25, 0, TRUE);
  EXPECT_TRUE(frame.log.calls.empty());
}

TEST(GraphicsDeviceRelease, DeviceThenDirect3DAndSlotsCleared) {
  RecordingFrame frame;
  frame.graphics.Release();
  EXPECT_EQ(frame.log.calls, (Calls{"Device::Release", "Direct3D::Release"}));
  EXPECT_EQ(frame.graphics.GetDevice(), nullptr);
  EXPECT_EQ(frame.graphics.direct3D, nullptr);
  frame.graphics.Release();
  EXPECT_EQ(frame.log.calls.size(), 2u);
}

}  // namespace
