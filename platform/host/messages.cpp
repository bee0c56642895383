// Messages: the queue of the thread that runs the windows (PostMessageA,
// PeekMessageA, GetMessageA, DispatchMessageA, TranslateMessage,
// PostQuitMessage) and invalidation (InvalidateRect, UpdateWindow) with the
// WM_PAINT messages it produces.
//
// Differs from Windows: there is one queue for the process; the update region
// is the whole window (the rectangle and the erase flag are not kept); a
// window still invalid after its WM_PAINT was dispatched counts as painted,
// so a procedure that does not validate cannot make the loop spin; there are
// no timers and TranslateMessage makes no WM_CHAR. InvalidateRect and
// PostMessageA may be called from any thread.
#include <chrono>
#include <condition_variable>
#include <deque>

#include "platform/host/testing.h"
#include "platform/host/win32_system.h"
#include "platform/host/windowing.h"

namespace host {
namespace {

struct MessageQueue {
  std::deque<MSG> posted;
  bool quit = false;
  int exitCode = 0;
  unsigned long long events = 0;  // counts posts and invalidations, for waiting
  std::condition_variable_any wake;
};

MessageQueue& Queue() {
  static MessageQueue* queue = new MessageQueue;  // outlives every static destructor
  return *queue;
}

bool InFilter(UINT message, UINT filterMin, UINT filterMax) {
  return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

bool ForWindow(HWND wanted, HWND target) {
  if (wanted == nullptr) return true;
  if (wanted == reinterpret_cast<HWND>(-1)) return target == nullptr;
  return target == wanted || IsDescendant(wanted, target);
}

bool NeedsPaint(HWND handle) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  Window* window = PeekWindowRecord(handle);
  return window != nullptr && window->needsPaint && IsWindowVisible(handle);
}

void Validate(HWND handle) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  if (Window* window = PeekWindowRecord(handle)) window->needsPaint = false;
}

}  // namespace

void WakeMessageLoop() {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  ++Queue().events;
  Queue().wake.notify_all();
}

void MarkForPaint(Window& window) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  window.needsPaint = true;
  WakeMessageLoop();
}

void PaintTree(HWND root) {
  std::vector<HWND> tree;
  for (HWND handle : AllWindows()) {
    if (handle == root || IsDescendant(root, handle)) tree.push_back(handle);
  }
  for (HWND handle : tree) {
    if (!NeedsPaint(handle)) continue;
    SendMessageA(handle, WM_PAINT, 0, 0);
    Validate(handle);
  }
}

void ForgetPostedMessages(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  auto& posted = Queue().posted;
  for (auto it = posted.begin(); it != posted.end();) it = it->hwnd == window ? posted.erase(it) : it + 1;
}

}  // namespace host

using namespace host;

HOSTAPI BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  if (window != nullptr && FindWindowRecord(window) == nullptr) return FALSE;
  Queue().posted.push_back(MSG{window, message, wParam, lParam, GetTickCount(), POINT{0, 0}});
  WakeMessageLoop();
  return TRUE;
}

HOSTAPI void WINAPI PostQuitMessage(int exitCode) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  Queue().quit = true;
  Queue().exitCode = exitCode;
  WakeMessageLoop();
}

HOSTAPI BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
  if (message == nullptr) return FALSE;
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  MessageQueue& queue = Queue();
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!InFilter(it->message, filterMin, filterMax) || !ForWindow(window, it->hwnd)) continue;
    *message = *it;
    if ((removeMessage & PM_REMOVE) != 0) queue.posted.erase(it);
    return TRUE;
  }
  if (queue.quit && InFilter(WM_QUIT, filterMin, filterMax)) {
    *message = MSG{nullptr, WM_QUIT, WPARAM(queue.exitCode), 0, GetTickCount(), POINT{0, 0}};
    if ((removeMessage & PM_REMOVE) != 0) queue.quit = false;
    return TRUE;
  }
  if (InFilter(WM_PAINT, filterMin, filterMax)) {
    for (HWND handle : AllWindows()) {
      if (!ForWindow(window, handle) || !NeedsPaint(handle)) continue;
      *message = MSG{handle, WM_PAINT, 0, 0, GetTickCount(), POINT{0, 0}};
      return TRUE;
    }
  }
  return FALSE;
}

HOSTAPI BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  if (message == nullptr || (window != nullptr && window != reinterpret_cast<HWND>(-1) && !IsWindow(window))) {
    SetLastError(message == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  std::unique_lock<std::recursive_mutex> lock(WindowLock());
  for (;;) {
    unsigned long long seen = Queue().events;
    if (PeekMessageA(message, window, filterMin, filterMax, PM_REMOVE)) return message->message != WM_QUIT;
    Queue().wake.wait(lock, [seen] { return Queue().events != seen; });
  }
}

HOSTAPI BOOL WINAPI TranslateMessage(const MSG* message) {
  return message != nullptr && (message->message == WM_KEYDOWN || message->message == WM_KEYUP);
}

HOSTAPI LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (message == nullptr || message->hwnd == nullptr || !IsWindow(message->hwnd)) return 0;
  LRESULT result = SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
  if (message->message == WM_PAINT) Validate(message->hwnd);
  return result;
}

HOSTAPI BOOL WINAPI InvalidateRect(HWND window, const RECT*, BOOL) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  if (window == nullptr) {
    for (HWND top : TopLevelWindows()) MarkForPaint(*PeekWindowRecord(top));
    return TRUE;
  }
  Window* record = FindWindowRecord(window);
  if (record == nullptr) return FALSE;
  MarkForPaint(*record);
  return TRUE;
}

HOSTAPI BOOL WINAPI UpdateWindow(HWND window) {
  if (FindWindowRecord(window) == nullptr) return FALSE;
  if (NeedsPaint(window)) {
    SendMessageA(window, WM_PAINT, 0, 0);
    Validate(window);
  }
  return TRUE;
}

// Testing controls.

HOSTAPI void HostPaintWindows(void) {
  for (HWND top : TopLevelWindows()) PaintTree(top);
}

HOSTAPI size_t HostPostedMessageCount(void) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  return Queue().posted.size();
}
