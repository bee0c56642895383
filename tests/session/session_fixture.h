// The source module loaded as a Source Manager loads it, driven through
// DS_Entry by one application, with a recording Source Manager (the fake
// TWAIN_32.DLL) already loaded, log output to the debugger output, the
// simulated board in instant mode and a temporary folder of the test's own.
#pragma once

#include <string>

#include "application_fixture.h"
#include "recording_source_manager.h"

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
  size_t NotificationCount() const { return sourceManager_.NotificationCount(); }
  const FakeNotification& Notification(size_t index) const {
    return sourceManager_.Notification(index);
  }
  void SetNotificationHook(FakeNotificationHook hook) { sourceManager_.SetNotificationHook(hook); }
  void ClearNotifications() { sourceManager_.ClearNotifications(); }

  // The debugger output so far: the diagnostic log.
  std::string LogText() const { return HostDebugOutput(); }

  const std::string& TempFolder() const { return tempFolder_; }

 private:
  RecordingSourceManager sourceManager_;
  std::string tempFolder_;
};

// Whether a file exists, and its size (-1 when it does not exist).
long FileSize(const std::string& path);
