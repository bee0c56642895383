// The module as a Source Manager sees it: loaded with LoadLibraryA, driven
// through DS_Entry.
#include <cstring>

#include "host_fixture.h"

namespace {

class EntryPointTest : public HostFixture {
 protected:
  TW_UINT16 Status(LoadedSource& source, pTW_IDENTITY origin) {
    TW_STATUS status{0xFFFF, 0xFFFF};
    EXPECT_EQ(source(origin, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(status.Reserved, 0);
    return status.ConditionCode;
  }
};

TEST_F(EntryPointTest, ExportsOnlyWhatASourceManagerNeeds) {
  LoadedSource source;
  ASSERT_TRUE(source.loaded());
  EXPECT_NE(GetProcAddress(source.module(), "DllMain"), nullptr);
  EXPECT_EQ(GetProcAddress(source.module(), "HandleIdentity"), nullptr);
  EXPECT_EQ(GetProcAddress(source.module(), "SetConditionCode"), nullptr);
}

TEST_F(EntryPointTest, IdentityIsTheAttachIdentityEveryTime) {
  for (int load = 0; load < 3; ++load) {
    LoadedSource source;
    ASSERT_TRUE(source.loaded());
    TW_IDENTITY identity;
    memset(&identity, 0xAB, sizeof identity);
    // A Source Manager asks with a throw-away origin, or none at all.
    TW_IDENTITY throwAway = ApplicationIdentity(77);
    EXPECT_EQ(source(load == 0 ? nullptr : &throwAway, DG_CONTROL, DAT_IDENTITY, MSG_GET,
                     &identity),
              TWRC_SUCCESS);
    EXPECT_EQ(identity.Id, 0u);
    EXPECT_EQ(identity.Version.MajorNum, 1);
    EXPECT_EQ(identity.Version.MinorNum, 0);
    EXPECT_EQ(identity.Version.Language, TWLG_USA);
    EXPECT_EQ(identity.Version.Country, TWCY_USA);
    EXPECT_STREQ(identity.Version.Info, "Version 1.00");
    EXPECT_EQ(identity.ProtocolMajor, 1);
    EXPECT_EQ(identity.ProtocolMinor, 8);
    EXPECT_EQ(+identity.SupportedGroups, 3u);
    EXPECT_STREQ(identity.Manufacturer, "Korvanta, Vision Components Works");
    EXPECT_STREQ(identity.ProductFamily, "TWAIN");
    EXPECT_STREQ(identity.ProductName, "Korvanta Matrox Meteor2 driver");
    // Every byte after the texts' terminators is zero.
    TW_IDENTITY expected{};
    memcpy(&expected, &identity, sizeof expected);
    const char* tail = identity.ProductName + strlen(identity.ProductName);
    for (const char* p = tail; p < identity.ProductName + sizeof identity.ProductName; ++p) {
      EXPECT_EQ(*p, 0);
    }
    EXPECT_EQ(Status(source, nullptr), TWCC_SUCCESS);
  }
}

TEST_F(EntryPointTest, IdentityWithoutDataFailsCleanly) {
  LoadedSource source;
  TW_IDENTITY origin = ApplicationIdentity(5);
  EXPECT_EQ(source(&origin, DG_CONTROL, DAT_IDENTITY, MSG_GET, nullptr), TWRC_SUCCESS);
  EXPECT_EQ(Status(source, &origin), TWCC_BADVALUE);
}

TEST_F(EntryPointTest, UnansweredIdentityMessagesRecordBadProtocol) {
  LoadedSource source;
  for (TW_UINT16 msg : {MSG_GETDEFAULT, MSG_GETFIRST, MSG_GETNEXT, MSG_USERSELECT, MSG_SET}) {
    TW_IDENTITY identity{};
    EXPECT_EQ(source(nullptr, DG_CONTROL, DAT_IDENTITY, msg, &identity), TWRC_SUCCESS);
    EXPECT_EQ(Status(source, nullptr), TWCC_BADPROTOCOL) << "MSG " << msg;
  }
}

TEST_F(EntryPointTest, ProcessEventWithoutDialogIsNotASourceEvent) {
  LoadedSource source;
  MSG message{};
  for (TW_UINT32 group : {DG_CONTROL, DG_IMAGE}) {
    TW_EVENT event{&message, 0x1234};
    EXPECT_EQ(source(nullptr, group, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
  }
  EXPECT_EQ(source(nullptr, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, nullptr), TWRC_NOTDSEVENT);
  EXPECT_EQ(Status(source, nullptr), TWCC_SUCCESS);
}

TEST_F(EntryPointTest, UnknownTripletsByGroup) {
  LoadedSource source;
  TW_IDENTITY origin = ApplicationIdentity(9);
  // An unknown control DAT: success to the application, BADPROTOCOL recorded.
  EXPECT_EQ(source(&origin, DG_CONTROL, DAT_PARENT, MSG_GET, nullptr), TWRC_SUCCESS);
  EXPECT_EQ(Status(source, &origin), TWCC_BADPROTOCOL);
  // An unknown image DAT: the failure reaches the application.
  EXPECT_EQ(source(&origin, DG_IMAGE, DAT_PALETTE8, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Status(source, &origin), TWCC_BADPROTOCOL);
  // Another data group fails and leaves the recorded code alone.
  EXPECT_EQ(source(&origin, DG_CONTROL, DAT_PARENT, MSG_GET, nullptr), TWRC_SUCCESS);
  EXPECT_EQ(source(&origin, DG_AUDIO, DAT_NULL, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(source(&origin, 0x80, DAT_STATUS, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Status(source, &origin), TWCC_BADPROTOCOL);
}

TEST_F(EntryPointTest, StatusIsReadAndCleared) {
  LoadedSource source;
  EXPECT_EQ(Status(source, nullptr), TWCC_SUCCESS);
  source(nullptr, DG_IMAGE, DAT_PALETTE8, MSG_GET, nullptr);
  TW_IDENTITY identity{};
  source(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, nullptr);  // BADVALUE overwrites it
  EXPECT_EQ(Status(source, nullptr), TWCC_BADVALUE);
  EXPECT_EQ(Status(source, nullptr), TWCC_SUCCESS);
  // MSG_SET on DAT_STATUS is a protocol error; a null status is refused.
  TW_STATUS status{};
  EXPECT_EQ(source(nullptr, DG_CONTROL, DAT_STATUS, MSG_SET, &status), TWRC_SUCCESS);
  EXPECT_EQ(Status(source, nullptr), TWCC_BADPROTOCOL);
  EXPECT_EQ(source(nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, nullptr), TWRC_SUCCESS);
  EXPECT_EQ(Status(source, nullptr), TWCC_BADVALUE);
  (void)identity;
}

TEST_F(EntryPointTest, TripletsFromAnyOriginPassWhileNoApplicationIsConnected) {
  LoadedSource source;
  TW_IDENTITY first = ApplicationIdentity(1);
  TW_IDENTITY second = ApplicationIdentity(2);
  source(&first, DG_IMAGE, DAT_PALETTE8, MSG_GET, nullptr);
  EXPECT_EQ(Status(source, &second), TWCC_BADPROTOCOL);
}

TEST_F(EntryPointTest, ReloadStartsClean) {
  LoadedSource source;
  source(nullptr, DG_IMAGE, DAT_PALETTE8, MSG_GET, nullptr);
  source.Unload();
  source.Load();
  ASSERT_TRUE(source.loaded());
  EXPECT_EQ(Status(source, nullptr), TWCC_SUCCESS);
  TW_IDENTITY identity{};
  source(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity);
  EXPECT_EQ(identity.Id, 0u);
  EXPECT_STREQ(identity.ProductName, "Korvanta Matrox Meteor2 driver");
}

}  // namespace
