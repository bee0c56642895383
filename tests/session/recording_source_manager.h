// The recording Source Manager (the fake TWAIN_32.DLL) as the suites hold it:
// loaded by its full path before the source looks for a Source Manager by
// name, with its recording calls resolved.
#pragma once

#include <cstddef>

#include "fake_source_manager/fake_source_manager.h"
#include "platform/win32.h"

class RecordingSourceManager {
 public:
  // Loads the module and resolves its calls (a missing one fails the test
  // fatally); the record starts empty, with no hook.
  void Load();
  // Empties the record, removes the hook and unloads the module; nothing
  // when it was not loaded.
  void Unload();

  // What it has received.
  size_t NotificationCount() const { return notificationCount_(); }
  const FakeNotification& Notification(size_t index) const { return *notificationAt_(index); }
  void SetNotificationHook(FakeNotificationHook hook) { setNotificationHook_(hook); }
  void ClearNotifications() { clearNotifications_(); }

 private:
  HMODULE module_ = nullptr;
  FakeNotificationCountProc notificationCount_ = nullptr;
  FakeNotificationAtProc notificationAt_ = nullptr;
  FakeClearNotificationsProc clearNotifications_ = nullptr;
  FakeSetNotificationHookProc setNotificationHook_ = nullptr;
};
