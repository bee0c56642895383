// Loading the imaging library when the source opens: the log header, the
// version lines, every way the start-up can fail, and the release at close.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "grabber/imaging_library.h"
#include "grabber/mil_info.h"
#include "grabber/runtime_loading.h"
#include "grabber_fixture.h"

namespace {

class RuntimeLoadingTest : public GrabberTest {};

TEST_F(RuntimeLoadingTest, StartsWithAHeaderLoadsBothLibrariesAndAllocatesTheSystem) {
  ASSERT_EQ(MilLoadRuntime(), 0);

  const std::string log = Log();
  const std::string separator = std::string(72, '-') + " \n";
  EXPECT_EQ(log.compare(0, separator.size(), separator), 0) << log;
  // asctime's fixed form: weekday, month, space-padded day, time, year.
  EXPECT_TRUE(std::regex_search(
      log, std::regex("\nLog created (Mon|Tue|Wed|Thu|Fri|Sat|Sun) "
                      "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 123][0-9] "
                      "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\nKorvanta TWAIN DS: "
                      "Loading runtime DLL's \n")))
      << log;
  // One version line for each library and for the source's own module file
  // (here the test program, which has no version resource), in this order.
  char program[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, program, sizeof program), 0u);
  EXPECT_TRUE(std::regex_search(log, std::regex("\nMIL\\.DLL Version: [^\n]+ \n"
                                                "MILMET2\\.DLL Version: [^\n]+ \n"
                                                "File [^\n]+ has no Version information \n")))
      << log;
  EXPECT_NE(log.find(std::string("File ") + program + " has no Version information \n"),
            std::string::npos)
      << log;

  EXPECT_NE(milInfo.MilLibrary, nullptr);
  EXPECT_NE(milInfo.BoardLibrary, nullptr);
  EXPECT_NE(milInfo.MilApplication, 0);
  EXPECT_NE(milInfo.MilSystem, 0);
  EXPECT_NE(imagingLibrary.MgenLutRamp, nullptr);
  EXPECT_EQ(Calls("MappAlloc").size(), 1u);
  ASSERT_EQ(Calls("MsysAlloc").size(), 1u);
  EXPECT_EQ(Calls("MsysAlloc")[0].rfind("MsysAlloc(\"\\\\.\\M_SYSTEM_METEOR_II\", 0, 0) = ", 0), 0u)
      << Calls("MsysAlloc")[0];
  EXPECT_EQ(HostMessageBoxCount(), 0u);
}

TEST_F(RuntimeLoadingTest, TheSourceModuleReportsItsProductVersion) {
  std::string path = OutputDirectory() + "/Twain_32.ds";
  LogFileVersion(path.c_str());
  EXPECT_EQ(Log(), path + " Version: 1, 1, 0, 0 \n");
}

// One way the start-up fails: what is hidden or refused, and the log line
// that ends the start-up.
struct StartUpFailure {
  const char* hiddenModules[2];
  const char* hiddenExport;  // of MIL.DLL
  int32_t fault;
  const char* lastLine;
  size_t messageBoxes;
};

void PrintTo(const StartUpFailure& failure, std::ostream* out) { *out << failure.lastLine; }

class StartUpFailureTest : public GrabberTest,
                           public ::testing::WithParamInterface<StartUpFailure> {};

TEST_P(StartUpFailureTest, EndsWithItsLogLineAndLeavesNothingLoaded) {
  const StartUpFailure& failure = GetParam();
  for (const char* module : failure.hiddenModules) {
    if (module) HostHideModule(module);
  }
  if (failure.hiddenExport) HostHideExport("MIL.DLL", failure.hiddenExport);
  if (failure.fault) sim.SetFault(failure.fault, 1);

  EXPECT_EQ(MilLoadRuntime(), 1);

  const std::string log = Log();
  const std::string last = failure.lastLine;
  ASSERT_GE(log.size(), last.size());
  EXPECT_EQ(log.substr(log.size() - last.size()), last) << log;
  ASSERT_EQ(HostMessageBoxCount(), failure.messageBoxes);
  if (failure.messageBoxes == 1) {
    EXPECT_STREQ(HostMessageBoxText(0),
                 "Unable to establish communication to low level DLL, make sure the right "
                 "MATROX board level drivers are installed!");
    EXPECT_STREQ(HostMessageBoxCaption(0), "Korvanta TWAIN driver error message");
  }
  // No application or system stays allocated, no library stays loaded and the
  // table points into none.
  EXPECT_EQ(sim.ObjectCount(SIM_ALL_OBJECTS), 0);
  EXPECT_EQ(milInfo.MilApplication, 0);
  EXPECT_EQ(milInfo.MilSystem, 0);
  EXPECT_EQ(milInfo.MilLibrary, nullptr);
  EXPECT_EQ(milInfo.BoardLibrary, nullptr);
  EXPECT_EQ(imagingLibrary.MappAlloc, nullptr);

  // Closing after a failed start-up releases nothing and calls nothing.
  sim.ClearCallLog();
  MilFreeRuntime();
  EXPECT_EQ(CallLog(), "");
}

