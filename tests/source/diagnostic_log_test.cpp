// The diagnostic log in its three modes, through the loaded module and in
// process.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "host_fixture.h"
#include "source/condition_codes.h"
#include "source/diagnostic_log.h"
#include "source/source_session.h"

namespace {

const char SOURCE_KEY[] = "SOFTWARE\\Korvanta\\Twain\\";

std::string MakeTemporaryFolder() {
  char pattern[] = "/tmp/twain-log-XXXXXX";
  const char* made = mkdtemp(pattern);
  return made != nullptr ? made : "";
}

std::string CurrentFolder() {
  char buffer[512] = "";
  return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

// The module is loaded from a copy in a folder of the test's own, so tests
// running side by side never share its log file.
class LoggedModuleTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    moduleFolder_ = MakeTemporaryFolder();
    ASSERT_FALSE(moduleFolder_.empty());
    std::filesystem::copy_file(OutputDirectory() + "/Twain_32.ds",
                               moduleFolder_ + "/Twain_32.ds");
  }
  void TearDown() override {
    std::filesystem::remove_all(moduleFolder_);
    HostFixture::TearDown();
  }
  std::string ModuleLogPath() const { return moduleFolder_ + "/KORVANTA.LOG"; }
  // Loads the module with the given Dump value and sends DAT_STATUS / MSG_SET.
  void RunWithDump(DWORD type, const void* data, DWORD size) {
    if (data != nullptr) SetRegistryValue(SOURCE_KEY, "Dump", type, data, size);
    LoadedSource source(moduleFolder_ + "/Twain_32.ds");
    ASSERT_TRUE(source.loaded());
    TW_STATUS status{};
    source(nullptr, DG_CONTROL, DAT_STATUS, MSG_SET, &status);
  }

  std::string moduleFolder_;
};

const char EXPECTED_LOG[] =
    "Dispatching DG_CONTROL / DAT_8 / MSG_6 \n"
    "General failure in response to DAT_STATUS.  Bad protocol error.";

TEST_F(LoggedModuleTest, DumpSelectsTheOutput) {
  const DWORD toFile = 42;
  const DWORD toDebugger = 66;
  const DWORD off = 1;
  struct Case {
    const char* name;
    DWORD type;
    const void* data;
    DWORD size;
    bool file;
    bool debugger;
  } cases[] = {
      {"REG_DWORD 42", REG_DWORD, &toFile, 4, true, false},
      {"REG_SZ *", REG_SZ, "*", 2, true, false},
      {"REG_DWORD 66", REG_DWORD, &toDebugger, 4, false, true},
      {"REG_SZ B", REG_SZ, "B", 2, false, true},
      {"REG_DWORD 1", REG_DWORD, &off, 4, false, false},
      {"REG_SZ **", REG_SZ, "**", 3, false, false},
      {"missing", REG_NONE, nullptr, 0, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostUseMemoryRegistry();
    HostClearDebugOutput();
    remove(ModuleLogPath().c_str());
    RunWithDump(c.type, c.data, c.size);
    EXPECT_EQ(ReadFileText(ModuleLogPath()), c.file ? EXPECTED_LOG : "");
    EXPECT_EQ(std::string(HostDebugOutput()), c.debugger ? EXPECTED_LOG : "");
  }
}

TEST_F(LoggedModuleTest, LogGoesToTheModuleFolderAndLeavesTheCurrentFolder) {
  std::string saved = CurrentFolder();
  std::string elsewhere = MakeTemporaryFolder();
  ASSERT_EQ(chdir(elsewhere.c_str()), 0);
  const DWORD toFile = 42;
  RunWithDump(REG_DWORD, &toFile, 4);
  EXPECT_EQ(CurrentFolder(), elsewhere);
  EXPECT_EQ(ReadFileText(elsewhere + "/KORVANTA.LOG"), "");
  EXPECT_EQ(ReadFileText(ModuleLogPath()), EXPECTED_LOG);
  ASSERT_EQ(chdir(saved.c_str()), 0);
  rmdir(elsewhere.c_str());
}

// In process: the scope itself, with the session pointing at a folder of the
// test's own.
class DiagnosticLogTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    folder_ = MakeTemporaryFolder();
    sourceSession.dumpMode = DUMP_TO_FILE;
    snprintf(sourceSession.moduleDirectory, sizeof sourceSession.moduleDirectory, "%s",
             folder_.c_str());
  }
  void TearDown() override {
    remove(LogPath().c_str());
    rmdir(folder_.c_str());
    sourceSession.dumpMode = 0;
    sourceSession.moduleDirectory[0] = '\0';
    HostFixture::TearDown();
  }
  std::string LogPath() const { return folder_ + "/KORVANTA.LOG"; }
  std::string folder_;
};

