// Implements: the SDL2 display backend. Top-level windows are SDL windows whose pictures go
// through the window surface; the full-screen popup is borderless, always on top, at 0, 0 and
// the screen's size; a window with a caption gets the window manager's frame around its
// client area and a close box. Keys, the three mouse buttons, the wheel, pointer movement,
// focus loss (after the window had the focus), the close box and exposure become events.
// Top-level windows are made able to carry OpenGL (for the hardware device) where the
// display offers it. Children of foreign X11 windows (a preview inside another program's window, a
// hack's window), with their OpenGL, and the screen's contents come from X11Preview.
// Leaves out: double-click messages (a second click is a second press), the extra mouse
// buttons, text input events (TranslateMessage makes the characters), several displays.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <map>

#include "display_backend.h"
#include "window.h"
#include "window_table.h"
#include "x11_preview.h"

namespace standin {
namespace {

constexpr int kFallbackRefreshRate = 60;
constexpr int kWaitSlice = 10;

constexpr LPARAM kAltDownBit = LPARAM{1} << 29;
constexpr LPARAM kPreviouslyDownBit = LPARAM{1} << 30;
constexpr LPARAM kReleasedBit = LPARAM{1} << 31;
constexpr WPARAM kNoVirtualKey = 0xFF;

WPARAM VirtualKey(const SDL_Keysym& key) {
  const SDL_Keycode code = key.sym;
  if (code >= SDLK_a && code <= SDLK_z) return 'A' + (code - SDLK_a);
  if (code >= SDLK_0 && code <= SDLK_9) return '0' + (code - SDLK_0);
  if (code >= SDLK_F1 && code <= SDLK_F12) return VK_F1 + (code - SDLK_F1);
  if (code >= SDLK_KP_1 && code <= SDLK_KP_9) return VK_NUMPAD0 + 1 + (code - SDLK_KP_1);
  switch (code) {
    case SDLK_KP_0:
      return VK_NUMPAD0;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    case SDLK_PAUSE:
      return VK_PAUSE;
    case SDLK_CAPSLOCK:
      return VK_CAPITAL;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_END:
      return VK_END;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    default:
      return kNoVirtualKey;  // still a key press: every key counts
  }
}

WPARAM MouseKeys(Uint32 buttons) {
  WPARAM keys = 0;
  if (buttons & SDL_BUTTON_LMASK) keys |= MK_LBUTTON;
  if (buttons & SDL_BUTTON_RMASK) keys |= MK_RBUTTON;
  if (buttons & SDL_BUTTON_MMASK) keys |= MK_MBUTTON;
  const SDL_Keymod modifiers = SDL_GetModState();
  if (modifiers & KMOD_SHIFT) keys |= MK_SHIFT;
  if (modifiers & KMOD_CTRL) keys |= MK_CONTROL;
  return keys;
}

class SdlDisplay;

// A GL context of one SDL window; it stops working, without harm, when the window goes.
class SdlGlContext final : public GlContext {
 public:
  SdlGlContext(SdlDisplay* display, HWND handle, SDL_Window* window, SDL_GLContext context)
      : display_(display), handle_(handle), window_(window), context_(context) {}
  ~SdlGlContext() override { SDL_GL_DeleteContext(context_); }

  void* ProcAddress(const char* name) override { return SDL_GL_GetProcAddress(name); }
  bool MakeCurrent() override { return WindowAlive() && SDL_GL_MakeCurrent(window_, context_) == 0; }
  bool Swap() override;
  bool SetSwapInterval(int interval) override { return SDL_GL_SetSwapInterval(interval) == 0; }
  void DrawableSize(int& width, int& height) override {
    width = 0;
    height = 0;
    if (WindowAlive()) SDL_GL_GetDrawableSize(window_, &width, &height);
  }

 private:
  bool WindowAlive() const;

