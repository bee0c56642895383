// The settings dialog as a user meets it: the source library linked into the
// test program (its records readable), opened on the simulated board through
// DS_Entry and enabled with its user interface, its dialog driven through the
// window manager's testing controls. The program carries the module's
// resources; the recording Source Manager takes the dialog's notifications.
// The simulator, its call log and the captured log come from the grabber
// tests' fixture.
#pragma once

#include <string>

#include "grabber_fixture.h"
#include "recording_source_manager.h"

// Simulated boards: the multi-channel board with RGB inputs and an input
// LUT, and the standard board with a decoder only and no LUT.
constexpr int32_t MULTI_CHANNEL_BOARD = 24;
constexpr int32_t STANDARD_BOARD = 27;

class DialogTest : public GrabberTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Stored settings for the next open: the defaults with one value changed.
  void StoreSetting(const char* name, uint32_t value);
  void StoreFormat(const char* format);

  // MSG_OPENDS on a board of the given type, then MSG_ENABLEDS with the user
  // interface (or MSG_ENABLEDSUIONLY); the calls and logs are cleared after.
  void OpenSession(int32_t boardType);
  void Enable(TW_UINT16 MSG = MSG_ENABLEDS);
  void OpenAndEnable(int32_t boardType, const char* format = "M_CCIR");
  // A DG_CONTROL triplet from the application; the condition code after it.
  TW_UINT16 Control(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data);

  // The dialog, one of its controls, the current page and one of its controls.
  HWND Dialog() const;
  HWND Item(int id) const;
  HWND Page() const;
  HWND PageItem(int id) const;

  // A user's actions; each asserts that the control could be reached.
  void Click(int id);
  void ClickOnPage(int id);
  void ChooseTab(int index);

  bool Checked(HWND control) const;
  bool Enabled(HWND control) const;
  std::string Text(HWND control) const;
  // A window's rectangle in its parent's client coordinates (the screen for
  // the dialog).
  RECT Placement(HWND window) const;
  LONG Width(HWND window) const;
  LONG Height(HWND window) const;

  // The simulator's call log and the diagnostic log, and the notifications.
  void ClearLogs();
  SimDisplayState DisplayState() const;

  size_t NotificationCount() const { return sourceManager_.NotificationCount(); }
  const FakeNotification& Notification(size_t index) const {
    return sourceManager_.Notification(index);
  }

  TW_IDENTITY application_ = ApplicationIdentity(7);
  TW_IDENTITY dataSource_{};

 private:
  RecordingSourceManager sourceManager_;
};
