// The device code on the Direct3D 9 stand-in and the headless display: which device a run
// gets, what the user is shown when there is none, and where the screenshot comes from.
// ctest runs this with ORBELUNE_DISPLAY=headless and a 320 x 240 screen.
#include "render/process_objects.h"
#include "render/renderer.h"
#include "render/screen_capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// A borderless visible window whose client area is exactly the given rectangle of the screen.
class TestWindow {
 public:
  TestWindow(int x, int y, int width, int height) {
    static const bool registered = [] {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = PlainWindowProc;
      windowClass.lpszClassName = "RenderDeviceTest";
      return RegisterClassA(&windowClass) != 0;
    }();
    if (registered) {
      handle = CreateWindowExA(0, "RenderDeviceTest", "Orbelune", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr,
                               nullptr, nullptr, nullptr);
    }
  }
  ~TestWindow() {
    if (handle != nullptr) DestroyWindow(handle);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  HWND handle = nullptr;
};

class ScopedFailures {
 public:
  explicit ScopedFailures(const char* steps) {
    if (steps[0] != '\0') setenv("ORBELUNE_D3D_FAIL", steps, 1);
  }
  ~ScopedFailures() { unsetenv("ORBELUNE_D3D_FAIL"); }
};

// The code of a quit message waiting in the queue, or -1 when there is none.
int PendingQuitCode() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
    DispatchMessageA(&message);  // paint requests stay queued until painted
  }
  return -1;
}

TEST(DeviceCreation, WithoutHardwareTheReferenceDeviceIsUsed) {
  for (const char* failing : {"", "hal-hw", "hal-sw", "hal-hw,hal-sw"}) {
    SCOPED_TRACE(failing);
    ScopedFailures failures(failing);
    TestWindow window(10, 20, 200, 150);
    ASSERT_NE(window.handle, nullptr);
    GraphicsDevice graphics;
    ASSERT_EQ(graphics.Create(window.handle), S_OK);
    ASSERT_NE(graphics.GetDevice(), nullptr);

    D3DDEVICE_CREATION_PARAMETERS creation{};
    ASSERT_EQ(graphics.GetDevice()->GetCreationParameters(&creation), S_OK);
    EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(creation.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING,
              static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
    EXPECT_EQ(creation.hFocusWindow, window.handle);

    // A windowed device whose back buffer the client area sized; the creation wrote the
    // actual size back for the screenshot and Reset.
    const D3DPRESENT_PARAMETERS& params = graphics.presentParams;
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(graphics.direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), S_OK);
    EXPECT_EQ(params.BackBufferWidth, 200u);
    EXPECT_EQ(params.BackBufferHeight, 150u);
    EXPECT_EQ(params.BackBufferFormat, mode.Format);
    EXPECT_EQ(params.BackBufferCount, 1u);
    EXPECT_EQ(params.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(params.Windowed, TRUE);
    EXPECT_EQ(params.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(params.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(params.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_DEFAULT));
    EXPECT_EQ(PendingQuitCode(), -1);
  }
}

TEST(DeviceCreation, NoDeviceAtAllHidesTheWindowAndEndsTheRunWithCodeOne) {
  for (const char* failing : {"all", "ref"}) {
    SCOPED_TRACE(failing);
    ScopedFailures failures(failing);
    TestWindow window(10, 20, 200, 150);
    GraphicsDevice graphics;
    EXPECT_EQ(graphics.Create(window.handle), E_FAIL);
    EXPECT_EQ(graphics.GetDevice(), nullptr);
    EXPECT_NE(graphics.direct3D, nullptr);
    EXPECT_FALSE(IsWindowVisible(window.handle));
    EXPECT_EQ(PendingQuitCode(), 1);
  }
}

TEST(DeviceCreation, MissingDirect3DFailsWithoutTellingTheUser) {
  for (const char* failing : {"create", "displaymode"}) {
    SCOPED_TRACE(failing);
    ScopedFailures failures(failing);
    TestWindow window(10, 20, 200, 150);
    GraphicsDevice graphics;
    EXPECT_EQ(graphics.Create(window.handle), E_FAIL);
    EXPECT_EQ(graphics.GetDevice(), nullptr);
    EXPECT_TRUE(IsWindowVisible(window.handle));
    EXPECT_EQ(PendingQuitCode(), -1);
  }
}

}  // namespace

namespace {

uint32_t LittleEndian32(const std::vector<uint8_t>& bytes, size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

// A 32-bit bottom-up BMP as the screenshot writes it; pixels as 0x00RRGGBB, rows top-down.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

bool ReadScreenshot(const char* path, Screenshot& shot) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint32_t offset = LittleEndian32(bytes, 10);
  shot.width = static_cast<int>(LittleEndian32(bytes, 18));
  shot.height = static_cast<int>(LittleEndian32(bytes, 22));
  if ((bytes[28] | bytes[29] << 8) != 32 || shot.width <= 0 || shot.height <= 0) return false;
  const size_t stride = static_cast<size_t>(shot.width) * 4;
  if (bytes.size() < offset + stride * shot.height) return false;
  shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
  for (int y = 0; y < shot.height; ++y) {
    const size_t row = offset + stride * (shot.height - 1 - y);
    for (int x = 0; x < shot.width; ++x) {
      shot.pixels[static_cast<size_t>(y) * shot.width + x] = LittleEndian32(bytes, row + 4 * x) & 0xFFFFFF;
    }
  }
  return true;
}

class InTemporaryDirectory {
 public:
  InTemporaryDirectory() {
    char pattern[] = "/tmp/render_capture_XXXXXX";
    directory = mkdtemp(pattern);
    previous = std::filesystem::current_path();
    std::filesystem::current_path(directory);
  }
  ~InTemporaryDirectory() {
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(directory);
  }

 private:
  std::filesystem::path directory;
  std::filesystem::path previous;
};

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// Shows a blue frame with a red top-left and a green bottom-right pixel in the window.
void PresentMarkedFrame(IDirect3DDevice9* device, int width, int height) {
  const D3DRECT topLeft = {0, 0, 1, 1};
  const D3DRECT bottomRight = {width - 1, height - 1, width, height};
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000 | kBlue, 1.0f, 0);
  device->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFF000000 | kRed, 1.0f, 0);
  device->Clear(1, &bottomRight, D3DCLEAR_TARGET, 0xFF000000 | kGreen, 1.0f, 0);
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

TEST(ScreenCapture, WritesTheClientAreaAtTheWindowsScreenPosition) {
  constexpr int width = 64, height = 48;
  TestWindow window(37, 23, width, height);
  GraphicsDevice graphics;
  KaleidoScene scene;
  ASSERT_EQ(graphics.Create(window.handle), S_OK);
  InTemporaryDirectory scratch;

  // Where the window was created, then after it has moved.
  for (const POINT position : {POINT{37, 23}, POINT{250, 180}}) {
    SCOPED_TRACE(position.x);
    SetWindowPos(window.handle, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PresentMarkedFrame(graphics.GetDevice(), width, height);
    std::filesystem::remove(kScreenshotFileName);
    graphics.PresentFrame(window.handle, &scene, 25, 0, TRUE);

    Screenshot shot;
    ASSERT_TRUE(ReadScreenshot(kScreenshotFileName, shot));
    ASSERT_EQ(shot.width, width);
    ASSERT_EQ(shot.height, height);
    EXPECT_EQ(shot.At(0, 0), kRed);
    EXPECT_EQ(shot.At(width - 1, height - 1), kGreen);
    int others = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) others += shot.At(x, y) == kBlue;
    }
    EXPECT_EQ(others, width * height - 2);
  }
}

