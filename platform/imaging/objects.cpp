// The simulator's single state, and the release of objects with everything
// below them: an application owns its systems, a system its digitizers,
// displays and buffers, a buffer its band children.
#include "exports.h"
#include "simulator.h"

namespace sim {

Simulator& State() {
  static Simulator simulator;
  return simulator;
}

// Unloading the module ends every grab thread before the code goes away.
Simulator::~Simulator() {
  Lock lock(mutex);
  ReleaseEverything(lock);
}

void HaltGrab(Lock& lock, MIL_ID id) {
  Simulator& sim = State();
  Digitizer* digitizer = Find(sim.digitizers, id);
  if (digitizer == nullptr) return;
  digitizer->grabbing = false;
  digitizer->grabBuffer = 0;
  if (!digitizer->grabThread.joinable()) return;
  ++digitizer->grabGeneration;
  sim.wake.notify_all();
  std::thread thread = std::move(digitizer->grabThread);
  if (thread.get_id() == std::this_thread::get_id()) {
    // A hook function halts its own grab: the thread ends when the hook
    // returns, as it no longer holds the current generation.
    thread.detach();
    return;
  }
  lock.unlock();
  thread.join();
  lock.lock();
}

void ReleaseDigitizer(Lock& lock, MIL_ID id) {
  Simulator& sim = State();
  HaltGrab(lock, id);
  sim.digitizers.erase(id);
}

void ReleaseDisplay(MIL_ID id) {
  Simulator& sim = State();
  if (Display* display = Find(sim.displays, id)) ClearWindow(*display);
  sim.displays.erase(id);
}

bool ReleaseBuffer(Lock& lock, MIL_ID id) {
  Simulator& sim = State();
  bool halted = false;
  for (MIL_ID child : IdsWhere(sim.buffers, [id](const Buffer& buffer) { return buffer.parent == id; })) {
    halted |= ReleaseBuffer(lock, child);
  }
  for (MIL_ID digitizer : IdsWhere(sim.digitizers, [id](const Digitizer& digitizer) {
         return digitizer.grabbing && digitizer.grabBuffer == id;
       })) {
    HaltGrab(lock, digitizer);
    halted = true;
  }
  for (auto& entry : sim.displays) {
    if (entry.second->selected && entry.second->image == id) ClearWindow(*entry.second);
  }
  Buffer* buffer = Find(sim.buffers, id);
  if (buffer != nullptr && buffer->grabMemory) sim.grabMemoryUsed -= buffer->size;
  sim.buffers.erase(id);
  return halted;
}

void ReleaseSystem(Lock& lock, MIL_ID id) {
  Simulator& sim = State();
  auto ofSystem = [id](const auto& object) { return object.system == id; };
  for (MIL_ID digitizer : IdsWhere(sim.digitizers, ofSystem)) ReleaseDigitizer(lock, digitizer);
  for (MIL_ID display : IdsWhere(sim.displays, ofSystem)) ReleaseDisplay(display);
  // Band children go with their parents.
  for (MIL_ID buffer : IdsWhere(sim.buffers, [id](const Buffer& buffer) {
         return buffer.system == id && buffer.parent == 0;
       })) {
    ReleaseBuffer(lock, buffer);
  }
  sim.systems.erase(id);
}

void ReleaseApplication(Lock& lock, MIL_ID id) {
  Simulator& sim = State();
  for (MIL_ID system :
       IdsWhere(sim.systems, [id](const System& system) { return system.application == id; })) {
    ReleaseSystem(lock, system);
  }
  sim.applications.erase(id);
}

void ReleaseEverything(Lock& lock) {
  Simulator& sim = State();
  for (MIL_ID application : IdsWhere(sim.applications, [](const Application&) { return true; })) {
    ReleaseApplication(lock, application);
  }
}

}  // namespace sim

using namespace sim;

MILAPI void SimReset(void) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  ReleaseEverything(lock);
  ResetConfiguration(sim);
  sim.nextId = 1;
  sim.callLog.clear();
  sim.errorCount = 0;
}

MILAPI int32_t SimObjectCount(int32_t kind) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  switch (kind) {
    case SIM_ALL_OBJECTS:
      return static_cast<int32_t>(sim.applications.size() + sim.systems.size() +
                                  sim.digitizers.size() + sim.displays.size() +
                                  sim.buffers.size());
    case SIM_APPLICATIONS:
      return static_cast<int32_t>(sim.applications.size());
    case SIM_SYSTEMS:
      return static_cast<int32_t>(sim.systems.size());
    case SIM_DIGITIZERS:
      return static_cast<int32_t>(sim.digitizers.size());
    case SIM_DISPLAYS:
      return static_cast<int32_t>(sim.displays.size());
    case SIM_BUFFERS:
      return static_cast<int32_t>(sim.buffers.size());
  }
  return 0;
}

MILAPI uint64_t SimGrabMemoryUsed(void) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  return sim.grabMemoryUsed;
}
