#include "fake_source_manager.h"

#include <cstring>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::vector<FakeNotification>& Notifications() {
  static std::vector<FakeNotification> notifications;
  return notifications;
}

FakeNotificationHook hook = nullptr;

}  // namespace

FAKE_EXPORT TW_UINT16 DSM_Entry(pTW_IDENTITY origin, pTW_IDENTITY destination, TW_UINT32 DG,
                                TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
  FakeNotification notification{};
  if (origin != nullptr) memcpy(&notification.origin, origin, sizeof(TW_IDENTITY));
  if (destination != nullptr) memcpy(&notification.destination, destination, sizeof(TW_IDENTITY));
  notification.DG = DG;
  notification.DAT = DAT;
  notification.MSG = MSG;
  notification.dataWasNull = data == nullptr;
  Notifications().push_back(notification);
  if (hook != nullptr) hook(MSG);
  return TWRC_SUCCESS;
}

FAKE_EXPORT size_t FakeNotificationCount(void) { return Notifications().size(); }

FAKE_EXPORT const FakeNotification* FakeNotificationAt(size_t index) {
  return index < Notifications().size() ? &Notifications()[index] : nullptr;
}

FAKE_EXPORT void FakeClearNotifications(void) { Notifications().clear(); }

FAKE_EXPORT void FakeSetNotificationHook(FakeNotificationHook newHook) { hook = newHook; }
