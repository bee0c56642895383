// Shared by the window manager's tests: a fixture that checks no window, GDI
// object or device context outlives a test, and a dialog procedure that
// records what it receives.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "fixtures/test_dialogs.h"
#include "host_fixture.h"

// One message as a dialog procedure received it; for WM_NOTIFY the header's
// fields are copied, as the header lives only during the call.
struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  NMHDR notify;
};

class WindowsTest : public HostFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The main test dialog (template IDD_MAIN of the program), created with the
  // recording procedure and the creation parameter given.
  HWND CreateMainDialog(LPARAM param = 0);
  // The messages of one kind the procedures received, in order.
  std::vector<Received> ReceivedOf(UINT message) const;
  HWND Item(HWND dialog, int id) const { return GetDlgItem(dialog, id); }

  static WindowsTest* current_;
  std::vector<Received> received_;
  // Runs inside the procedure, before it records; its result is returned.
  std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> handler_;

 public:
  static INT_PTR CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
