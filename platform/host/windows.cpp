// Windows: the window table, creation and destruction, the window tree and
// its geometry, texts, window data, visibility, enabling, focus and capture,
// SendMessageA and DefWindowProcA; message boxes; the testing controls that
// find windows and press the mouse.
//
// Differs from Windows: nothing is shown. The screen is 1024 x 768; a popup
// with a caption has a 3-pixel border and a 19-pixel caption, a child with
// WS_BORDER a 1-pixel border; there are no menus, no non-client messages and
// no activation. A message box is not shown but recorded for tests, printed to
// stderr as "MessageBox [caption]: text" and answered IDOK at once. Handles are
// never reused within a process, so a stale handle stays invalid.
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/testing.h"
#include "platform/host/windowing.h"

namespace {

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  UINT type;
};

struct MessageBoxes {
  std::mutex mutex;
  std::vector<MessageBoxRecord> shown;
};

MessageBoxes& TheMessageBoxes() {
  static MessageBoxes* boxes = new MessageBoxes;  // outlives every static destructor
  return *boxes;
}

}  // namespace

HOSTAPI int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  MessageBoxRecord record{text ? text : "", caption ? caption : "Error", type};
  fprintf(stderr, "MessageBox [%s]: %s\n", record.caption.c_str(), record.text.c_str());
  MessageBoxes& boxes = TheMessageBoxes();
  std::lock_guard<std::mutex> lock(boxes.mutex);
  boxes.shown.push_back(record);
  return IDOK;
}

// Testing controls.

HOSTAPI size_t HostMessageBoxCount(void) {
  MessageBoxes& boxes = TheMessageBoxes();
  std::lock_guard<std::mutex> lock(boxes.mutex);
  return boxes.shown.size();
}

HOSTAPI const char* HostMessageBoxText(size_t index) {
  MessageBoxes& boxes = TheMessageBoxes();
  std::lock_guard<std::mutex> lock(boxes.mutex);
  return index < boxes.shown.size() ? boxes.shown[index].text.c_str() : nullptr;
}

HOSTAPI const char* HostMessageBoxCaption(size_t index) {
  MessageBoxes& boxes = TheMessageBoxes();
  std::lock_guard<std::mutex> lock(boxes.mutex);
  return index < boxes.shown.size() ? boxes.shown[index].caption.c_str() : nullptr;
}

HOSTAPI void HostClearMessageBoxes(void) {
  MessageBoxes& boxes = TheMessageBoxes();
  std::lock_guard<std::mutex> lock(boxes.mutex);
  boxes.shown.clear();
}

// The window table.

namespace host {

namespace {

struct WindowTable {
  std::map<uintptr_t, std::unique_ptr<Window>> windows;
  uintptr_t nextHandle = 0x10000;
  HWND focus = nullptr;
  HWND capture = nullptr;
  bool leftButtonDown = false;
};

WindowTable& Table() {
  static WindowTable* table = new WindowTable;  // outlives every static destructor
  return *table;
}

WNDPROC ProcOf(WindowClass kind) {
  switch (kind) {
    case WindowClass::Dialog: return DialogWindowProc;
    case WindowClass::Button: return ButtonProc;
    case WindowClass::Static: return StaticProc;
    case WindowClass::Edit: return EditProc;
    case WindowClass::ComboBox: return ComboBoxProc;
    case WindowClass::Tab: return TabProc;
    case WindowClass::Trackbar: return TrackbarProc;
    case WindowClass::ListBox:
    case WindowClass::ScrollBar: return DefWindowProcA;
  }
  return DefWindowProcA;
}

void CollectTree(HWND root, std::vector<HWND>* out) {
  Window* window = PeekWindowRecord(root);
  if (window == nullptr) return;
  out->push_back(root);
  for (HWND child : window->children) CollectTree(child, out);
}

bool IsChildWindow(const Window& window) { return (window.style & WS_CHILD) != 0; }

void MarkParentForPaint(const Window& window) {
  Window* parent = IsChildWindow(window) ? PeekWindowRecord(window.parent) : nullptr;
  if (parent != nullptr) MarkForPaint(*parent);
}

void SendDestroyMessages(HWND handle) {
  SendMessageA(handle, WM_DESTROY, 0, 0);
  Window* window = PeekWindowRecord(handle);
  if (window == nullptr) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) SendDestroyMessages(child);
}

void FinishDestroy(HWND handle) {
  Window* window = PeekWindowRecord(handle);
  if (window == nullptr) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) FinishDestroy(child);
  SendMessageA(handle, WM_NCDESTROY, 0, 0);
  ReleaseWindowContexts(handle);
  ForgetPostedMessages(handle);
  WindowTable& table = Table();
  if (table.focus == handle) table.focus = nullptr;
  if (table.capture == handle) table.capture = nullptr;
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  window = PeekWindowRecord(handle);
  if (window == nullptr) return;
  if (Window* parent = PeekWindowRecord(window->parent)) {
    auto& siblings = parent->children;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
      if (*it == handle) {
        siblings.erase(it);
        break;
      }
    }
  }
  table.windows.erase(reinterpret_cast<uintptr_t>(handle));
}

