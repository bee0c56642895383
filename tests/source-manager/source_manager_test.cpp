// The Source Manager stand-in, TWAIN_32.DLL, loaded and called as an
// application does: listing the data sources of a folder, opening and closing
// one (the module is loaded again at every open), forwarding triplets, and
// handing the source's notifications over through event processing.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "host_fixture.h"

namespace {

const std::string FAKE_SOURCES = OutputDirectory() + "/test-sources";

class SourceManagerTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    setenv("TWAIN_DS_DIR", FAKE_SOURCES.c_str(), 1);
    module_ = LoadLibraryA("TWAIN_32.DLL");
    ASSERT_NE(module_, nullptr);
    ResolveExport(module_, "DSM_Entry", &dsmEntry_);
  }

  void TearDown() override {
    if (source_.Id != 0) Manager(DAT_IDENTITY, MSG_CLOSEDS, &source_);
    if (managerOpen_) Manager(DAT_PARENT, MSG_CLOSEDSM, nullptr);
    if (module_ != nullptr) FreeLibrary(module_);
    for (const char* name : {"TWAIN_DS_DIR", "FAKE_SOURCE_NOTIFY", "FAKE_SOURCE_NOTIFY_ON_EVENT",
                             "FAKE_SOURCE_OPEN_FAILS"})
      unsetenv(name);
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
    HostFixture::TearDown();
  }

  TW_UINT16 Manager(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
    return dsmEntry_(&app_, nullptr, DG_CONTROL, DAT, MSG, data);
  }
  TW_UINT16 ToSource(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
    return dsmEntry_(&app_, &source_, DG, DAT, MSG, data);
  }
  TW_UINT16 ManagerCondition() {
    TW_STATUS status{};
    EXPECT_EQ(Manager(DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    return status.ConditionCode;
  }
  void OpenManager() {
    ASSERT_EQ(Manager(DAT_PARENT, MSG_OPENDSM, nullptr), TWRC_SUCCESS);
    managerOpen_ = true;
  }
  // Opens a source by product name (empty: the default one).
  TW_UINT16 OpenSource(const char* productName) {
    source_ = TW_IDENTITY{};
    snprintf(source_.ProductName, sizeof source_.ProductName, "%s", productName);
    TW_UINT16 result = Manager(DAT_IDENTITY, MSG_OPENDS, &source_);
    if (result != TWRC_SUCCESS) source_.Id = 0;
    return result;
  }
  TW_UINT16 CloseSource() {
    TW_UINT16 result = Manager(DAT_IDENTITY, MSG_CLOSEDS, &source_);
    source_.Id = 0;
    return result;
  }
  TW_UINT16 EnableWithoutUi() {
    TW_USERINTERFACE ui{TWAIN_FALSE, TWAIN_FALSE, nullptr};
    return ToSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
  }
  TW_UINT16 ProcessEvent(TW_UINT16* message) {
    MSG empty{};
    TW_EVENT event{&empty, 0xBEEF};
    TW_UINT16 result = ToSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    *message = event.TWMessage;
    return result;
  }
  std::string SourceTrace(const char* moduleName) {
    HMODULE source = GetModuleHandleA(moduleName);
    if (source == nullptr) return "(not loaded)";
    auto trace = reinterpret_cast<const char* (*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(source, "FakeSourceTrace")));
    return trace ? trace() : "(no trace)";
  }
  // A folder of its own holding the two fakes and files that are no sources.
  void UseFolderWithNonSources() {
    folder_ = std::filesystem::temp_directory_path() / ("dsm-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
    for (const char* name : {"FakeB.ds", "FakeA.ds"})
      std::filesystem::copy_file(FAKE_SOURCES + "/" + name, folder_ / name);
    std::ofstream(folder_ / "Broken.ds") << "not a module";
    std::ofstream(folder_ / "notes.txt") << "not a source";
    setenv("TWAIN_DS_DIR", folder_.c_str(), 1);
  }

  HMODULE module_ = nullptr;
  DSMENTRYPROC dsmEntry_ = nullptr;
  TW_IDENTITY app_ = ApplicationIdentity(0);
  TW_IDENTITY source_{};
  bool managerOpen_ = false;
  std::filesystem::path folder_;
};

TEST_F(SourceManagerTest, ListsTheLoadableSourcesOfTheFolderInFileNameOrder) {
  UseFolderWithNonSources();
  OpenManager();
  size_t modulesBefore = HostLoadedModuleCount();

  TW_IDENTITY identity{};
  ASSERT_EQ(Manager(DAT_IDENTITY, MSG_GETFIRST, &identity), TWRC_SUCCESS);
  EXPECT_STREQ(identity.ProductName, "Fake Camera A");
  EXPECT_STREQ(identity.Manufacturer, "Test bench");
  EXPECT_EQ(TW_UINT32(identity.Id), 0u);
  ASSERT_EQ(Manager(DAT_IDENTITY, MSG_GETNEXT, &identity), TWRC_SUCCESS);
  EXPECT_STREQ(identity.ProductName, "Fake Camera B");
  EXPECT_EQ(Manager(DAT_IDENTITY, MSG_GETNEXT, &identity), TWRC_ENDOFLIST);
  EXPECT_EQ(Manager(DAT_IDENTITY, MSG_GETNEXT, &identity), TWRC_ENDOFLIST);
  // Enumerating loads each module only while it answers.
  EXPECT_EQ(HostLoadedModuleCount(), modulesBefore);

  ASSERT_EQ(Manager(DAT_IDENTITY, MSG_GETDEFAULT, &identity), TWRC_SUCCESS);
  EXPECT_STREQ(identity.ProductName, "Fake Camera A");
}

TEST_F(SourceManagerTest, FindsTheRealSourceBesideItselfByDefault) {
  unsetenv("TWAIN_DS_DIR");
  OpenManager();
  TW_IDENTITY identity{};
  ASSERT_EQ(Manager(DAT_IDENTITY, MSG_GETFIRST, &identity), TWRC_SUCCESS);
  EXPECT_STREQ(identity.ProductName, "Korvanta Matrox Meteor2 driver");
  EXPECT_EQ(TW_UINT32(identity.SupportedGroups), DG_CONTROL | DG_IMAGE);
  EXPECT_EQ(Manager(DAT_IDENTITY, MSG_GETNEXT, &identity), TWRC_ENDOFLIST);
}

TEST_F(SourceManagerTest, ReportsItsOwnFailuresThroughItsConditionCode) {
  TW_IDENTITY identity{};
  EXPECT_EQ(Manager(DAT_IDENTITY, MSG_GETFIRST, &identity), TWRC_FAILURE);
  EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR) << "the manager is not open yet";
  EXPECT_EQ(ManagerCondition(), TWCC_SUCCESS) << "reading the condition code clears it";

  OpenManager();
  EXPECT_NE(TW_UINT32(app_.Id), 0u) << "MSG_OPENDSM gives the application its Id";
  TW_IDENTITY other = ApplicationIdentity(0);
  TW_IDENTITY unknown = ApplicationIdentity(999);
  struct Case {
    const char* what;
    std::function<TW_UINT16()> call;
    TW_UINT16 condition;
  };
  const Case cases[] = {
      {"MSG_OPENDSM again", [&] { return Manager(DAT_PARENT, MSG_OPENDSM, nullptr); },
       TWCC_SEQERROR},
      {"MSG_OPENDSM of another application",
       [&] { return dsmEntry_(&other, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr); },
       TWCC_MAXCONNECTIONS},
      {"a triplet of an application that did not open the manager",
       [&] {
         return dsmEntry_(&unknown, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &identity);
       },
       TWCC_SEQERROR},
      {"MSG_GETNEXT before MSG_GETFIRST",
       [&] { return Manager(DAT_IDENTITY, MSG_GETNEXT, &identity); }, TWCC_SEQERROR},
      {"MSG_GETFIRST without an identity",
       [&] { return Manager(DAT_IDENTITY, MSG_GETFIRST, nullptr); }, TWCC_BADVALUE},
      {"MSG_OPENDS of an unknown source", [&] { return OpenSource("No such camera"); }, TWCC_NODS},
      {"MSG_CLOSEDS of a source that is not open", [&] { return CloseSource(); }, TWCC_BADDEST},
      {"a triplet for a source that is not open",
       [&] { return ToSource(DG_CONTROL, DAT_STATUS, MSG_GET, &identity); }, TWCC_BADDEST},
      {"DAT_STATUS / MSG_SET", [&] { return Manager(DAT_STATUS, MSG_SET, &identity); },
       TWCC_BADPROTOCOL},
      {"a triplet the manager does not answer",
       [&] { return Manager(DAT_PENDINGXFERS, MSG_GET, &identity); }, TWCC_BADPROTOCOL},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.call(), TWRC_FAILURE) << c.what;
    EXPECT_EQ(ManagerCondition(), c.condition) << c.what;
  }

  ASSERT_EQ(OpenSource("Fake Camera A"), TWRC_SUCCESS);
  EXPECT_EQ(Manager(DAT_PARENT, MSG_CLOSEDSM, nullptr), TWRC_FAILURE)
      << "the source must be closed first";
  EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR);
  TW_IDENTITY second{};
  strcpy(second.ProductName, "Fake Camera B");
  EXPECT_EQ(Manager(DAT_IDENTITY, MSG_OPENDS, &second), TWRC_FAILURE) << "one source at a time";
  EXPECT_EQ(ManagerCondition(), TWCC_MAXCONNECTIONS);
}

