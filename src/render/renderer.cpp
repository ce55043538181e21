// The renderer's process-wide objects and the two entry points the saver window calls.
#include "render/renderer.h"

#include "render/process_objects.h"
#include "settings/settings_overrides.h"
#include "settings/settings_readers.h"

// Both exist, empty, before the entry runs and live until the process exits. They are
// defined in this order so that exit destroys the scene before the device it was built on.
GraphicsDevice g_graphicsDevice;
KaleidoScene g_kaleidoScene;

BOOL StartRenderer(HWND window, BOOL previewMode) {
  // A preview shows a fixed picture: it reads no settings and creates no device.
  if (previewMode) return TRUE;

  LoadStartupSettings();
  ApplySettingsOverrides(g_settingsOverrides, &g_startupSettings);
  // The frames paint the whole client area; no paint request is to wait for them.
  ValidateRect(window, nullptr);
  if (FAILED(g_graphicsDevice.Create(window))) return FALSE;

  const Settings& s = g_startupSettings;
  const HRESULT setup = g_kaleidoScene.Setup(window, g_graphicsDevice.GetDevice(), s.ObjectDistance, s.ObjectXSpeed,
                                             s.ObjectYSpeed, s.ObjectRotationSpeed, s.RotationSpeed, s.ObjectClockwise,
                                             s.Clockwise, s.BackColor, s.FileName, s.DefImageNum);
  return SUCCEEDED(setup) ? TRUE : FALSE;
}

void FollowWindowSize() { g_graphicsDevice.FollowWindowSize(&g_kaleidoScene); }

void RenderIdleFrame(HWND window, BOOL screenshotRequested) {
  g_graphicsDevice.PresentFrame(window, &g_kaleidoScene, g_startupSettings.Distance, g_startupSettings.HaloColor,
                                screenshotRequested);
}