void MarkDestroying(HWND handle) {
  Window* window = PeekWindowRecord(handle);
  if (window == nullptr) return;
  window->destroying = true;
  for (HWND child : window->children) MarkDestroying(child);
}

// The deepest window under a point of a window's client area that takes mouse
// input; the point comes back in that window's client coordinates.
HWND WindowAtPoint(HWND handle, POINT* point) {
  Window* window = PeekWindowRecord(handle);
  if (window == nullptr) return nullptr;
  for (HWND childHandle : window->children) {
    Window* child = PeekWindowRecord(childHandle);
    if (child == nullptr || (child->style & WS_VISIBLE) == 0) continue;
    if (point->x < child->rect.left || point->x >= child->rect.right ||
        point->y < child->rect.top || point->y >= child->rect.bottom)
      continue;
    RECT frame = FrameInsets(*child);
    POINT inner{point->x - child->rect.left - frame.left, point->y - child->rect.top - frame.top};
    if (IsMouseTransparent(*child, inner)) continue;
    *point = inner;
    return WindowAtPoint(childHandle, point);
  }
  return handle;
}

BOOL DeliverMouse(HWND window, int x, int y, UINT message, WPARAM keys) {
  Window* record = FindWindowRecord(window);
  if (record == nullptr) return FALSE;
  HWND target = Table().capture;
  POINT point{x, y};
  if (target != nullptr) {
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    ScreenToClient(target, &screen);
    point = screen;
  } else {
    target = WindowAtPoint(window, &point);
  }
  if (target == nullptr || !TakesUserInput(target)) return FALSE;
  SendMessageA(target, message, keys, MAKELPARAM(point.x, point.y));
  return TRUE;
}

}  // namespace

std::recursive_mutex& WindowLock() {
  static std::recursive_mutex* lock = new std::recursive_mutex;
  return *lock;
}

Window* PeekWindowRecord(HWND handle) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  auto& windows = Table().windows;
  auto it = windows.find(reinterpret_cast<uintptr_t>(handle));
  return it == windows.end() ? nullptr : it->second.get();
}

