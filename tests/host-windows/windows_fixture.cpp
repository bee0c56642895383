#include "windows_fixture.h"

WindowsTest* WindowsTest::current_ = nullptr;

void WindowsTest::SetUp() {
  HostFixture::SetUp();
  current_ = this;
}

void WindowsTest::TearDown() {
  EXPECT_EQ(HostLiveWindowCount(), 0u) << "a window outlived the test";
  EXPECT_EQ(HostLiveGdiObjectCount(), 0u) << "a GDI object outlived the test";
  EXPECT_EQ(HostOpenDeviceContextCount(), 0u) << "a device context was not released";
  HostDestroyAllWindows();
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  current_ = nullptr;
  HostFixture::TearDown();
}

HWND WindowsTest::CreateMainDialog(LPARAM param) {
  return CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_MAIN), nullptr, RecordingProc, param);
}

std::vector<Received> WindowsTest::ReceivedOf(UINT message) const {
  std::vector<Received> result;
  for (const Received& entry : received_) {
    if (entry.message == message) result.push_back(entry);
  }
  return result;
}

INT_PTR CALLBACK WindowsTest::RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowsTest* test = current_;
  if (test == nullptr) return FALSE;
  Received entry{window, message, wParam, lParam, NMHDR{}};
  if (message == WM_NOTIFY && lParam != 0) entry.notify = *reinterpret_cast<NMHDR*>(lParam);
  test->received_.push_back(entry);
  return test->handler_ ? test->handler_(window, message, wParam, lParam) : FALSE;
}
