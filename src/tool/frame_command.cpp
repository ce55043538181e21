// orbelune-tool frame --time MS --size WxH [--registry FILE] [--device ref|hal] --out FILE.bmp:
// draws the frame that a full-screen saver on a screen of that size shows MS milliseconds after
// its scene was set up, with the settings of the store, on the reference device and without a
// display (or, with --device hal, on the OpenGL device in a window of the X display), and
// writes it as a BMP file.
//
// The clock is held: at a fixed reading while the scene is set up (the start of its animation,
// and the seed of the object's random start angle), then at that reading plus MS for the
// frame, so that one command line always gives one picture. The store is only read: the next
// start's built-in image is the one shown, and it is left for that start to flip.
#include <cstdio>
#include <vector>

#include "gfxsupport/textures/surface_saving.h"
#include "render/process_objects.h"
#include "settings/settings_readers.h"
#include "standin_controls.h"
#include "tool/commands.h"
#include "tool/failure_report.h"
#include "tool/frame_arguments.h"
#include "tool/frame_device.h"
#include "tool/input_file.h"

namespace {

// Any fixed reading would do; this is an ordinary one, far from the 32-bit wrap.
constexpr DWORD kSceneStartReading = 1000000;

// The saver's frame (GraphicsDevice::PresentFrame) up to its presentation: there is no display
// to present to, and the back buffer holds the picture.
HRESULT ComposeSaverFrame(IDirect3DDevice9* device, const Settings& settings) {
  HRESULT result = device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  if (FAILED(result)) return result;
  result = device->BeginScene();
  if (FAILED(result)) return result;
  g_kaleidoScene.ComposeFrame(device, settings.Distance, settings.HaloColor);
  return device->EndScene();
}

// Copies the back buffer to system memory, as a render target cannot be locked, and saves it.
HRESULT SaveBackBuffer(IDirect3DDevice9* device, const char* path) {
  IDirect3DSurface9* backBuffer = nullptr;
  HRESULT result = device->GetRenderTarget(0, &backBuffer);
  if (FAILED(result)) return result;
  D3DSURFACE_DESC description{};
  backBuffer->GetDesc(&description);
  IDirect3DSurface9* copy = nullptr;
  result = device->CreateOffscreenPlainSurface(description.Width, description.Height, description.Format,
                                               D3DPOOL_SYSTEMMEM, &copy, nullptr);
  if (SUCCEEDED(result)) result = device->GetRenderTargetData(backBuffer, copy);
  if (SUCCEEDED(result)) result = SaveSurfaceToFile(path, ImageFileFormatBmp, copy, nullptr, nullptr);
  if (copy != nullptr) copy->Release();
  backBuffer->Release();
  return result;
}

// Why a frame could not be written, for the results SaveSurfaceToFile gives.
const char* WritingFailure(HRESULT result) {
  if (result == ErrInvalidData) return "the file cannot be created (is there such a folder, and may it be written?)";
  if (result == E_FAIL) return "writing the file failed (is the disk full?)";
  return "the frame could not be read back from the device";
}

// The store as the saver would find it, without changing it; with --registry, the file given,
// which must exist (a missing user store is an ordinary first start, a missing named one a slip).
int ReadSettings(const FrameRequest& request) {
  if (request.registryFile != nullptr) {
    std::vector<BYTE> contents;
    if (!ReadInputFile(request.registryFile, &contents, "read the registry file")) return 1;
    if (!RegistryUseFile(request.registryFile)) {
      return ReportFailure("use the registry file", request.registryFile, "the stand-in refused it");
    }
  }
  PeekStartupSettings(&g_startupSettings);
  return 0;
}

// The scene set up and drawn with the clock held, and the picture written.
int DrawAndWrite(HWND window, const FrameRequest& request) {
  const Settings& s = g_startupSettings;
  IDirect3DDevice9* device = g_graphicsDevice.GetDevice();
  TimerFreeze(kSceneStartReading);
  // A picture that cannot be read has been told about by the scene, in the saver's words.
  HRESULT result =
      g_kaleidoScene.Setup(window, device, s.ObjectDistance, s.ObjectXSpeed, s.ObjectYSpeed, s.ObjectRotationSpeed,
                           s.RotationSpeed, s.ObjectClockwise, s.Clockwise, s.BackColor, s.FileName, s.DefImageNum);
  if (FAILED(result)) return ReportFailure("set up the scene with the picture", s.FileName, "Setup failed", result);
  TimerFreeze(kSceneStartReading + request.milliseconds);
  result = ComposeSaverFrame(device, s);
  if (FAILED(result)) return ReportFailure("draw", "the frame", "the device refused a call", result);
  result = SaveBackBuffer(device, request.outFile);
  if (FAILED(result)) return ReportFailure("write", request.outFile, WritingFailure(result), result);
  std::printf("written: %s (%dx%d, %lu ms after the start)\n", request.outFile, request.width, request.height,
              static_cast<unsigned long>(request.milliseconds));
  return 0;
}

}  // namespace

int RunFrameCommand(int argc, char** argv) {
  FrameRequest request;
  if (!ReadFrameArguments(argc, argv, &request)) return 2;
  // The OpenGL device needs the X display; the reference device draws the same pixels anywhere.
  if (request.deviceType == D3DDEVTYPE_REF && !standin::headless::Choose(request.width, request.height)) {
    return ReportFailure("choose", "the headless display", "a display is in use already");
  }
  if (const int failed = ReadSettings(request); failed != 0) return failed;

  const HWND window = CreateFrameWindow(request.width, request.height);
  if (window == nullptr) return ReportFailure("create", "the frame's window", "CreateWindowExA failed");
  const char* failedCall = nullptr;
  const HRESULT created = CreateFrameDevice(window, request.deviceType, &g_graphicsDevice, &failedCall);
  const char* device = request.deviceType == D3DDEVTYPE_HAL ? "the OpenGL device" : "the reference device";
  int exitCode = FAILED(created) ? ReportFailure("create", device, failedCall, created) : DrawAndWrite(window, request);
  g_kaleidoScene.Release();
  g_graphicsDevice.Release();
  DestroyWindow(window);
  return exitCode;
}
