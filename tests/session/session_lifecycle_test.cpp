// Opening, closing, enabling and disabling the source, and the notifications
// it sends to the Source Manager, as an application sees them through
// DS_Entry. The state shows in what the source accepts next: MSG_ENABLEDS
// only in state 400, MSG_DISABLEDS only in 500, DAT_PENDINGXFERS /
// MSG_RESET without a sequence error only in 600.
#include <cstring>

#include "session_fixture.h"
#include "simulator_controls.h"

namespace {

class SessionLifecycleTest : public SessionTest {};

TEST_F(SessionLifecycleTest, NormalRunWithoutUserInterface) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);

  // The identity the Source Manager passed with MSG_OPENDS, its Id included.
  TW_IDENTITY identity{};
  Call(DAT_IDENTITY, MSG_GET, &identity);
  EXPECT_EQ(memcmp(&identity, &dataSource_, sizeof identity), 0);

  ASSERT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
  ASSERT_EQ(NotificationCount(), 1u);
  const FakeNotification& ready = Notification(0);
  EXPECT_EQ(ready.DG, DG_CONTROL);
  EXPECT_EQ(ready.DAT, DAT_NULL);
  EXPECT_EQ(ready.MSG, MSG_XFERREADY);
  EXPECT_TRUE(ready.dataWasNull);
  EXPECT_EQ(memcmp(&ready.origin, &dataSource_, sizeof(TW_IDENTITY)), 0);
  EXPECT_EQ(memcmp(&ready.destination, &application_, sizeof(TW_IDENTITY)), 0);
  EXPECT_NE(LogText().find("Enable DS w/o UI\n"), std::string::npos);

  // 600: a second enable and a disable are out of sequence and change nothing.
  EXPECT_EQ(Enable(TWAIN_FALSE), TWCC_SEQERROR);
  EXPECT_EQ(Disable(), TWCC_SEQERROR);
  TW_UINT16 count = 0;
  EXPECT_EQ(Pending(MSG_ENDXFER, &count), TWCC_SUCCESS);
  EXPECT_EQ(count, 0);
  // 500, then 400.
  EXPECT_EQ(Disable(), TWCC_SUCCESS);
  EXPECT_EQ(Close(), TWCC_SUCCESS);
  EXPECT_EQ(NotificationCount(), 1u);

  // Closed: the source can be opened again, by any application.
  application_ = ApplicationIdentity(8);
  EXPECT_EQ(Open(), TWCC_SUCCESS);
}

// The state is 600 already when the Source Manager hears of the image, so an
// application that asks for it at once is served.
LoadedSource* hookedSource = nullptr;
TW_IDENTITY* hookedApplication = nullptr;
TW_UINT16 statusInsideNotification = 0xFFFF;
TW_UINT16 countInsideNotification = 0xFFFF;