Window* FindWindowRecord(HWND handle) {
  Window* window = PeekWindowRecord(handle);
  if (window == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

Window* CreateWindowRecord(WindowClass kind, DWORD style, DWORD exStyle, int id, HWND parent,
                           HINSTANCE instance, const RECT& rect, const std::string& text) {
  auto record = std::make_unique<Window>();
  Window* window = record.get();
  window->kind = kind;
  window->proc = ProcOf(kind);
  window->style = style;
  window->exStyle = exStyle;
  window->id = id;
  window->instance = instance;
  window->parent = parent;
  window->rect = rect;
  window->text = text;
  {
    std::lock_guard<std::recursive_mutex> lock(WindowLock());
    WindowTable& table = Table();
    window->handle = reinterpret_cast<HWND>(table.nextHandle);
    table.nextHandle += 0x10;
    table.windows.emplace(reinterpret_cast<uintptr_t>(window->handle), std::move(record));
    if ((style & WS_CHILD) != 0) {
      if (Window* parentRecord = PeekWindowRecord(parent)) parentRecord->children.push_back(window->handle);
    }
  }
  HWND handle = window->handle;
  if (SendMessageA(handle, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  window = PeekWindowRecord(handle);
  if (window != nullptr && (window->style & WS_VISIBLE) != 0) MarkForPaint(*window);
  return window;
}

std::vector<HWND> TopLevelWindows() {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  std::vector<HWND> result;
  for (auto& entry : Table().windows) {
    if (!IsChildWindow(*entry.second)) result.push_back(entry.second->handle);
  }
  return result;
}

std::vector<HWND> AllWindows() {
  std::vector<HWND> result;
  for (HWND top : TopLevelWindows()) CollectTree(top, &result);
  return result;
}

RECT FrameInsets(const Window& window) {
  int border = 0;
  bool dialogFrame = (window.style & WS_DLGFRAME) != 0 || (window.exStyle & WS_EX_DLGMODALFRAME) != 0 ||
                     (window.kind == WindowClass::Dialog && (window.style & DS_MODALFRAME) != 0);
  if (dialogFrame)
    border = kDialogBorder;
  else if ((window.style & WS_BORDER) != 0)
    border = 1;
  if ((window.exStyle & WS_EX_CLIENTEDGE) != 0) border += 2;
  if ((window.exStyle & WS_EX_STATICEDGE) != 0) border += 1;
  RECT frame{border, border, border, border};
  if ((window.style & WS_CAPTION) == WS_CAPTION) frame.top += kCaptionHeight;
  return frame;
}

POINT ClientOriginOnScreen(const Window& window) {
  RECT frame = FrameInsets(window);
  POINT origin{window.rect.left + frame.left, window.rect.top + frame.top};
  if (IsChildWindow(window)) {
    if (Window* parent = PeekWindowRecord(window.parent)) {
      POINT parentOrigin = ClientOriginOnScreen(*parent);
      origin.x += parentOrigin.x;
      origin.y += parentOrigin.y;
    }
  }
  return origin;
}

int ClientWidth(const Window& window) {
  RECT frame = FrameInsets(window);
  int width = window.rect.right - window.rect.left - frame.left - frame.right;
  return width > 0 ? width : 0;
}

int ClientHeight(const Window& window) {
  RECT frame = FrameInsets(window);
  int height = window.rect.bottom - window.rect.top - frame.top - frame.bottom;
  return height > 0 ? height : 0;
}

bool IsDescendant(HWND ancestor, HWND handle) {
  Window* window = PeekWindowRecord(handle);
  while (window != nullptr && IsChildWindow(*window)) {
    if (window->parent == ancestor) return true;
    window = PeekWindowRecord(window->parent);
  }
  return false;
}

bool TakesUserInput(HWND handle) {
  if (!IsWindowVisible(handle)) return false;
  for (Window* window = PeekWindowRecord(handle); window != nullptr;
       window = IsChildWindow(*window) ? PeekWindowRecord(window->parent) : nullptr) {
    if ((window->style & WS_DISABLED) != 0) return false;
  }
  return true;
}

void NotifyParent(const Window& control, WORD code) {
  if (!IsChildWindow(control)) return;
  SendMessageA(control.parent, WM_COMMAND, MAKEWPARAM(control.id, code),
               reinterpret_cast<LPARAM>(control.handle));
}

}  // namespace host

using namespace host;

HOSTAPI BOOL WINAPI IsWindow(HWND window) { return PeekWindowRecord(window) != nullptr; }

HOSTAPI BOOL WINAPI DestroyWindow(HWND handle) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr) return FALSE;
  if (window->destroying) return TRUE;
  MarkDestroying(handle);
  if ((window->style & WS_VISIBLE) != 0) {
    window->style &= ~WS_VISIBLE;
    MarkParentForPaint(*window);
  }
  // Windows it owns go first, as on Windows.
  for (HWND top : TopLevelWindows()) {
    Window* owned = PeekWindowRecord(top);
    if (owned != nullptr && owned->parent == handle) DestroyWindow(top);
  }
  SendDestroyMessages(handle);
  FinishDestroy(handle);
  return TRUE;
}

HOSTAPI HWND WINAPI GetParent(HWND handle) {
  Window* window = FindWindowRecord(handle);
  return window == nullptr ? nullptr : window->parent;
}

HOSTAPI BOOL WINAPI ShowWindow(HWND handle, int command) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr) return FALSE;
  BOOL wasVisible = (window->style & WS_VISIBLE) != 0;
  BOOL show = command != SW_HIDE;
  if (show == wasVisible) return wasVisible;
  SendMessageA(handle, WM_SHOWWINDOW, show, 0);
  window = PeekWindowRecord(handle);
  if (window == nullptr) return wasVisible;
  if (show) {
    window->style |= WS_VISIBLE;
    MarkForPaint(*window);
  } else {
    window->style &= ~WS_VISIBLE;
  }
  MarkParentForPaint(*window);
  return wasVisible;
}

