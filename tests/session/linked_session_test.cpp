// What an application cannot reach through DS_Entry alone: a settings dialog
// that cannot be made (the test program has no dialog resources), the
// notifications sent on the dialog's behalf, a state of 700 before any image
// is transferred, and the transfer file name that the file transfer will
// use. These tests
// call the operations of the source library linked into the test program,
// whose session record they can read; the loaded module is not used.
#include <cstring>

#include "capabilities/capability_store.h"
#include "capabilities/capability_table.h"
#include "capabilities/containers.h"
#include "session_fixture.h"
#include "source/session_lifecycle.h"
#include "source/source_manager_link.h"
#include "source/source_session.h"
#include "source/transfer_negotiation.h"

namespace {

class LinkedSessionTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    ASSERT_TRUE(HandleModuleNotification(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH));
    sourceSession.appIdentity = application_;
    sourceSession.sourceIdentity = dataSource_;
  }
  void TearDown() override {
    ReleaseCapabilities();
    HandleModuleNotification(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
    SessionTest::TearDown();
  }

  TW_UINT16 Handle(TW_UINT16 (*handler)(const Triplet&), TW_UINT16 DAT, TW_UINT16 MSG,
                   TW_MEMREF data) {
    sourceSession.conditionCode.ConditionCode = TWCC_SUCCESS;
    handler(Triplet{&application_, DG_CONTROL, DAT, MSG, data});
    return sourceSession.conditionCode.ConditionCode;
  }

  void StoreXferCount(TW_INT16 count) {
    ASSERT_EQ(StoreCapability(CAP_XFERCOUNT, TWON_ONEVALUE, BuildOneValue(TWTY_INT16, &count)),
              0);
  }
};

TEST_F(LinkedSessionTest, EnableFailsWhenNoDialogCanBeMade) {
  for (TW_UINT16 msg : {MSG_ENABLEDS, MSG_ENABLEDSUIONLY}) {
    SCOPED_TRACE(msg);
    sourceSession.state = STATE_OPEN;
    TW_USERINTERFACE userInterface{msg == MSG_ENABLEDS ? TWAIN_TRUE : TWAIN_FALSE, TWAIN_FALSE,
                                   nullptr};
    EXPECT_EQ(Handle(HandleUserInterface, DAT_USERINTERFACE, msg, &userInterface),
              TWCC_LOWMEMORY);
    EXPECT_EQ(userInterface.ShowUI, TWAIN_TRUE);
    EXPECT_EQ(sourceSession.state, STATE_OPEN);
    EXPECT_EQ(sourceSession.dialogWindow, nullptr);
    EXPECT_EQ(NotificationCount(), 0u);
  }
}

SessionState stateDuringNotification = 0;

TEST_F(LinkedSessionTest, NotificationsAndTheirStateChanges) {
  struct Case {
    const char* name;
    void (*signal)();
    SessionState before;
    TW_UINT16 MSG;
    SessionState during;
    SessionState after;
  };
  const Case cases[] = {
      {"transfer ready", [] { SignalTransferReady(); }, STATE_ENABLED, MSG_XFERREADY,
       STATE_XFERREADY, STATE_XFERREADY},
      {"close request", SignalCloseRequest, STATE_XFERREADY, MSG_CLOSEDSREQ, STATE_XFERREADY,
       STATE_ENABLED},
  };
  SetNotificationHook([](TW_UINT16) { stateDuringNotification = sourceSession.state; });
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    ClearNotifications();
    sourceSession.state = test.before;
    test.signal();
    EXPECT_EQ(sourceSession.state, test.after);
    EXPECT_EQ(stateDuringNotification, test.during);
    ASSERT_EQ(NotificationCount(), 1u);
    const FakeNotification& sent = Notification(0);
    EXPECT_EQ(sent.DG, DG_CONTROL);
    EXPECT_EQ(sent.DAT, DAT_NULL);
    EXPECT_EQ(sent.MSG, test.MSG);
    EXPECT_TRUE(sent.dataWasNull);
    EXPECT_EQ(memcmp(&sent.origin, &dataSource_, sizeof(TW_IDENTITY)), 0);
    EXPECT_EQ(memcmp(&sent.destination, &application_, sizeof(TW_IDENTITY)), 0);
  }
}

