// The programs that show the dialog: dialog_script plays a user's actions
// through the Source Manager and acquire's message loop, up to MSG_XFERREADY,
// and saves a snapshot; acquire --ui shows the dialog and waits for the user.
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <filesystem>
#include <fstream>

#include "host_fixture.h"

namespace {

struct ProgramRun {
  int status;
  std::string output;
};

// Runs a program of the bin folder with the simulated board in instant mode
// and a registry file of the test's own.
ProgramRun RunProgram(const std::string& arguments, const std::string& folder) {
  std::string command = "cd '" + OutputDirectory() + "' && MILSIM_INSTANT=1 TWAIN_HOST_REGISTRY='" +
                        folder + "/registry' ./" + arguments + " 2>&1";
  ProgramRun run{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class ScriptedDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = OutputDirectory() + "/ui_tmp/" +
              testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string folder_;
};

TEST_F(ScriptedDialogTest, ScriptDrivesTheDialogToATransferAndSnapshots) {
  std::string script = folder_ + "/script.txt";
  std::string snapshot = folder_ + "/dialog.png";
  std::ofstream(script) << "# a user's visit\n"
                           "tab 1\n"
                           "tab 2\n"
                           "mouse move 120 40\n"
                           "click 1086\n"
                           "snapshot " << snapshot << "\n"
                           "transfer\n";
  ProgramRun run = RunProgram("dialog_script " + script, folder_);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("Enabled the source with its user interface"), std::string::npos);
  EXPECT_NE(run.output.find("Transfer ready"), std::string::npos) << run.output;
  std::string png = ReadFileText(snapshot);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
}

TEST_F(ScriptedDialogTest, ScriptStopsAtAnActionTheDialogCannotTake) {
  std::string script = folder_ + "/script.txt";
  std::ofstream(script) << "click 4711\nsnapshot " << folder_ << "/never.png\n";
  ProgramRun run = RunProgram("dialog_script " + script, folder_);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("cannot do 'click 4711'"), std::string::npos) << run.output;
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/never.png"));
  EXPECT_NE(run.output.find("Closed the source"), std::string::npos);
}

TEST_F(ScriptedDialogTest, AcquireWithTheDialogWaitsForTheUser) {
  ProgramRun run = RunProgram("acquire --ui --timeout 0.3 -o " + folder_ + "/image.bmp", folder_);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("Enabled the source with its user interface"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("no MSG_XFERREADY from the source within 0.3 s"), std::string::npos);
  EXPECT_NE(run.output.find("Closed the source"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/image.bmp"));
}

}  // namespace