HOSTAPI BOOL WINAPI IsWindowVisible(HWND handle) {
  Window* window = PeekWindowRecord(handle);
  while (window != nullptr) {
    if ((window->style & WS_VISIBLE) == 0) return FALSE;
    if (!IsChildWindow(*window)) return TRUE;
    window = PeekWindowRecord(window->parent);
  }
  return FALSE;
}

HOSTAPI BOOL WINAPI EnableWindow(HWND handle, BOOL enable) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr) return FALSE;
  BOOL wasDisabled = (window->style & WS_DISABLED) != 0;
  if (wasDisabled == !enable) return wasDisabled;
  if (enable) {
    window->style &= ~WS_DISABLED;
  } else {
    window->style |= WS_DISABLED;
    if (Table().focus == handle) SetFocus(nullptr);
  }
  MarkForPaint(*window);
  SendMessageA(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

HOSTAPI BOOL WINAPI IsWindowEnabled(HWND handle) {
  Window* window = PeekWindowRecord(handle);
  return window != nullptr && (window->style & WS_DISABLED) == 0;
}

HOSTAPI HWND WINAPI SetFocus(HWND handle) {
  WindowTable& table = Table();
  if (handle != nullptr && FindWindowRecord(handle) == nullptr) return nullptr;
  HWND previous = table.focus;
  if (previous == handle) return previous;
  table.focus = handle;
  if (previous != nullptr && IsWindow(previous))
    SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle), 0);
  if (handle != nullptr) SendMessageA(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

HOSTAPI HWND WINAPI GetFocus(void) { return Table().focus; }

HOSTAPI HWND WINAPI SetCapture(HWND handle) {
  HWND previous = Table().capture;
  Table().capture = IsWindow(handle) ? handle : nullptr;
  return previous;
}

HOSTAPI BOOL WINAPI ReleaseCapture(void) {
  Table().capture = nullptr;
  return TRUE;
}

HOSTAPI HWND WINAPI GetCapture(void) { return Table().capture; }

HOSTAPI BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  if (FindWindowRecord(window) == nullptr) return FALSE;
  return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

HOSTAPI int WINAPI GetWindowTextA(HWND window, LPSTR text, int size) {
  if (text != nullptr && size > 0) text[0] = '\0';
  if (FindWindowRecord(window) == nullptr || text == nullptr || size <= 0) return 0;
  return int(SendMessageA(window, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(text)));
}

HOSTAPI int WINAPI GetWindowTextLengthA(HWND window) {
  if (FindWindowRecord(window) == nullptr) return 0;
  return int(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
}

HOSTAPI LONG_PTR WINAPI GetWindowLongPtrA(HWND handle, int index) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr) return 0;
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(window->parent);
    case GWLP_ID: return window->id;
    case GWL_STYLE: return LONG_PTR(LONG(window->style));
    case GWL_EXSTYLE: return LONG_PTR(LONG(window->exStyle));
    case GWLP_USERDATA: return window->userData;
    default: break;
  }
  if (window->kind == WindowClass::Dialog) {
    if (index == int(DWLP_MSGRESULT)) return window->msgResult;
    if (index == int(DWLP_DLGPROC)) return reinterpret_cast<LONG_PTR>(window->dialogProc);
    if (index == int(DWLP_USER)) return window->dialogUser;
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

HOSTAPI LONG_PTR WINAPI SetWindowLongPtrA(HWND handle, int index, LONG_PTR value) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr) return 0;
  LONG_PTR previous = GetWindowLongPtrA(handle, index);
  switch (index) {
    case GWLP_WNDPROC:
      if (value == 0) break;
      window->proc = reinterpret_cast<WNDPROC>(value);
      return previous;
    case GWLP_HINSTANCE: window->instance = reinterpret_cast<HINSTANCE>(value); return previous;
    case GWLP_ID: window->id = int(value); return previous;
    case GWL_STYLE:
      window->style = DWORD(value);
      MarkForPaint(*window);
      return previous;
    case GWL_EXSTYLE: window->exStyle = DWORD(value); return previous;
    case GWLP_USERDATA: window->userData = value; return previous;
    default: break;
  }
  if (window->kind == WindowClass::Dialog) {
    if (index == int(DWLP_MSGRESULT)) {
      window->msgResult = value;
      return previous;
    }
    if (index == int(DWLP_DLGPROC)) {
      window->dialogProc = reinterpret_cast<DLGPROC>(value);
      return previous;
    }
    if (index == int(DWLP_USER)) {
      window->dialogUser = value;
      return previous;
    }
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

HOSTAPI LONG WINAPI GetWindowLongA(HWND window, int index) {
  return LONG(GetWindowLongPtrA(window, index));
}

HOSTAPI LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
  return LONG(SetWindowLongPtrA(window, index, value));
}