TEST_F(DiagnosticLogTest, LongTextIsCutAt511Characters) {
  std::string text(600, 'x');
  {
    DiagnosticLog log;
    log.Write("%s", text.c_str());
  }
  EXPECT_EQ(ReadFileText(LogPath()), std::string(511, 'x'));
}

TEST_F(DiagnosticLogTest, FormattedTextIsWrittenLiterally) {
  {
    DiagnosticLog log;
    log.Write("file %s\n", "C:\\TEMP\\100%d%s.tif");
    log.Write("no line end ");
    log.Write("%d\n", 7);
  }
  EXPECT_EQ(ReadFileText(LogPath()), "file C:\\TEMP\\100%d%s.tif\nno line end 7\n");
}

TEST_F(DiagnosticLogTest, NestedScopesAppendInOrder) {
  {
    DiagnosticLog outer;
    outer.Write("outer ");
    {
      DiagnosticLog inner;
      inner.Write("inner ");
    }
    outer.Write("again\n");
  }
  EXPECT_EQ(ReadFileText(LogPath()), "outer inner again\n");
}

TEST_F(DiagnosticLogTest, ConditionCodesAreLoggedWithTheirMessages) {
  struct Case {
    ConditionCode code;
    const char* message;
  } cases[] = {
      {TWCC_SUCCESS, "Success message from detailed error request ??"},
      {TWCC_CAPBADOPERATION, " Operation not supported by capability "},
      {TWCC_CHECKDEVICEONLINE, "The device went offline prior to or during this operation"},
      {8, "Unknown Error value in condition code."},
      {22, "Unknown Error value in condition code."},
      {400, "Unknown Error value in condition code."},
  };
  std::string expected;
  for (const Case& c : cases) {
    SetConditionCode("text: ", c.code);
    EXPECT_EQ(sourceSession.conditionCode.ConditionCode, c.code);
    expected += std::string("text: ") + c.message;
  }
  EXPECT_EQ(ReadFileText(LogPath()), expected);
  sourceSession.conditionCode.ConditionCode = 0;
}

TEST_F(DiagnosticLogTest, AMissingModuleFolderLogsIntoTheCurrentFolder) {
  snprintf(sourceSession.moduleDirectory, sizeof sourceSession.moduleDirectory,
           "/nonexistent/folder");
  std::string saved = CurrentFolder();
  ASSERT_EQ(chdir(folder_.c_str()), 0);
  {
    DiagnosticLog log;
    log.Write("here\n");
  }
  EXPECT_EQ(CurrentFolder(), folder_);
  ASSERT_EQ(chdir(saved.c_str()), 0);
  EXPECT_EQ(ReadFileText(LogPath()), "here\n");
}

TEST_F(DiagnosticLogTest, ALogThatCannotBeOpenedChangesNothing) {
  // A folder where the file should be: no user, root included, can open it.
  ASSERT_EQ(mkdir(LogPath().c_str(), 0700), 0);
  {
    DiagnosticLog log;
    log.Write("lost\n");
  }
  SetConditionCode("still recorded ", TWCC_BUMMER);
  EXPECT_EQ(sourceSession.conditionCode.ConditionCode, TWCC_BUMMER);
  sourceSession.conditionCode.ConditionCode = 0;
  rmdir(LogPath().c_str());
}

}  // namespace