TEST(ScreenCapture, NoFileWithoutTheRequest) {
  TestWindow window(37, 23, 64, 48);
  GraphicsDevice graphics;
  KaleidoScene scene;
  ASSERT_EQ(graphics.Create(window.handle), S_OK);
  InTemporaryDirectory scratch;
  graphics.PresentFrame(window.handle, &scene, 25, 0, FALSE);
  EXPECT_FALSE(std::filesystem::exists(kScreenshotFileName));
}

}  // namespace

namespace {

class TemporaryRegistry {
 public:
  TemporaryRegistry() {
    char pattern[] = "/tmp/render_registry_XXXXXX";
    directory = mkdtemp(pattern);
    file = directory / "registry.reg";
    setenv("ORBELUNE_REGISTRY", file.c_str(), 1);
  }
  ~TemporaryRegistry() {
    unsetenv("ORBELUNE_REGISTRY");
    std::filesystem::remove_all(directory);
  }
  std::filesystem::path directory;
  std::filesystem::path file;
};

bool PaintPending(HWND window) {
  MSG message;
  return PeekMessageA(&message, window, WM_PAINT, WM_PAINT, PM_NOREMOVE) != FALSE;
}

TEST(StartRenderer, PreviewStartsNothingAndARunGetsDeviceAndScene) {
  TemporaryRegistry registry;
  TestWindow window(0, 0, 160, 120);

  EXPECT_TRUE(StartRenderer(window.handle, TRUE));
  EXPECT_FALSE(std::filesystem::exists(registry.file)) << "a preview reads no settings";
  EXPECT_EQ(g_graphicsDevice.GetDevice(), nullptr);

  ASSERT_TRUE(PaintPending(window.handle));
  EXPECT_TRUE(StartRenderer(window.handle, FALSE));
  EXPECT_NE(g_graphicsDevice.GetDevice(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(registry.file)) << "the next start's image is written back";
  EXPECT_FALSE(PaintPending(window.handle)) << "the frames paint the window, not WM_PAINT";
  RenderIdleFrame(window.handle, FALSE);

  {
    ScopedFailures failures("all");
    EXPECT_FALSE(StartRenderer(window.handle, FALSE));
    EXPECT_EQ(g_graphicsDevice.GetDevice(), nullptr);
    EXPECT_EQ(PendingQuitCode(), 1);
  }
  g_kaleidoScene.Release();
  g_graphicsDevice.Release();
}

}  // namespace