INSTANTIATE_TEST_SUITE_P(
    EveryWayOut, StartUpFailureTest,
    ::testing::Values(
        // Both hidden: the board library is not tried, or it would show its box.
        StartUpFailure{{"MIL.DLL", "MILMET2.DLL"}, nullptr, 0,
                       "Korvanta TWAIN DS: Error in LoadLibrary, MIL.DLL not found \n", 0},
        StartUpFailure{{"MILMET2.DLL", nullptr}, nullptr, 0,
                       "Korvanta TWAIN DS: Error in LoadLibrary, GRABBER_DLL not found \n", 1},
        StartUpFailure{{nullptr, nullptr}, "MappAlloc", 0,
                       "Korvanta TWAIN DS: Error in GetProcAddress, MappAlloc not found \n", 0},
        // Resolved although nothing calls it.
        StartUpFailure{{nullptr, nullptr}, "MdispInquire", 0,
                       "Korvanta TWAIN DS: Error in GetProcAddress, MdispInquire not found \n",
                       0},
        StartUpFailure{{nullptr, nullptr}, "MgenLutRamp", 0,
                       "Korvanta TWAIN DS: Error in GetProcAddress, MgenLutRamp not found \n", 0},
        StartUpFailure{{nullptr, nullptr}, nullptr, SIM_FAULT_NO_SYSTEM,
                       "Korvanta TWAIN DS: Error in MsysAlloc \n", 0}));

TEST_F(RuntimeLoadingTest, OnlyTheFirstMissingEntryPointIsReported) {
  HostHideExport("MIL.DLL", "MdigGrab");
  HostHideExport("MIL.DLL", "MbufSave");
  EXPECT_EQ(MilLoadRuntime(), 1);
  EXPECT_NE(Log().find("MdigGrab not found"), std::string::npos);
  EXPECT_EQ(Log().find("MbufSave"), std::string::npos);
}

TEST_F(RuntimeLoadingTest, NoBoardReleasesTheApplicationItAllocated) {
  sim.SetFault(SIM_FAULT_NO_SYSTEM, 1);
  EXPECT_EQ(MilLoadRuntime(), 1);
  ASSERT_EQ(Calls("MappAlloc").size(), 1u);
  ASSERT_EQ(Calls("MappFree").size(), 1u);
  EXPECT_EQ(sim.ObjectCount(SIM_APPLICATIONS), 0);
}

TEST_F(RuntimeLoadingTest, FreeRuntimeReleasesEverythingOnceAndThenDoesNothing) {
  Open(24, "M_PAL_RGB");
  MilFreeRuntime();
  EXPECT_EQ(sim.ObjectCount(SIM_ALL_OBJECTS), 0);
  EXPECT_EQ(Calls("MsysFree").size(), 1u);
  EXPECT_EQ(Calls("MappFree").size(), 1u);
  EXPECT_EQ(milInfo.MilSystem, 0);
  EXPECT_EQ(milInfo.MilApplication, 0);
  EXPECT_EQ(milInfo.MilDigitizer, 0);
  EXPECT_EQ(milInfo.MilLibrary, nullptr);
  EXPECT_EQ(milInfo.curveSet, nullptr);
  // The board facts keep their last values.
  EXPECT_EQ(milInfo.ImageWidth, 768u);

  sim.ClearCallLog();
  MilFreeRuntime();
  EXPECT_EQ(CallLog(), "");
}

TEST_F(RuntimeLoadingTest, EveryOpeningLoadsAgainAndWritesANewHeader) {
  Open(27, "M_CCIR");
  MilFreeRuntime();
  HostClearDebugOutput();
  ASSERT_EQ(MilLoadRuntime(), 0);
  EXPECT_NE(Log().find("Log created "), std::string::npos);
  EXPECT_NE(milInfo.MilSystem, 0);
}

}  // namespace