TEST_F(SessionLifecycleTest, TransferReadyIsSentAfterTheStateChanged) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  SetXferCount(-1);  // so that MSG_ENDXFER leaves the state as it is
  hookedSource = &source_;
  hookedApplication = &application_;
  SetNotificationHook([](TW_UINT16) {
    TW_PENDINGXFERS pending{0xBEEF, 0};
    (*hookedSource)(hookedApplication, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    countInsideNotification = pending.Count;
    TW_STATUS status{0xFFFF, 0};
    (*hookedSource)(hookedApplication, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    statusInsideNotification = status.ConditionCode;
  });
  EXPECT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
  SetNotificationHook(nullptr);
  EXPECT_EQ(statusInsideNotification, TWCC_SUCCESS);
  EXPECT_EQ(countInsideNotification, 0xFFFF);  // -1
}

TEST_F(SessionLifecycleTest, EnableWithoutSourceManagerStaysOpen) {
  struct Case {
    const char* name;
    bool hideModule;  // otherwise only DSM_Entry is hidden
  };
  for (const Case& test : {Case{"no TWAIN_32.DLL", true}, Case{"no DSM_Entry", false}}) {
    SCOPED_TRACE(test.name);
    ClearNotifications();
    ASSERT_EQ(Open(), TWCC_SUCCESS);
    if (test.hideModule) {
      HostHideModule("TWAIN_32.DLL");
    } else {
      HostHideExport("TWAIN_32.DLL", "DSM_Entry");
    }
    HostClearDebugOutput();
    EXPECT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
    EXPECT_NE(LogText().find("Enable DS w/o UI\n"), std::string::npos);
    // Still 400: enabling is accepted again, and goes on once the Source
    // Manager can be reached.
    EXPECT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
    EXPECT_EQ(NotificationCount(), 0u);
    HostClearHidden();
    EXPECT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
    EXPECT_EQ(NotificationCount(), 1u);
    EXPECT_EQ(Close(), TWCC_SEQERROR);  // closed from 600
  }
}

// The settings dialog is the one top-level window of the test.
HWND OnlyDialog() {
  EXPECT_EQ(HostTopLevelWindowCount(), 1u);
  return HostTopLevelWindowCount() == 1 ? HostTopLevelWindow(0) : nullptr;
}

TEST_F(SessionLifecycleTest, EnableWithUserInterfaceShowsTheDialog) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  ASSERT_EQ(Enable(TWAIN_TRUE), TWCC_SUCCESS);
  HWND first = OnlyDialog();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(first, 1)));
  EXPECT_EQ(NotificationCount(), 0u);

  // 500: a second enable is refused and leaves the dialog as it is.
  EXPECT_EQ(Enable(TWAIN_TRUE), TWCC_SEQERROR);
  TW_USERINTERFACE settingsOnly{TWAIN_TRUE, TWAIN_FALSE, nullptr};
  Call(DAT_USERINTERFACE, MSG_ENABLEDSUIONLY, &settingsOnly);
  EXPECT_EQ(Status(), TWCC_SEQERROR);
  EXPECT_EQ(OnlyDialog(), first);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(first, 1)));

  // Disabling hides the dialog and returns to 400.
  EXPECT_EQ(Disable(), TWCC_SUCCESS);
  EXPECT_TRUE(IsWindow(first));
  EXPECT_FALSE(IsWindowVisible(first));

  // The next enable makes a new dialog in place of the hidden one.
  ASSERT_EQ(Enable(TWAIN_TRUE), TWCC_SUCCESS);
  HWND second = OnlyDialog();
  EXPECT_NE(second, first);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_TRUE(IsWindowVisible(second));

  // Closing from 500 is out of sequence and destroys the dialog.
  EXPECT_EQ(Close(), TWCC_SEQERROR);
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(HostTopLevelWindowCount(), 0u);
  EXPECT_EQ(Open(), TWCC_SUCCESS);
}

TEST_F(SessionLifecycleTest, CloseHaltsTheLivePictureBeforeFreeingTheBoard) {
  DWORD preview = 1;
  StoreSetting("Preview", REG_DWORD, &preview, sizeof preview);
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  ASSERT_EQ(Enable(TWAIN_TRUE), TWCC_SUCCESS);
  // Held here too, so that the simulator's record outlives the close.
  HMODULE imaging = LoadLibraryA("MIL.DLL");
  ASSERT_NE(imaging, nullptr);
  SimControls sim{};
  ResolveSimControls(imaging, &sim);
  if (HasFatalFailure()) return;

  EXPECT_EQ(Close(), TWCC_SEQERROR);
  std::string calls = sim.CallLog();
  size_t live = calls.find("MdigGrabContinuous(");
  size_t halt = calls.find("MdigHalt(", live);
  size_t freed = calls.find("MbufFree(", live);
  ASSERT_NE(live, std::string::npos) << calls;
  EXPECT_LT(halt, freed) << calls;
  // Nothing the library refused from the live picture on: no buffer freed
  // while it was grabbed into or shown.
  EXPECT_EQ(calls.find(" error: ", live), std::string::npos) << calls.substr(live);
  FreeLibrary(imaging);
}