TEST_F(LinkedSessionTest, WithoutSourceManagerNothingIsSignalled) {
  for (bool hideModule : {true, false}) {
    SCOPED_TRACE(hideModule ? "no TWAIN_32.DLL" : "no DSM_Entry");
    HMODULE manager = GetModuleHandleA("TWAIN_32.DLL");
    unsigned referencesBefore = HostModuleReferences(manager);
    if (hideModule) {
      HostHideModule("TWAIN_32.DLL");
    } else {
      HostHideExport("TWAIN_32.DLL", "DSM_Entry");
    }
    EXPECT_EQ(FindSourceManagerEntry(), nullptr);
    sourceSession.state = STATE_ENABLED;
    EXPECT_EQ(SignalTransferReady(), 0);
    EXPECT_EQ(sourceSession.state, STATE_ENABLED);
    sourceSession.state = STATE_XFERREADY;
    SignalCloseRequest();
    EXPECT_EQ(sourceSession.state, STATE_XFERREADY);
    EXPECT_EQ(NotificationCount(), 0u);
    // A library without the export is not kept loaded for nothing.
    EXPECT_EQ(HostModuleReferences(manager), referencesBefore);
    HostClearHidden();
  }
}

TEST_F(LinkedSessionTest, EndingTransfersFrom700) {
  InitCapabilities();
  StoreXferCount(2);
  TW_PENDINGXFERS pending{0xBEEF, 0};

  sourceSession.state = STATE_TRANSFERRING;
  EXPECT_EQ(Handle(HandlePendingXfers, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWCC_SUCCESS);
  EXPECT_EQ(pending.Count, 1);
  EXPECT_EQ(sourceSession.state, STATE_XFERREADY);

  // A reset in 700 is out of sequence, and ends the transfers all the same.
  sourceSession.state = STATE_TRANSFERRING;
  pending.Count = 0xBEEF;
  EXPECT_EQ(Handle(HandlePendingXfers, DAT_PENDINGXFERS, MSG_RESET, &pending), TWCC_SEQERROR);
  EXPECT_EQ(pending.Count, 0);
  EXPECT_EQ(sourceSession.state, STATE_ENABLED);
  ItemBlock count;
  ASSERT_EQ(GetCurrentValue(CAP_XFERCOUNT, &count), TWTY_INT16);
  EXPECT_EQ(count[0], 1);
}

TEST_F(LinkedSessionTest, CountKeptWhenItsContainerCannotBeMade) {
  InitCapabilities();
  StoreXferCount(2);
  sourceSession.state = STATE_XFERREADY;
  TW_PENDINGXFERS pending{0xBEEF, 0};
  HostFailGlobalAlloc(1);
  EXPECT_EQ(Handle(HandlePendingXfers, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWCC_SUCCESS);
  HostFailGlobalAlloc(0);
  EXPECT_EQ(pending.Count, 1);
  EXPECT_EQ(sourceSession.state, STATE_XFERREADY);
  ItemBlock count;
  ASSERT_EQ(GetCurrentValue(CAP_XFERCOUNT, &count), TWTY_INT16);
  EXPECT_EQ(count[0], 2);
}

TEST_F(LinkedSessionTest, TransferFileName) {
  InitCapabilities();
  TW_SETUPFILEXFER setup{};
  // The last proposed file is the one the transfer writes.
  ASSERT_EQ(Handle(HandleSetupFileXfer, DAT_SETUPFILEXFER, MSG_GET, &setup), TWCC_SUCCESS);
  ASSERT_EQ(Handle(HandleSetupFileXfer, DAT_SETUPFILEXFER, MSG_GET, &setup), TWCC_SUCCESS);
  EXPECT_STREQ(sourceSession.transferFileName, setup.FileName);
  const std::string proposed = setup.FileName;

  // A failed proposal leaves the name alone.
  setenv("TMPDIR", (TempFolder() + "/missing").c_str(), 1);
  EXPECT_EQ(Handle(HandleSetupFileXfer, DAT_SETUPFILEXFER, MSG_RESET, &setup),
            TWCC_OPERATIONERROR);
  EXPECT_EQ(sourceSession.transferFileName, proposed);

  // A chosen name is taken even when its file cannot be made; the transfer
  // reports that file again.
  const std::string unreachable = TempFolder() + "/missing/image.tif";
  snprintf(setup.FileName, sizeof setup.FileName, "%s", unreachable.c_str());
  EXPECT_EQ(Handle(HandleSetupFileXfer, DAT_SETUPFILEXFER, MSG_SET, &setup), TWCC_BADVALUE);
  EXPECT_EQ(sourceSession.transferFileName, unreachable);

  // A name without its NUL is cut to 255 characters.
  memset(setup.FileName, 'x', sizeof setup.FileName);
  Handle(HandleSetupFileXfer, DAT_SETUPFILEXFER, MSG_SET, &setup);
  EXPECT_EQ(strlen(sourceSession.transferFileName), 255u);
}

}  // namespace
