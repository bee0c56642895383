#include "grabber_fixture.h"

#include <sstream>

#include "capabilities/capability_table.h"
#include "grabber/digitizer_setup.h"
#include "grabber/mil_info.h"
#include "grabber/runtime_loading.h"
#include "settings/grabber_settings.h"
#include "source/source_session.h"

void GrabberTest::SetUp() {
  HostFixture::SetUp();
  savedDumpMode_ = sourceSession.dumpMode;
  sourceSession.dumpMode = DUMP_TO_DEBUGGER;
  milInfo = MilInfo();
  ResetGrabberSettings();

  LoadSimulator(&simulatorModule_, &sim);
  if (HasFatalFailure()) return;

  InitCapabilities();
  HostClearDebugOutput();
}

void GrabberTest::TearDown() {
  MilFreeRuntime();
  ReleaseCapabilities();
  if (sim.ObjectCount != nullptr) {
    EXPECT_EQ(sim.ObjectCount(SIM_ALL_OBJECTS), 0) << "an imaging-library object was left";
  }
  milInfo = MilInfo();
  ResetGrabberSettings();
  UnloadSimulator(&simulatorModule_, sim);
  sourceSession.dumpMode = savedDumpMode_;
  HostFixture::TearDown();
}

void GrabberTest::Open(int32_t boardType, const char* format) {
  sim.SetBoardType(boardType);
  ASSERT_EQ(MilLoadRuntime(), 0);
  char buffer[DIG_FORMAT_SIZE];
  snprintf(buffer, sizeof buffer, "%s", format);
  ASSERT_EQ(MilInitDigitizer(buffer), 0);
  ClearLogs();
}

std::string GrabberTest::CallLog() const { return sim.CallLog(); }

std::vector<std::string> GrabberTest::Calls(const std::string& name) const {
  std::vector<std::string> lines;
  std::istringstream log(CallLog());
  for (std::string line; std::getline(log, line);) {
    if (line.compare(0, name.size() + 1, name + "(") == 0) lines.push_back(line);
  }
  return lines;
}

std::string GrabberTest::Log() const { return HostDebugOutput(); }

void GrabberTest::ClearLogs() {
  sim.ClearCallLog();
  HostClearDebugOutput();
  HostClearMessageBoxes();
}

SimDigitizerState GrabberTest::DigitizerState() const {
  SimDigitizerState state{};
  EXPECT_EQ(sim.GetDigitizerState(milInfo.MilDigitizer, &state), 1);
  return state;
}

std::string Call(const std::string& name, const std::vector<long long>& args) {
  std::string line = name + "(";
  for (size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + std::to_string(args[i]);
  return line + ")";
}