HOSTAPI BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = window->rect;
  if (IsChildWindow(*window)) {
    if (Window* parent = PeekWindowRecord(window->parent)) {
      POINT origin = ClientOriginOnScreen(*parent);
      rect->left += origin.x;
      rect->right += origin.x;
      rect->top += origin.y;
      rect->bottom += origin.y;
    }
  }
  return TRUE;
}

HOSTAPI BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = RECT{0, 0, ClientWidth(*window), ClientHeight(*window)};
  return TRUE;
}

HOSTAPI BOOL WINAPI SetWindowPos(HWND handle, HWND, int x, int y, int cx, int cy, UINT flags) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr) return FALSE;
  RECT old = window->rect;
  if ((flags & SWP_NOMOVE) == 0) {
    window->rect.right += x - window->rect.left;
    window->rect.bottom += y - window->rect.top;
    window->rect.left = x;
    window->rect.top = y;
  }
  if ((flags & SWP_NOSIZE) == 0) {
    window->rect.right = window->rect.left + (cx > 0 ? cx : 0);
    window->rect.bottom = window->rect.top + (cy > 0 ? cy : 0);
  }
  bool moved = old.left != window->rect.left || old.top != window->rect.top;
  bool sized = old.right - old.left != window->rect.right - window->rect.left ||
               old.bottom - old.top != window->rect.bottom - window->rect.top;
  if (moved || sized) {
    MarkForPaint(*window);
    MarkParentForPaint(*window);
  }
  if (moved) {
    POINT origin{window->rect.left + FrameInsets(*window).left, window->rect.top + FrameInsets(*window).top};
    SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  }
  window = PeekWindowRecord(handle);
  if (window != nullptr && sized)
    SendMessageA(handle, WM_SIZE, 0, MAKELPARAM(ClientWidth(*window), ClientHeight(*window)));
  if ((flags & SWP_SHOWWINDOW) != 0) ShowWindow(handle, SW_SHOWNA);
  if ((flags & SWP_HIDEWINDOW) != 0) ShowWindow(handle, SW_HIDE);
  return TRUE;
}

HOSTAPI BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(window, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

HOSTAPI BOOL WINAPI ClientToScreen(HWND handle, LPPOINT point) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr || point == nullptr) return FALSE;
  POINT origin = ClientOriginOnScreen(*window);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

HOSTAPI BOOL WINAPI ScreenToClient(HWND handle, LPPOINT point) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr || point == nullptr) return FALSE;
  POINT origin = ClientOriginOnScreen(*window);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

HOSTAPI int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  POINT fromOrigin{0, 0}, toOrigin{0, 0};
  if (from != nullptr) {
    Window* window = FindWindowRecord(from);
    if (window == nullptr) return 0;
    fromOrigin = ClientOriginOnScreen(*window);
  }
  if (to != nullptr) {
    Window* window = FindWindowRecord(to);
    if (window == nullptr) return 0;
    toOrigin = ClientOriginOnScreen(*window);
  }
  int dx = fromOrigin.x - toOrigin.x, dy = fromOrigin.y - toOrigin.y;
  for (UINT i = 0; points != nullptr && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return int(MAKELONG(WORD(dx), WORD(dy)));
}

