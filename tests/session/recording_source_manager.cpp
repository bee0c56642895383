#include "recording_source_manager.h"

#include "host_fixture.h"

void RecordingSourceManager::Load() {
  module_ = LoadLibraryA(FAKE_SOURCE_MANAGER_PATH);
  ASSERT_NE(module_, nullptr) << FAKE_SOURCE_MANAGER_PATH;
  ResolveExport(module_, "FakeNotificationCount", &notificationCount_);
  ResolveExport(module_, "FakeNotificationAt", &notificationAt_);
  ResolveExport(module_, "FakeClearNotifications", &clearNotifications_);
  ResolveExport(module_, "FakeSetNotificationHook", &setNotificationHook_);
  if (::testing::Test::HasFatalFailure()) return;
  clearNotifications_();
  setNotificationHook_(nullptr);
}

void RecordingSourceManager::Unload() {
  if (module_ == nullptr) return;
  if (setNotificationHook_ != nullptr) setNotificationHook_(nullptr);
  if (clearNotifications_ != nullptr) clearNotifications_();
  FreeLibrary(module_);
  module_ = nullptr;
}