  SdlDisplay* display_;
  HWND handle_;
  SDL_Window* window_;
  SDL_GLContext context_;
};

class SdlDisplay final : public DisplayBackend {
 public:
  ~SdlDisplay() override {
    for (const auto& entry : windows_) SDL_DestroyWindow(entry.second.window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  const char* Name() const override { return "sdl"; }

  void ScreenSize(int& width, int& height) override {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
      width = mode.w;
      height = mode.h;
    } else {
      width = 0;
      height = 0;
    }
  }

  int RefreshRate(HWND window) override {
    int displayIndex = 0;
    if (const auto found = windows_.find(window); found != windows_.end()) {
      displayIndex = std::max(SDL_GetWindowDisplayIndex(found->second.window), 0);
    }
    SDL_DisplayMode mode{};
    if (SDL_GetCurrentDisplayMode(displayIndex, &mode) == 0 && mode.refresh_rate > 0) {
      return mode.refresh_rate;
    }
    return kFallbackRefreshRate;
  }

  bool OpenWindow(HWND window, const WindowShape& shape) override {
    if (shape.foreignParent != 0) {
      return x11_.OpenChild(window, shape.foreignParent, shape.x, shape.y, shape.width, shape.height);
    }
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (shape.borderless) flags |= SDL_WINDOW_BORDERLESS;
    if (shape.topmost) flags |= SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
    const int width = std::max(shape.width, 1);
    const int height = std::max(shape.height, 1);
    // SDL gives a window OpenGL only when it is made; without GL the window is made plain.
    bool openGl = true;
    SDL_Window* made =
        SDL_CreateWindow(shape.titleUtf8.c_str(), shape.x, shape.y, width, height, flags | SDL_WINDOW_OPENGL);
    if (made == nullptr) {
      openGl = false;
      made = SDL_CreateWindow(shape.titleUtf8.c_str(), shape.x, shape.y, width, height, flags);
    }
    if (made == nullptr) return false;
    windows_[window] = Shown{made, false, openGl};
    byId_[SDL_GetWindowID(made)] = window;
    return true;
  }

  void CloseWindow(HWND window) override {
    x11_.CloseChild(window);
    const auto found = windows_.find(window);
    if (found == windows_.end()) return;
    byId_.erase(SDL_GetWindowID(found->second.window));
    SDL_DestroyWindow(found->second.window);
    windows_.erase(found);
  }

  void SetVisible(HWND window, bool visible) override {
    x11_.SetVisible(window, visible);
    const auto found = windows_.find(window);
    if (found == windows_.end()) return;
    if (!visible) {
      SDL_HideWindow(found->second.window);
      return;
    }
    SDL_ShowWindow(found->second.window);
    SDL_RaiseWindow(found->second.window);
    // Without a window manager nobody hands out the focus; take it, so keys reach us.
    SDL_SetWindowInputFocus(found->second.window);
  }

  void Place(HWND window, int x, int y, int width, int height) override {
    x11_.Place(window, x, y, width, height);
    const auto found = windows_.find(window);
    if (found == windows_.end()) return;
    SDL_SetWindowPosition(found->second.window, x, y);
    SDL_SetWindowSize(found->second.window, std::max(width, 1), std::max(height, 1));
  }

  void SetTitle(HWND window, const std::string& titleUtf8) override {
    const auto found = windows_.find(window);
    if (found != windows_.end()) SDL_SetWindowTitle(found->second.window, titleUtf8.c_str());
  }

  bool ShowPicture(HWND window, const uint32_t* pixels, int width, int height, size_t pitchBytes) override {
    if (x11_.HasChild(window)) return x11_.ShowPicture(window, pixels, width, height, pitchBytes);
    const auto found = windows_.find(window);
    if (found == windows_.end()) return false;
    SDL_Surface* target = SDL_GetWindowSurface(found->second.window);
    if (target == nullptr) return false;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels), width, height, 32,
                                                             static_cast<int>(pitchBytes), SDL_PIXELFORMAT_RGB888);
    if (source == nullptr) return false;
    const bool copied = (source->w == target->w && source->h == target->h)
                            ? SDL_BlitSurface(source, nullptr, target, nullptr) == 0
                            : SDL_BlitScaled(source, nullptr, target, nullptr) == 0;
    SDL_FreeSurface(source);
    return copied && SDL_UpdateWindowSurface(found->second.window) == 0;
  }

  std::unique_ptr<GlContext> CreateGlContext(HWND window) override {
    if (x11_.HasChild(window)) return x11_.CreateGlContext(window);
    const auto found = windows_.find(window);
    if (found == windows_.end() || !found->second.openGl) return nullptr;
    SDL_GLContext context = SDL_GL_CreateContext(found->second.window);
    if (context == nullptr) return nullptr;
    return std::make_unique<SdlGlContext>(this, window, found->second.window, context);
  }

  bool HasWindow(HWND window, SDL_Window* shown) const {
    const auto found = windows_.find(window);
    return found != windows_.end() && found->second.window == shown;
  }