HOSTAPI LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr) return 0;
  WNDPROC proc = window->proc;
  return proc(handle, message, wParam, lParam);
}

HOSTAPI LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
  return proc == nullptr ? 0 : proc(window, message, wParam, lParam);
}

HOSTAPI LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = FindWindowRecord(handle);
  if (window == nullptr) return 0;
  switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_SETTEXT:
      window->text = lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : "";
      MarkForPaint(*window);
      return TRUE;
    case WM_GETTEXT: {
      char* buffer = reinterpret_cast<char*>(lParam);
      if (buffer == nullptr || wParam == 0) return 0;
      size_t length = window->text.size() < wParam - 1 ? window->text.size() : wParam - 1;
      memcpy(buffer, window->text.data(), length);
      buffer[length] = '\0';
      return LRESULT(length);
    }
    case WM_GETTEXTLENGTH: return LRESULT(window->text.size());
    case WM_CLOSE: DestroyWindow(handle); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(handle, &paint);
      EndPaint(handle, &paint);
      return 0;
    }
    default: return 0;
  }
}

// Testing controls: finding windows, the mouse, and what is alive.

HOSTAPI size_t HostLiveWindowCount(void) {
  std::lock_guard<std::recursive_mutex> lock(WindowLock());
  return Table().windows.size();
}

HOSTAPI size_t HostTopLevelWindowCount(void) { return TopLevelWindows().size(); }

HOSTAPI HWND HostTopLevelWindow(size_t index) {
  std::vector<HWND> tops = TopLevelWindows();
  return index < tops.size() ? tops[index] : nullptr;
}

HOSTAPI size_t HostDestroyAllWindows(void) {
  size_t before = HostLiveWindowCount();
  for (HWND top : TopLevelWindows()) DestroyWindow(top);
  return before - HostLiveWindowCount();
}

namespace {

std::vector<HWND> SearchSpace(HWND root) {
  std::vector<HWND> all;
  if (root == nullptr) return AllWindows();
  CollectTree(root, &all);
  return all;
}

}  // namespace

HOSTAPI HWND HostFindControl(HWND root, int controlId) {
  for (HWND handle : SearchSpace(root)) {
    Window* window = PeekWindowRecord(handle);
    if (handle != root && (window->style & WS_CHILD) != 0 && window->id == controlId) return handle;
  }
  return nullptr;
}

HOSTAPI HWND HostFindWindowByText(HWND root, const char* text) {
  if (text == nullptr) return nullptr;
  for (HWND handle : SearchSpace(root)) {
    if (PeekWindowRecord(handle)->text == text) return handle;
  }
  return nullptr;
}

HOSTAPI HWND HostFindWindowByClass(HWND root, const char* className, size_t index) {
  WindowClass kind;
  if (className == nullptr || !ClassFromName(className, &kind)) return nullptr;
  for (HWND handle : SearchSpace(root)) {
    if (PeekWindowRecord(handle)->kind == kind && index-- == 0) return handle;
  }
  return nullptr;
}

HOSTAPI const char* HostWindowClassName(HWND handle) {
  Window* window = PeekWindowRecord(handle);
  return window == nullptr ? nullptr : ClassNameOf(window->kind);
}

HOSTAPI const char* HostWindowText(HWND handle) {
  Window* window = PeekWindowRecord(handle);
  return window == nullptr ? nullptr : window->text.c_str();
}

HOSTAPI BOOL HostMouseDown(HWND window, int x, int y) {
  Table().leftButtonDown = true;
  return DeliverMouse(window, x, y, WM_LBUTTONDOWN, MK_LBUTTON);
}

HOSTAPI BOOL HostMouseMove(HWND window, int x, int y) {
  return DeliverMouse(window, x, y, WM_MOUSEMOVE, Table().leftButtonDown ? MK_LBUTTON : 0);
}

HOSTAPI BOOL HostMouseUp(HWND window, int x, int y) {
  Table().leftButtonDown = false;
  return DeliverMouse(window, x, y, WM_LBUTTONUP, 0);
}

HOSTAPI BOOL HostRightClick(HWND window, int x, int y) {
  return DeliverMouse(window, x, y, WM_RBUTTONDOWN, MK_RBUTTON) &&
         DeliverMouse(window, x, y, WM_RBUTTONUP, 0);
}
