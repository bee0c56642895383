#include "simulator_controls.h"

#include "host_fixture.h"

std::string SimControls::CallLog() const {
  std::string log(ReadCallLog(nullptr, 0) + 1, '\0');
  log.resize(ReadCallLog(&log[0], log.size()));
  return log;
}

#define RESOLVE_SIM(name) ResolveExport(module, "Sim" #name, &sim->name)

void ResolveSimControls(HMODULE module, SimControls* sim) {
  RESOLVE_SIM(Reset);
  RESOLVE_SIM(SetBoardType);
  RESOLVE_SIM(SetBoardRevision);
  RESOLVE_SIM(SetSupportedFormats);
  RESOLVE_SIM(SetPixelLayout);
  RESOLVE_SIM(SetGrabMemoryKb);
  RESOLVE_SIM(SetInstant);
  RESOLVE_SIM(SetFault);
  RESOLVE_SIM(ReadCallLog);
  RESOLVE_SIM(ClearCallLog);
  RESOLVE_SIM(ErrorCount);
  RESOLVE_SIM(ErrorReportsOn);
  RESOLVE_SIM(GetDigitizerState);
  RESOLVE_SIM(GetDisplayState);
  RESOLVE_SIM(GetDisplayControl);
  RESOLVE_SIM(FrameCount);
  RESOLVE_SIM(ObjectCount);
  RESOLVE_SIM(GrabMemoryUsed);
  RESOLVE_SIM(ExpectedPixel);
}

#undef RESOLVE_SIM

void LoadSimulator(HMODULE* module, SimControls* sim) {
  *module = LoadLibraryA("MIL.DLL");
  ASSERT_NE(*module, nullptr) << "MIL.DLL not found beside the test program";
  ResolveSimControls(*module, sim);
  if (::testing::Test::HasFatalFailure()) return;
  sim->Reset();
  sim->SetInstant(1);
}

void UnloadSimulator(HMODULE* module, const SimControls& sim) {
  if (*module == nullptr) return;
  if (sim.Reset != nullptr) sim.Reset();
  FreeLibrary(*module);
  *module = nullptr;
}