TEST_F(SourceManagerTest, OpensASourceByNameWithAnIdAndLoadsItAgainAtEveryOpen) {
  OpenManager();
  ASSERT_EQ(OpenSource("Fake Camera B"), TWRC_SUCCESS);
  EXPECT_STREQ(source_.ProductName, "Fake Camera B");
  TW_UINT32 firstId = source_.Id;
  EXPECT_NE(firstId, 0u);
  EXPECT_NE(firstId, TW_UINT32(app_.Id));
  EXPECT_EQ(GetModuleHandleA("FakeA.ds"), nullptr);

  // Triplets for the source reach its DS_Entry with the application as origin.
  TW_STATUS status{};
  EXPECT_EQ(ToSource(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
  std::string app = " from " + std::to_string(app_.Id) + "\n";
  EXPECT_NE(SourceTrace("FakeB.ds").find("1/3/401" + app + "1/8/1" + app + "1/8/1" + app),
            std::string::npos)
      << SourceTrace("FakeB.ds");

  EXPECT_EQ(CloseSource(), TWRC_SUCCESS);
  EXPECT_EQ(GetModuleHandleA("FakeB.ds"), nullptr) << "MSG_CLOSEDS unloads the source";

  ASSERT_EQ(OpenSource("Fake Camera B"), TWRC_SUCCESS);
  EXPECT_NE(TW_UINT32(source_.Id), firstId);
  EXPECT_EQ(SourceTrace("FakeB.ds").rfind("1/3/401", 0), 0u)
      << "a module loaded afresh has seen nothing before MSG_OPENDS: " << SourceTrace("FakeB.ds");
  EXPECT_EQ(CloseSource(), TWRC_SUCCESS);

  ASSERT_EQ(OpenSource(""), TWRC_SUCCESS) << "an empty product name opens the default source";
  EXPECT_STREQ(source_.ProductName, "Fake Camera A");
}

TEST_F(SourceManagerTest, ClosesAndUnloadsASourceThatReportsAFailedOpen) {
  setenv("FAKE_SOURCE_OPEN_FAILS", "23", 1);
  OpenManager();
  EXPECT_EQ(OpenSource("Fake Camera A"), TWRC_FAILURE);
  EXPECT_EQ(ManagerCondition(), TWCC_CHECKDEVICEONLINE) << "the source's own condition code";
  EXPECT_EQ(GetModuleHandleA("FakeA.ds"), nullptr);

  unsetenv("FAKE_SOURCE_OPEN_FAILS");
  EXPECT_EQ(OpenSource("Fake Camera A"), TWRC_SUCCESS);
}

TEST_F(SourceManagerTest, HandsTheNotificationsOverInOrderThroughEventProcessing) {
  setenv("FAKE_SOURCE_NOTIFY", "101,102", 1);
  OpenManager();
  ASSERT_EQ(OpenSource("Fake Camera A"), TWRC_SUCCESS);
  ASSERT_EQ(EnableWithoutUi(), TWRC_SUCCESS);

  TW_UINT16 message = 0;
  EXPECT_EQ(ProcessEvent(&message), TWRC_DSEVENT);
  EXPECT_EQ(message, MSG_XFERREADY);
  EXPECT_EQ(ProcessEvent(&message), TWRC_DSEVENT);
  EXPECT_EQ(message, MSG_CLOSEDSREQ);
  EXPECT_EQ(ProcessEvent(&message), TWRC_NOTDSEVENT);
  EXPECT_EQ(message, MSG_NULL);

  // Every event went to the source first.
  std::string trace = SourceTrace("FakeA.ds");
  size_t events = 0;
  for (size_t at = trace.find("1/2/601"); at != std::string::npos;
       at = trace.find("1/2/601", at + 1))
    ++events;
  EXPECT_EQ(events, 3u) << trace;
}

TEST_F(SourceManagerTest, HandsOverANotificationSentWhileTheSourceTookTheEvent) {
  // As when the dialog's Transfer button is pressed inside event processing.
  setenv("FAKE_SOURCE_NOTIFY_ON_EVENT", "101", 1);
  OpenManager();
  ASSERT_EQ(OpenSource("Fake Camera A"), TWRC_SUCCESS);
  TW_UINT16 message = 0;
  EXPECT_EQ(ProcessEvent(&message), TWRC_DSEVENT);
  EXPECT_EQ(message, MSG_XFERREADY);
  EXPECT_EQ(ProcessEvent(&message), TWRC_NOTDSEVENT);
  EXPECT_EQ(message, MSG_NULL);
}

TEST_F(SourceManagerTest, DropsTheNotificationsOfAClosedSourceAndRefusesBadOnes) {
  setenv("FAKE_SOURCE_NOTIFY", "101", 1);
  OpenManager();
  ASSERT_EQ(OpenSource("Fake Camera A"), TWRC_SUCCESS);
  ASSERT_EQ(EnableWithoutUi(), TWRC_SUCCESS);
  EXPECT_EQ(CloseSource(), TWRC_SUCCESS);
  ASSERT_EQ(OpenSource("Fake Camera A"), TWRC_SUCCESS);
  TW_UINT16 message = 0;
  EXPECT_EQ(ProcessEvent(&message), TWRC_NOTDSEVENT);
  EXPECT_EQ(message, MSG_NULL);

  // Notifications the manager cannot deliver are refused, not queued.
  TW_IDENTITY stranger = ApplicationIdentity(999);
  EXPECT_EQ(dsmEntry_(&source_, &stranger, DG_CONTROL, DAT_NULL, MSG_XFERREADY, nullptr),
            TWRC_FAILURE);
  EXPECT_EQ(ManagerCondition(), TWCC_BADDEST);
  EXPECT_EQ(dsmEntry_(&source_, &app_, DG_CONTROL, DAT_NULL, MSG_ENDXFER, nullptr), TWRC_FAILURE);
  EXPECT_EQ(ManagerCondition(), TWCC_BADPROTOCOL);
  EXPECT_EQ(ProcessEvent(&message), TWRC_NOTDSEVENT);
  EXPECT_EQ(message, MSG_NULL);
}

}  // namespace
