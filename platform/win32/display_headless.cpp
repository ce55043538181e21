// Implements: the headless display backend. Windows exist only as records; pictures are kept
// by the window stand-in; the pointer stays where it was put; input comes from tests through
// headless_display.h. The screen is 1024 by 768 pixels, or the size in ORBELUNE_SCREEN_SIZE
// ("WIDTHxHEIGHT"), at 60 Hz.
// Leaves out: foreign windows (none exist without a display) and reading the screen back
// (CaptureDesktop then composes the windows' pictures itself).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "display_backend.h"
#include "headless_display.h"

namespace standin {
namespace {

constexpr int kDefaultScreenWidth = 1024;
constexpr int kDefaultScreenHeight = 768;

class HeadlessDisplay final : public DisplayBackend {
 public:
  HeadlessDisplay() { ReadScreenSize(); }

  const char* Name() const override { return "headless"; }
  void ScreenSize(int& width, int& height) override {
    width = screenWidth_;
    height = screenHeight_;
  }
  int RefreshRate(HWND) override { return 60; }

  bool OpenWindow(HWND, const WindowShape& shape) override { return shape.foreignParent == 0; }
  void CloseWindow(HWND window) override {
    std::erase_if(pending_, [window](const DisplayEvent& event) { return event.window == window; });
    if (focused_ == window) focused_ = nullptr;
  }
  void SetVisible(HWND window, bool visible) override {
    if (visible) {
      focused_ = window;
    } else if (focused_ == window) {
      focused_ = nullptr;
    }
  }
  void Place(HWND, int, int, int, int) override {}
  void SetTitle(HWND, const std::string&) override {}
  bool ShowPicture(HWND, const uint32_t*, int, int, size_t) override { return true; }

  void CollectEvents(std::vector<DisplayEvent>& events, int waitMilliseconds) override {
    if (pending_.empty()) {
      if (waitMilliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMilliseconds));
      }
      return;
    }
    for (DisplayEvent& event : pending_) {
      if (event.window == nullptr) event.window = focused_;
      events.push_back(event);
    }
    pending_.clear();
  }

  POINT CursorPosition() override { return cursor_; }
  void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }
  void SetTextInput(bool enabled) override { textInput_ = enabled; }

  bool ForeignWindowExists(uint64_t) override { return false; }
  bool ForeignClientSize(uint64_t, int&, int&) override { return false; }
  bool CaptureScreen(std::vector<uint32_t>&, int&, int&) override { return false; }

  void MoveCursor(int x, int y) { cursor_ = POINT{x, y}; }
  void Queue(const DisplayEvent& event) { pending_.push_back(event); }
  bool CursorVisible() const { return cursorVisible_; }
  bool TextInput() const { return textInput_; }

 private:
  void ReadScreenSize() {
    const char* text = std::getenv("ORBELUNE_SCREEN_SIZE");
    int width = 0;
    int height = 0;
    if (text != nullptr && std::sscanf(text, "%dx%d", &width, &height) == 2 && width > 0 && height > 0 &&
        width <= headless::kLargestScreenSide && height <= headless::kLargestScreenSide) {
      screenWidth_ = width;
      screenHeight_ = height;
    }
  }

  int screenWidth_ = kDefaultScreenWidth;
  int screenHeight_ = kDefaultScreenHeight;
  POINT cursor_{0, 0};
  bool cursorVisible_ = true;
  bool textInput_ = true;
  std::vector<DisplayEvent> pending_;
  HWND focused_ = nullptr;
};

HeadlessDisplay* ActiveHeadless() { return dynamic_cast<HeadlessDisplay*>(&Display()); }

}  // namespace

std::unique_ptr<DisplayBackend> CreateHeadlessDisplay() { return std::make_unique<HeadlessDisplay>(); }

namespace headless {

bool Active() { return ActiveHeadless() != nullptr; }

bool SetCursorPosition(int x, int y) {
  HeadlessDisplay* display = ActiveHeadless();
  if (display == nullptr) return false;
  display->MoveCursor(x, y);
  return true;
}

bool QueueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HeadlessDisplay* display = ActiveHeadless();
  if (display == nullptr) return false;
  DisplayEvent event;
  event.window = window;
  event.message = message;
  event.wParam = wParam;
  event.lParam = lParam;
  display->Queue(event);
  return true;
}

bool CursorVisible() {
  HeadlessDisplay* display = ActiveHeadless();
  return display != nullptr && display->CursorVisible();
}

bool TextInputEnabled() {
  HeadlessDisplay* display = ActiveHeadless();
  return display != nullptr && display->TextInput();
}

}  // namespace headless
}  // namespace standin
