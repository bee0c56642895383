// The source module loaded as a Source Manager loads it, driven through
// DS_Entry by one application, with a recording Source Manager (the fake
// TWAIN_32.DLL) already loaded, log output to the debugger output, the
// simulated board in instant mode and a temporary folder of the test's own.
#pragma once

#include <string>

#include "fake_source_manager/fake_source_manager.h"
#include "host_fixture.h"

class SessionTest : public HostFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A DG_CONTROL triplet from the application; the entry point answers every
  // one of them TWRC_SUCCESS, so this checks that and gives nothing back.
  void Call(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data);
  // DAT_STATUS / MSG_GET: the condition code, which it clears.
  TW_UINT16 Status();

  // MSG_OPENDS with the application's identity and the Source Manager's
  // copy of the source's identity; the condition code afterwards.
  TW_UINT16 Open();
  TW_UINT16 Close();
  // MSG_ENABLEDS with ShowUI as given, MSG_DISABLEDS; the condition code.
  TW_UINT16 Enable(TW_BOOL showUI);
  TW_UINT16 Disable();
  // DAT_PENDINGXFERS with a Count that starts as 0xBEEF; the condition code.
  TW_UINT16 Pending(TW_UINT16 MSG, TW_UINT16* count);

  // CAP_XFERCOUNT through DAT_CAPABILITY.
  void SetXferCount(TW_INT16 count);
  TW_INT16 XferCount();

  // A stored setting for the next open: a value of the settings key, written
  // after a first open made the key with its seventeen values.
  void StoreSetting(const char* name, DWORD type, const void* data, DWORD size);
  void StoreDigFormat(const char* format);

  // What the fake Source Manager has received.
  size_t NotificationCount() const { return notificationCount_(); }
  const FakeNotification& Notification(size_t index) const { return *notificationAt_(index); }
  void SetNotificationHook(FakeNotificationHook hook) { setNotificationHook_(hook); }
  void ClearNotifications() { clearNotifications_(); }

  // The debugger output so far: the diagnostic log.
  std::string LogText() const { return HostDebugOutput(); }

  const std::string& TempFolder() const { return tempFolder_; }

  LoadedSource source_;
  TW_IDENTITY application_ = ApplicationIdentity(7);
  TW_IDENTITY dataSource_{};  // the source's identity with the Id a Source Manager gave it

 private:
  HMODULE fakeSourceManager_ = nullptr;
  FakeNotificationCountProc notificationCount_ = nullptr;
  FakeNotificationAtProc notificationAt_ = nullptr;
  FakeClearNotificationsProc clearNotifications_ = nullptr;
  FakeSetNotificationHookProc setNotificationHook_ = nullptr;
  std::string tempFolder_;
};

// The Id the fake Source Manager gave the source.
constexpr TW_UINT32 SOURCE_ID = 42;

// Whether a file exists, and its size (-1 when it does not exist).
long FileSize(const std::string& path);