  void CollectEvents(std::vector<DisplayEvent>& events, int waitMilliseconds) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(waitMilliseconds, 0));
    for (;;) {
      const size_t before = events.size();
      SDL_Event event;
      while (SDL_PollEvent(&event)) Translate(event, events);
      x11_.Collect(events, 0);
      if (events.size() > before) return;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      if (left <= 0) return;
      const int slice = static_cast<int>(std::min<int64_t>(left, kWaitSlice));
      if (x11_.HasChildren()) {
        x11_.Collect(events, slice);
      } else if (SDL_WaitEventTimeout(&event, slice)) {
        Translate(event, events);
      }
    }
  }

  POINT CursorPosition() override {
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return POINT{x, y};
  }

  void SetCursorVisible(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

  void SetTextInput(bool enabled) override {
    if (enabled) {
      SDL_StartTextInput();
    } else {
      SDL_StopTextInput();
    }
  }

  bool ForeignWindowExists(uint64_t id) override { return x11_.WindowExists(id); }
  bool ForeignClientSize(uint64_t id, int& width, int& height) override { return x11_.ClientSize(id, width, height); }
  bool CaptureScreen(std::vector<uint32_t>& pixels, int& width, int& height) override {
    return x11_.CaptureRoot(pixels, width, height);
  }

 private:
  struct Shown {
    SDL_Window* window = nullptr;
    bool hadFocus = false;
    bool openGl = false;
  };

  void Translate(const SDL_Event& event, std::vector<DisplayEvent>& events) {
    DisplayEvent made;
    switch (event.type) {
      case SDL_WINDOWEVENT:
        if (!WindowEvent(event.window, made)) return;
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (!KeyEvent(event.key, made)) return;
        break;
      case SDL_MOUSEMOTION:
        made.window = Owner(event.motion.windowID);
        made.message = WM_MOUSEMOVE;
        made.wParam = MouseKeys(event.motion.state);
        made.lParam = MAKELPARAM(event.motion.x, event.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (!ButtonEvent(event.button, made)) return;
        break;
      case SDL_MOUSEWHEEL: {
        made.window = Owner(event.wheel.windowID);
        made.message = WM_MOUSEWHEEL;
        const POINT pointer = CursorPosition();
        made.wParam =
            MAKEWPARAM(MouseKeys(SDL_GetMouseState(nullptr, nullptr)), static_cast<SHORT>(event.wheel.y * WHEEL_DELTA));
        made.lParam = MAKELPARAM(pointer.x, pointer.y);
        break;
      }
      default:
        return;
    }
    if (made.window != nullptr) events.push_back(made);
  }

  bool WindowEvent(const SDL_WindowEvent& event, DisplayEvent& made) {
    made.window = Owner(event.windowID);
    const auto found = windows_.find(made.window);
    if (found == windows_.end()) return false;
    switch (event.event) {
      case SDL_WINDOWEVENT_EXPOSED:
        made.kind = DisplayEvent::Kind::Exposed;
        return true;
      case SDL_WINDOWEVENT_CLOSE:
        made.message = WM_CLOSE;
        return true;
      case SDL_WINDOWEVENT_MOVED:
        made.kind = DisplayEvent::Kind::Moved;
        made.x = event.data1;
        made.y = event.data2;
        return true;
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        made.kind = DisplayEvent::Kind::Resized;
        made.width = event.data1;
        made.height = event.data2;
        return true;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        found->second.hadFocus = true;
        made.message = WM_ACTIVATEAPP;
        made.wParam = TRUE;
        return true;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        // Only a window that was active can be deactivated.
        if (!found->second.hadFocus) return false;
        made.message = WM_ACTIVATEAPP;
        made.wParam = FALSE;
        return true;
      default:
        return false;
    }
  }

  bool KeyEvent(const SDL_KeyboardEvent& event, DisplayEvent& made) {
    made.window = Owner(event.windowID);
    const bool down = event.type == SDL_KEYDOWN;
    const WPARAM key = VirtualKey(event.keysym);
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    // Alt combinations, Alt itself and F10 are system keys, as on Windows.
    const bool system = alt || key == VK_MENU || key == VK_F10;
    made.message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    made.wParam = key;
    LPARAM flags = 1 | (static_cast<LPARAM>(event.keysym.scancode & 0xFF) << 16);
    if (alt) flags |= kAltDownBit;
    if (!down || event.repeat) flags |= kPreviouslyDownBit;
    if (!down) flags |= kReleasedBit;
    made.lParam = flags;
    return true;
  }

  bool ButtonEvent(const SDL_MouseButtonEvent& event, DisplayEvent& made) {
    made.window = Owner(event.windowID);
    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
    switch (event.button) {
      case SDL_BUTTON_LEFT:
        made.message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
      case SDL_BUTTON_RIGHT:
        made.message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
      case SDL_BUTTON_MIDDLE:
        made.message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
      default:
        return false;
    }
    made.wParam = MouseKeys(SDL_GetMouseState(nullptr, nullptr));
    made.lParam = MAKELPARAM(event.x, event.y);
    return true;
  }

  HWND Owner(Uint32 id) const {
    const auto found = byId_.find(id);
    return found == byId_.end() ? nullptr : found->second;
  }

  std::map<HWND, Shown> windows_;
  std::map<Uint32, HWND> byId_;
  X11Preview x11_;
};

bool SdlGlContext::WindowAlive() const { return display_->HasWindow(handle_, window_); }

bool SdlGlContext::Swap() {
  if (!WindowAlive()) return false;
  SDL_GL_SwapWindow(window_);
  // A shown frame is activity, as for the other ways of presenting: the message loop then
  // goes on drawing instead of waiting for input.
  NoteActivity();
  return true;
}

}  // namespace

std::unique_ptr<DisplayBackend> CreateSdlDisplay() {
  // A click that brings the window forward is still a click, and losing the focus must not
  // minimise a full-screen window: the saver decides what deactivation means.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // A termination signal ends the program as it would any other; SDL would only queue it.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Frames arrive finished from the reference device: the plain window framebuffer shows them
  // cheaply, where an accelerated one would go through OpenGL (software GL on most machines
  // without a GPU) and would recreate the window under the saver the first time it presents.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  return std::make_unique<SdlDisplay>();
}

}  // namespace standin
