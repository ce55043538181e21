// Implements: the thread's message queue. PeekMessageA, GetMessageA, WaitMessage,
// TranslateMessage (key presses become WM_CHAR / WM_SYSCHAR for the ASCII keys),
// DispatchMessageA, PostMessageA, SendMessageA (a direct call: there is one thread),
// PostQuitMessage. Messages come out in the order Windows gives them: posted and input
// messages first, then the quit message, then WM_PAINT for a window that needs painting.
// A caller that only polls (PeekMessageA finding nothing twice in a row, with nothing shown
// or handled in between) is made to wait a few milliseconds for input, so that a loop which
// draws nothing does not spin a core; a loop that draws is never slowed. A caught SIGTERM
// becomes WM_CLOSE here (termination_signal.h).
// Leaves out: other threads, hooks, timers (WM_TIMER), PM_QS_* filters, posting to windows of
// other programs (PostMessageA then fails with ERROR_NOT_SUPPORTED).
#include <chrono>
#include <deque>
#include <vector>

#include "display_backend.h"
#include "error.h"
#include "gdi.h"
#include "message_queue.h"
#include "termination_signal.h"
#include "window.h"
#include "window_table.h"

namespace {

constexpr int kPollWaitMilliseconds = 5;
constexpr int kBlockingWaitMilliseconds = 20;
constexpr LPARAM kAltDownBit = LPARAM{1} << 29;

struct QueueState {
  std::deque<MSG> posted;
  bool quitPending = false;
  int quitCode = 0;
  uint64_t activityAtLastEmptyPeek = ~uint64_t{0};
  bool shiftDown = false;
};

QueueState& Queue() {
  static QueueState state;
  return state;
}

DWORD Milliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG made{};
  made.hwnd = window;
  made.message = message;
  made.wParam = wParam;
  made.lParam = lParam;
  made.time = Milliseconds();
  made.pt = standin::Display().CursorPosition();
  return made;
}

bool Matches(UINT message, HWND messageWindow, HWND filterWindow, UINT filterMin, UINT filterMax) {
  if (filterWindow == reinterpret_cast<HWND>(-1)) {
    if (messageWindow != nullptr) return false;
  } else if (filterWindow != nullptr && messageWindow != filterWindow) {
    return false;
  }
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

bool TakePosted(MSG& out, HWND filterWindow, UINT filterMin, UINT filterMax, bool remove) {
  auto& posted = Queue().posted;
  for (auto it = posted.begin(); it != posted.end(); ++it) {
    if (!Matches(it->message, it->hwnd, filterWindow, filterMin, filterMax)) continue;
    out = *it;
    if (remove) posted.erase(it);
    return true;
  }
  return false;
}

bool TakeQuit(MSG& out, UINT filterMin, UINT filterMax, bool remove) {
  QueueState& queue = Queue();
  if (!queue.quitPending) return false;
  if (!(filterMin == 0 && filterMax == 0) && (WM_QUIT < filterMin || WM_QUIT > filterMax)) {
    return false;
  }
  out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(static_cast<LONG_PTR>(queue.quitCode)), 0);
  if (remove) queue.quitPending = false;
  return true;
}

// WM_PAINT is never queued: it is made while a window needs painting, until it is painted.
bool TakePaint(MSG& out, HWND filterWindow, UINT filterMin, UINT filterMax) {
  for (HWND handle : standin::AllWindows()) {
    const standin::Window* window = standin::FindOwnWindow(handle);
    if (window == nullptr || !window->needsPaint || !window->visible) continue;
    if (!Matches(WM_PAINT, handle, filterWindow, filterMin, filterMax)) continue;
    out = MakeMessage(handle, WM_PAINT, 0, 0);
    return true;
  }
  return false;
}

bool Take(MSG& out, HWND filterWindow, UINT filterMin, UINT filterMax, bool remove) {
  return TakePosted(out, filterWindow, filterMin, filterMax, remove) || TakeQuit(out, filterMin, filterMax, remove) ||
         TakePaint(out, filterWindow, filterMin, filterMax);
}

void ApplyMove(HWND handle, int clientX, int clientY) {
  standin::Window* window = standin::FindOwnWindow(handle);
  if (window == nullptr) return;
  const int dx = clientX - window->clientRect.left;
  const int dy = clientY - window->clientRect.top;
  if (dx == 0 && dy == 0) return;
  for (RECT* rect : {&window->clientRect, &window->windowRect}) {
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
  }
  SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(clientX, clientY));
}

