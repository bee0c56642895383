// The source module loaded as a Source Manager loads it, driven through
// DS_Entry by one application, with a recording Source Manager (the fake
// TWAIN_32.DLL) already loaded, log output to the debugger output, the
// simulated board in instant mode and a temporary folder of the test's own.
#pragma once

#include <string>

#include "application_fixture.h"
#include "fake_source_manager/fake_source_manager.h"

class SessionTest : public ApplicationTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // MSG_ENABLEDS with ShowUI as given, MSG_DISABLEDS; the condition code.
  TW_UINT16 Enable(TW_BOOL showUI);
  TW_UINT16 Disable();
  // DAT_PENDINGXFERS with a Count that starts as 0xBEEF; the condition code.
  TW_UINT16 Pending(TW_UINT16 MSG, TW_UINT16* count);

  // CAP_XFERCOUNT through DAT_CAPABILITY / MSG_GETCURRENT.
  TW_INT16 XferCount();

  // What the fake Source Manager has received.
  size_t NotificationCount() const { return notificationCount_(); }
  const FakeNotification& Notification(size_t index) const { return *notificationAt_(index); }
  void SetNotificationHook(FakeNotificationHook hook) { setNotificationHook_(hook); }
  void ClearNotifications() { clearNotifications_(); }

  // The debugger output so far: the diagnostic log.
  std::string LogText() const { return HostDebugOutput(); }

  const std::string& TempFolder() const { return tempFolder_; }

 private:
  HMODULE fakeSourceManager_ = nullptr;
  FakeNotificationCountProc notificationCount_ = nullptr;
  FakeNotificationAtProc notificationAt_ = nullptr;
  FakeClearNotificationsProc clearNotifications_ = nullptr;
  FakeSetNotificationHookProc setNotificationHook_ = nullptr;
  std::string tempFolder_;
};

// Whether a file exists, and its size (-1 when it does not exist).
long FileSize(const std::string& path);
