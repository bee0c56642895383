// Mapp* and Msys*: the library application, its error-report switch, and the
// board's system with its type and revision.
#include <cstring>

#include "exports.h"
#include "simulator.h"

using namespace sim;

namespace {

constexpr uint32_t ERROR_REPORTS = 0x40000000;
constexpr uint32_t BOARD_TYPE = 2014;
constexpr uint32_t BOARD_REVISION = 2015;
constexpr char SYSTEM_DESCRIPTOR[] = "\\\\.\\M_SYSTEM_METEOR_II";

// The application that new systems belong to: the latest one still alive.
MIL_ID CurrentApplication(Simulator& sim) {
  return sim.applications.empty() ? 0 : sim.applications.rbegin()->first;
}

}  // namespace

MILAPI MIL_ID MFTYPE MappAlloc(MIL_INT initFlag, MIL_ID* applicationId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MappAlloc", initFlag);
  ReadEnvironment(sim);
  // A new application starts with error reports on.
  sim.errorReports = true;
  MIL_ID id = NewId(sim, applicationId);
  sim.applications[id].reset(new Application{id});
  return call.Result(id);
}

MILAPI void MFTYPE MappFree(MIL_ID application) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MappFree", application);
  if (FindOrReport(call, sim.applications, application, "application") == nullptr) return;
  ReleaseApplication(lock, application);
}

MILAPI void MFTYPE MappControl(MIL_INT controlType, MIL_INT controlValue) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MappControl", controlType, controlValue);
  if (Word(controlType) != ERROR_REPORTS) {
    call.Error("unknown control type");
    return;
  }
  if (controlValue != 0 && controlValue != 1) {
    call.Error("error reports take 0 (off) or 1 (on)");
    return;
  }
  sim.errorReports = controlValue == 1;
}

MILAPI MIL_ID MFTYPE MsysAlloc(const char* systemDescriptor, MIL_INT systemNumber,
                               MIL_INT initFlag, MIL_ID* systemId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MsysAlloc", systemDescriptor, systemNumber, initFlag);
  ReadEnvironment(sim);
  MIL_ID application = CurrentApplication(sim);
  if (application == 0) {
    call.Error("no application allocated");
    return call.Result(NoId(systemId));
  }
  if (systemDescriptor == nullptr || std::strcmp(systemDescriptor, SYSTEM_DESCRIPTOR) != 0) {
    call.Error("unknown system descriptor");
    return call.Result(NoId(systemId));
  }
  if (systemNumber != 0) {
    call.Error("no board with this system number");
    return call.Result(NoId(systemId));
  }
  if (sim.config.faults & SIM_FAULT_NO_SYSTEM) {
    call.Error("no board found");
    return call.Result(NoId(systemId));
  }
  MIL_ID id = NewId(sim, systemId);
  sim.systems[id].reset(new System{id, application});
  return call.Result(id);
}

MILAPI void MFTYPE MsysFree(MIL_ID system) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MsysFree", system);
  if (FindOrReport(call, sim.systems, system, "system") == nullptr) return;
  ReleaseSystem(lock, system);
}

MILAPI MIL_INT MFTYPE MsysInquire(MIL_ID system, MIL_INT inquireType, void* userVariable) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MsysInquire", system, inquireType);
  if (FindOrReport(call, sim.systems, system, "system") == nullptr) return call.Result(Answer(userVariable, 0));
  switch (Word(inquireType)) {
    case BOARD_TYPE:
      return call.Result(Answer(userVariable, sim.config.boardType));
    case BOARD_REVISION:
      return call.Result(Answer(userVariable, sim.config.boardRevision));
  }
  call.Error("unknown inquire type");
  return call.Result(Answer(userVariable, 0));
}