void ApplyResize(HWND handle, int width, int height) {
  standin::Window* window = standin::FindOwnWindow(handle);
  if (window == nullptr) return;
  const RECT& outer = window->windowRect;
  const RECT& client = window->clientRect;
  const int frameWidth = (outer.right - outer.left) - (client.right - client.left);
  const int frameHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
  SetWindowPos(handle, nullptr, 0, 0, width + frameWidth, height + frameHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

char CharacterOf(WPARAM key, bool shift) {
  if (key >= 'A' && key <= 'Z') return static_cast<char>(shift ? key : key - 'A' + 'a');
  if (key >= '0' && key <= '9' && !shift) return static_cast<char>(key);
  switch (key) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return '\r';
    case VK_BACK:
      return '\b';
    case VK_TAB:
      return '\t';
    case VK_ESCAPE:
      return '\x1b';
    default:
      return 0;
  }
}

}  // namespace

namespace standin {

void DropMessagesFor(HWND window) {
  std::erase_if(Queue().posted, [window](const MSG& message) { return message.hwnd == window; });
}

void PumpDisplay(int waitMilliseconds) {
  DeliverTerminationRequest();
  std::vector<DisplayEvent> events;
  Display().CollectEvents(events, waitMilliseconds);
  for (const DisplayEvent& event : events) {
    if (FindOwnWindow(event.window) == nullptr) continue;
    switch (event.kind) {
      case DisplayEvent::Kind::Message:
        Queue().posted.push_back(MakeMessage(event.window, event.message, event.wParam, event.lParam));
        break;
      case DisplayEvent::Kind::Exposed:
        InvalidateRect(event.window, nullptr, TRUE);
        break;
      case DisplayEvent::Kind::Moved:
        ApplyMove(event.window, event.x, event.y);
        break;
      case DisplayEvent::Kind::Resized:
        ApplyResize(event.window, event.width, event.height);
        break;
      case DisplayEvent::Kind::ParentGone:
        DestroyWindow(event.window);
        break;
    }
  }
}

}  // namespace standin

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
  if (message == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const bool remove = (removeMessage & PM_REMOVE) != 0;
  standin::PumpDisplay(0);
  if (Take(*message, window, filterMin, filterMax, remove)) return TRUE;

  QueueState& queue = Queue();
  const uint64_t activity = standin::ActivityCount();
  const bool onlyPolling = activity == queue.activityAtLastEmptyPeek;
  queue.activityAtLastEmptyPeek = activity;
  if (!onlyPolling) return FALSE;
  standin::PumpDisplay(kPollWaitMilliseconds);
  return Take(*message, window, filterMin, filterMax, remove) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  if (message == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  standin::PumpDisplay(0);
  while (!Take(*message, window, filterMin, filterMax, true)) {
    standin::PumpDisplay(kBlockingWaitMilliseconds);
  }
  return message->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI WaitMessage(void) {
  MSG ignored;
  standin::PumpDisplay(0);
  while (!Take(ignored, nullptr, 0, 0, false)) standin::PumpDisplay(kBlockingWaitMilliseconds);
  return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG* message) {
  if (message == nullptr) return FALSE;
  const UINT kind = message->message;
  if (kind != WM_KEYDOWN && kind != WM_KEYUP && kind != WM_SYSKEYDOWN && kind != WM_SYSKEYUP) {
    return FALSE;
  }
  if (message->wParam == VK_SHIFT) Queue().shiftDown = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN;
  if (kind == WM_KEYUP || kind == WM_SYSKEYUP) return TRUE;
  const char character = CharacterOf(message->wParam, Queue().shiftDown);
  if (character != 0) {
    const bool alt = (message->lParam & kAltDownBit) != 0;
    PostMessageA(message->hwnd, alt ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(character)),
                 message->lParam);
  }
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (message == nullptr) return 0;
  const standin::Window* window = standin::FindOwnWindow(message->hwnd);
  if (window == nullptr || window->procedure == nullptr) return 0;
  standin::NoteActivity();
  return window->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && standin::FindOwnWindow(window) == nullptr) {
    SetLastError(IsWindow(window) ? ERROR_NOT_SUPPORTED : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Queue().posted.push_back(MakeMessage(window, message, wParam, lParam));
  return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const standin::Window* target = standin::FindOwnWindow(window);
  if (target == nullptr || target->procedure == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  standin::NoteActivity();
  return target->procedure(window, message, wParam, lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
  QueueState& queue = Queue();
  queue.quitPending = true;
  queue.quitCode = exitCode;
}
