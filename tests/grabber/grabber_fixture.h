// The frame-grabber layer's tests run against the simulated board: a fixture
// that holds MIL.DLL loaded (so the simulator's state outlives the source's
// own load and unload), reaches its testing calls, captures the diagnostic
// log and returns every process-wide record to its load state.
#pragma once

#include <string>
#include <vector>

#include "host_fixture.h"
#include "simulator_controls.h"

class GrabberTest : public HostFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads the runtime and sets up a digitizer for the format on a board of
  // the given type; then clears the call log and the captured log.
  void Open(int32_t boardType, const char* format);

  // The simulator's call log, and its lines that call the named function.
  std::string CallLog() const;
  std::vector<std::string> Calls(const std::string& name) const;
  // The diagnostic log written since the last clear.
  std::string Log() const;
  void ClearLogs();

  SimDigitizerState DigitizerState() const;

  SimControls sim{};

 private:
  HMODULE simulatorModule_ = nullptr;
  uint32_t savedDumpMode_ = 0;
};

// "Name(arg, arg, ...)": the call-log line of a call, without its result.
std::string Call(const std::string& name, const std::vector<long long>& args);