TEST_F(SessionLifecycleTest, EnableForSettingsOnlyDisablesTransfer) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  TW_USERINTERFACE userInterface{TWAIN_FALSE, TWAIN_FALSE, nullptr};
  Call(DAT_USERINTERFACE, MSG_ENABLEDSUIONLY, &userInterface);
  EXPECT_EQ(Status(), TWCC_SUCCESS);
  EXPECT_EQ(userInterface.ShowUI, TWAIN_TRUE);
  HWND dialog = OnlyDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1)));
  EXPECT_FALSE(HostClickControl(GetDlgItem(dialog, 1)));
  EXPECT_EQ(NotificationCount(), 0u);
  EXPECT_EQ(Disable(), TWCC_SUCCESS);
}

TEST_F(SessionLifecycleTest, NormalRunWithTheDialog) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  ASSERT_EQ(Enable(TWAIN_TRUE), TWCC_SUCCESS);
  HWND dialog = OnlyDialog();
  ASSERT_NE(dialog, nullptr);

  // Transfer: MSG_XFERREADY, state 600.
  ASSERT_TRUE(HostClickControl(GetDlgItem(dialog, 1)));
  ASSERT_EQ(NotificationCount(), 1u);
  EXPECT_EQ(Notification(0).MSG, MSG_XFERREADY);
  EXPECT_EQ(Disable(), TWCC_SEQERROR);
  TW_UINT16 count;
  EXPECT_EQ(Pending(MSG_ENDXFER, &count), TWCC_SUCCESS);
  EXPECT_EQ(count, 0);

  // Back in 500 the user cancels: MSG_CLOSEDSREQ, and the application
  // disables and closes the source.
  ASSERT_TRUE(HostClickControl(GetDlgItem(dialog, 2)));
  ASSERT_EQ(NotificationCount(), 2u);
  const FakeNotification& close = Notification(1);
  EXPECT_EQ(close.MSG, MSG_CLOSEDSREQ);
  EXPECT_EQ(close.DAT, DAT_NULL);
  EXPECT_TRUE(close.dataWasNull);
  EXPECT_EQ(memcmp(&close.origin, &dataSource_, sizeof(TW_IDENTITY)), 0);
  EXPECT_EQ(memcmp(&close.destination, &application_, sizeof(TW_IDENTITY)), 0);
  EXPECT_EQ(Disable(), TWCC_SUCCESS);
  EXPECT_EQ(Close(), TWCC_SUCCESS);
  EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(SessionLifecycleTest, OpenTwiceResetsCapabilitiesAndStaysOpen) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  SetXferCount(5);
  EXPECT_EQ(Open(), TWCC_SEQERROR);
  EXPECT_EQ(XferCount(), 0);
  EXPECT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
  EXPECT_EQ(NotificationCount(), 1u);
}

