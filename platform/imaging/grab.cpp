// MdigGrab, MdigGrabContinuous and MdigHalt. A single grab waits one frame
// time and returns with the frame in the buffer; a continuous grab writes a
// frame every frame time on a thread of its own until it is halted, as the
// board's DMA would. Frames are written under the simulator's lock, and a
// halt returns only after the thread has ended, so no write follows it.
#include <chrono>

#include "exports.h"
#include "simulator.h"

using namespace sim;

namespace {

using Clock = std::chrono::steady_clock;

// In instant mode a continuous grab still paces itself a little, so that it
// leaves the processor to the program that watches it.
constexpr std::chrono::microseconds kInstantFramePeriod(1000);

std::chrono::microseconds FramePeriod(const Simulator& sim, const Digitizer& digitizer) {
  if (sim.config.instant) return kInstantFramePeriod;
  return std::chrono::microseconds(1000000 / digitizer.format->frameRateHz);
}

// What follows a frame once the lock is released: the windows that show the
// buffer are painted, then the digitizer's hook is called.
struct FrameDone {
  std::vector<Presentation> presentations;
  MIL_DIG_HOOK_FUNCTION_PTR hook = nullptr;
  MIL_INT hookType = 0;
  MIL_ID digitizer = 0;
  void* hookData = nullptr;

  bool Empty() const { return presentations.empty() && hook == nullptr; }
  void Finish() const {
    Present(presentations);
    if (hook != nullptr) hook(hookType, digitizer, hookData);
  }
};

// Writes the digitizer's next frame into the buffer (lock held).
FrameDone CompleteFrame(Simulator& sim, Digitizer& digitizer, Buffer& buffer) {
  WriteFrame(digitizer, buffer, digitizer.frameCount);
  ++digitizer.frameCount;
  return FrameDone{PresentationsOf(sim, buffer.id), digitizer.hook, digitizer.hookType,
                   digitizer.id, digitizer.hookData};
}

// The continuous grab's thread: one frame a frame time while the digitizer
// still holds this grab's generation.
void RunContinuousGrab(MIL_ID digitizerId, uint32_t generation) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  auto current = [&]() -> Digitizer* {
    Digitizer* digitizer = Find(sim.digitizers, digitizerId);
    return digitizer != nullptr && digitizer->grabGeneration == generation ? digitizer : nullptr;
  };
  Clock::time_point next = Clock::now();
  for (;;) {
    Digitizer* digitizer = current();
    if (digitizer == nullptr) return;
    next += FramePeriod(sim, *digitizer);
    if (sim.wake.wait_until(lock, next, [&] { return current() == nullptr; })) return;
    digitizer = current();
    Buffer* buffer = Find(sim.buffers, digitizer->grabBuffer);
    if (buffer == nullptr) {
      digitizer->grabbing = false;
      digitizer->grabBuffer = 0;
      return;
    }
    FrameDone done = CompleteFrame(sim, *digitizer, *buffer);
    if (!done.Empty()) {
      lock.unlock();
      done.Finish();
      lock.lock();
    }
    // After a stall, go on from now rather than catch up in a burst.
    Clock::time_point now = Clock::now();
    if (next < now) next = now;
  }
}

}  // namespace

MILAPI void MFTYPE MdigGrab(MIL_ID digitizerId, MIL_ID bufferId) {
  FrameDone done;
  {
    Simulator& sim = State();
    Lock lock(sim.mutex);
    CallRecord call(sim, "MdigGrab", digitizerId, bufferId);
    Digitizer* digitizer = FindOrReport(call, sim.digitizers, digitizerId, "digitizer");
    if (digitizer == nullptr) return;
    if (FindOrReport(call, sim.buffers, bufferId, "buffer") == nullptr) return;
    if (digitizer->grabbing) {
      call.Error("a continuous grab is running on this digitizer");
      return;
    }
    if (!sim.config.instant) {
      // The frame takes its time; other calls may run meanwhile.
      Clock::time_point done = Clock::now() + FramePeriod(sim, *digitizer);
      while (sim.wake.wait_until(lock, done) != std::cv_status::timeout) {
      }
      digitizer = Find(sim.digitizers, digitizerId);
      if (digitizer == nullptr || Find(sim.buffers, bufferId) == nullptr) {
        call.Error("the digitizer or the buffer was freed during the grab");
        return;
      }
    }
    done = CompleteFrame(sim, *digitizer, *Find(sim.buffers, bufferId));
  }
  done.Finish();
}

MILAPI void MFTYPE MdigGrabContinuous(MIL_ID digitizerId, MIL_ID bufferId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdigGrabContinuous", digitizerId, bufferId);
  if (FindOrReport(call, sim.digitizers, digitizerId, "digitizer") == nullptr) return;
  if (FindOrReport(call, sim.buffers, bufferId, "buffer") == nullptr) return;
  // A grab already running is halted and started again into this buffer.
  HaltGrab(lock, digitizerId);
  Digitizer* digitizer = Find(sim.digitizers, digitizerId);
  if (digitizer == nullptr || Find(sim.buffers, bufferId) == nullptr) {
    call.Error("the digitizer or the buffer was freed meanwhile");
    return;
  }
  digitizer->grabbing = true;
  digitizer->grabBuffer = bufferId;
  uint32_t generation = ++digitizer->grabGeneration;
  digitizer->grabThread = std::thread(RunContinuousGrab, digitizerId, generation);
}

MILAPI void MFTYPE MdigHalt(MIL_ID digitizerId) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  CallRecord call(sim, "MdigHalt", digitizerId);
  if (FindOrReport(call, sim.digitizers, digitizerId, "digitizer") == nullptr) return;
  HaltGrab(lock, digitizerId);
}
