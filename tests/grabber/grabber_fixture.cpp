#include "grabber_fixture.h"

#include <sstream>

#include "capabilities/capability_table.h"
#include "grabber/digitizer_setup.h"
#include "grabber/mil_info.h"
#include "grabber/runtime_loading.h"
#include "settings/grabber_settings.h"
#include "source/source_session.h"

namespace {

template <typename Proc>
void Resolve(HMODULE module, const char* name, Proc* proc) {
  *proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
  ASSERT_NE(*proc, nullptr) << name;
}

}  // namespace

void GrabberTest::SetUp() {
  HostFixture::SetUp();
  savedDumpMode_ = sourceSession.dumpMode;
  sourceSession.dumpMode = DUMP_TO_DEBUGGER;
  milInfo = MilInfo();
  ResetGrabberSettings();

  simulatorModule_ = LoadLibraryA("MIL.DLL");
  ASSERT_NE(simulatorModule_, nullptr) << "the simulator MIL.DLL is not in the bin folder";
  Resolve(simulatorModule_, "SimReset", &sim.Reset);
  Resolve(simulatorModule_, "SimSetBoardType", &sim.SetBoardType);
  Resolve(simulatorModule_, "SimSetSupportedFormats", &sim.SetSupportedFormats);
  Resolve(simulatorModule_, "SimSetPixelLayout", &sim.SetPixelLayout);
  Resolve(simulatorModule_, "SimSetGrabMemoryKb", &sim.SetGrabMemoryKb);
  Resolve(simulatorModule_, "SimSetInstant", &sim.SetInstant);
  Resolve(simulatorModule_, "SimSetFault", &sim.SetFault);
  Resolve(simulatorModule_, "SimReadCallLog", &sim.ReadCallLog);
  Resolve(simulatorModule_, "SimClearCallLog", &sim.ClearCallLog);
  Resolve(simulatorModule_, "SimErrorReportsOn", &sim.ErrorReportsOn);
  Resolve(simulatorModule_, "SimGetDigitizerState", &sim.GetDigitizerState);
  Resolve(simulatorModule_, "SimGetDisplayState", &sim.GetDisplayState);
  Resolve(simulatorModule_, "SimGetDisplayControl", &sim.GetDisplayControl);
  Resolve(simulatorModule_, "SimFrameCount", &sim.FrameCount);
  Resolve(simulatorModule_, "SimObjectCount", &sim.ObjectCount);
  Resolve(simulatorModule_, "SimGrabMemoryUsed", &sim.GrabMemoryUsed);
  Resolve(simulatorModule_, "SimExpectedPixel", &sim.ExpectedPixel);
  if (HasFatalFailure()) return;
  sim.Reset();
  sim.SetInstant(1);

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
  if (sim.Reset != nullptr) sim.Reset();
  if (simulatorModule_ != nullptr) FreeLibrary(simulatorModule_);
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

std::string GrabberTest::CallLog() const {
  std::string log(sim.ReadCallLog(nullptr, 0) + 1, '\0');
  log.resize(sim.ReadCallLog(&log[0], log.size()));
  return log;
}

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