TEST_F(SessionLifecycleTest, FailedOpenKeepsTheApplicationUntilClosed) {
  struct Case {
    const char* name;
    const char* hiddenModule;
    const char* simulatorFaults;
    const char* simulatorFormats;
    TW_UINT16 code;
  };
  const Case cases[] = {
      {"no imaging library", "MIL.DLL", nullptr, nullptr, TWCC_CHECKDEVICEONLINE},
      {"no board library", "MILMET2.DLL", nullptr, nullptr, TWCC_CHECKDEVICEONLINE},
      {"no board", nullptr, "no-system", nullptr, TWCC_CHECKDEVICEONLINE},
      {"no camera format", nullptr, nullptr, "", TWCC_OPERATIONERROR},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    if (test.hiddenModule != nullptr) HostHideModule(test.hiddenModule);
    if (test.simulatorFaults != nullptr) setenv("MILSIM_FAULTS", test.simulatorFaults, 1);
    if (test.simulatorFormats != nullptr) setenv("MILSIM_FORMATS", test.simulatorFormats, 1);
    EXPECT_EQ(Open(), test.code);
    HostClearHidden();
    unsetenv("MILSIM_FAULTS");
    unsetenv("MILSIM_FORMATS");
    // The application stays connected: a second open is one connection too
    // many, and another application's triplets are ignored.
    EXPECT_EQ(Open(), TWCC_MAXCONNECTIONS);
    TW_IDENTITY other = ApplicationIdentity(99);
    TW_STATUS status{0xFFFF, 0xFFFF};
    EXPECT_EQ(source_(&other, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(status.ConditionCode, 0xFFFF);
    // MSG_CLOSEDS in state 300 is out of sequence, yet releases the source.
    EXPECT_EQ(Close(), TWCC_SEQERROR);
    EXPECT_EQ(Open(), TWCC_SUCCESS);
    EXPECT_EQ(Close(), TWCC_SUCCESS);
  }
}

TEST_F(SessionLifecycleTest, CloseBeforeOpenChangesNothing) {
  EXPECT_EQ(Close(), TWCC_SEQERROR);
  TW_IDENTITY identity{};
  Call(DAT_IDENTITY, MSG_GET, &identity);
  EXPECT_EQ(identity.Id, 0u);
  EXPECT_EQ(Close(), TWCC_SEQERROR);  // two in a row: nothing to release
  EXPECT_EQ(Open(), TWCC_SUCCESS);
}

TEST_F(SessionLifecycleTest, CloseFromEveryStateReturnsTo300) {
  struct Case {
    const char* name;
    int enableAndReset;  // 0: open only (400); 1: enabled (600); 2: then reset (500)
    TW_UINT16 code;
  };
  const Case cases[] = {
      {"400", 0, TWCC_SUCCESS},
      {"600", 1, TWCC_SEQERROR},
      {"500", 2, TWCC_SEQERROR},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    ASSERT_EQ(Open(), TWCC_SUCCESS);
    SetXferCount(4);
    if (test.enableAndReset >= 1) ASSERT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
    TW_UINT16 count;
    if (test.enableAndReset == 2) ASSERT_EQ(Pending(MSG_RESET, &count), TWCC_SUCCESS);
    EXPECT_EQ(Close(), test.code);
    // 300 again, with the capabilities gone until the next open.
    EXPECT_EQ(Pending(MSG_GET, &count), TWCC_SEQERROR);
    EXPECT_EQ(Open(), TWCC_SUCCESS);
    EXPECT_EQ(XferCount(), 0);
    EXPECT_EQ(Close(), TWCC_SUCCESS);
  }
}

TEST_F(SessionLifecycleTest, DisableReturnsFrom500To400) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  EXPECT_EQ(Disable(), TWCC_SEQERROR);  // 400
  ASSERT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
  TW_UINT16 count;
  ASSERT_EQ(Pending(MSG_ENDXFER, &count), TWCC_SUCCESS);  // count 0: 500
  EXPECT_EQ(Disable(), TWCC_SUCCESS);
  EXPECT_EQ(Disable(), TWCC_SEQERROR);
  EXPECT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);  // 400 again
  EXPECT_EQ(NotificationCount(), 2u);
}

TEST_F(SessionLifecycleTest, BadUserInterfaceAndIdentityTripletsFailCleanly) {
  // Before the open: an open without the source's identity.
  Call(DAT_IDENTITY, MSG_OPENDS, nullptr);
  EXPECT_EQ(Status(), TWCC_BADVALUE);
  // Nothing was connected: another application may open the source.
  application_ = ApplicationIdentity(3);
  ASSERT_EQ(Open(), TWCC_SUCCESS);

  for (TW_UINT16 msg : {MSG_ENABLEDS, MSG_ENABLEDSUIONLY}) {
    Call(DAT_USERINTERFACE, msg, nullptr);
    EXPECT_EQ(Status(), TWCC_BADVALUE) << "MSG " << msg;
  }
  TW_USERINTERFACE userInterface{TWAIN_FALSE, TWAIN_FALSE, nullptr};
  for (TW_UINT16 msg : {MSG_GET, MSG_SET, MSG_RESET}) {
    Call(DAT_USERINTERFACE, msg, &userInterface);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL) << "MSG " << msg;
  }
  // Still open and not enabled.
  EXPECT_EQ(Enable(TWAIN_FALSE), TWCC_SUCCESS);
  EXPECT_EQ(NotificationCount(), 1u);
}

}  // namespace
