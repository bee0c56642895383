// Windows, dialogs and messages: so far message boxes, and no windows at all.
//
// Differs from Windows: a message box is not shown but recorded for tests,
// printed to stderr as "MessageBox [caption]: text" and answered IDOK at once;
// no window exists yet, so IsWindow, IsDialogMessageA, DestroyWindow,
// ShowWindow and EnableWindow answer FALSE and GetDlgItem null. (The headless
// window manager grows here, with controls.cpp, gdi.cpp and render.cpp beside
// it.)
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/testing.h"
#include "platform/host/win32_windows.h"

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

HOSTAPI BOOL WINAPI IsDialogMessageA(HWND, LPMSG) { return FALSE; }

HOSTAPI BOOL WINAPI DestroyWindow(HWND) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

HOSTAPI BOOL WINAPI IsWindow(HWND) { return FALSE; }

HOSTAPI BOOL WINAPI ShowWindow(HWND, int) { return FALSE; }

HOSTAPI BOOL WINAPI EnableWindow(HWND, BOOL) { return FALSE; }

HOSTAPI HWND WINAPI GetDlgItem(HWND, int) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
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
