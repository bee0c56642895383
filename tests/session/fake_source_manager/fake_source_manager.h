// A Source Manager module for the session tests: a TWAIN_32.DLL whose
// DSM_Entry records every call a data source makes and answers
// TWRC_SUCCESS. Tests resolve the recording calls by name.
#pragma once

#include <cstddef>

#include "platform/twain.h"

struct FakeNotification {
  TW_IDENTITY origin;       // a copy; zero when the pointer was null
  TW_IDENTITY destination;  // a copy; zero when the pointer was null
  TW_UINT32 DG;
  TW_UINT16 DAT;
  TW_UINT16 MSG;
  bool dataWasNull;
};

// Called inside DSM_Entry after the call was recorded, as a Source Manager
// that hands the notification to the application at once would.
typedef void (*FakeNotificationHook)(TW_UINT16 MSG);

typedef size_t (*FakeNotificationCountProc)(void);
typedef const FakeNotification* (*FakeNotificationAtProc)(size_t index);
typedef void (*FakeClearNotificationsProc)(void);
typedef void (*FakeSetNotificationHookProc)(FakeNotificationHook hook);
