// Continuous grab on the library's own thread, halting it, and what may
// happen while it runs.
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "simulator_fixture.h"

namespace {

class ContinuousGrabTest : public SimulatorTest {
 protected:
  void SetUp() override {
    SimulatorTest::SetUp();
    if (HasFatalFailure()) return;
    digitizer_ = AllocDigitizer(27, "M_CCIR");
    image_ = AllocImage(digitizer_);
    ASSERT_NE(image_, 0);
  }
  // Waits (up to a generous limit, not a timing check) until the digitizer
  // has written at least the given number of frames.
  bool WaitForFrames(uint32_t frames) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sim.FrameCount(digitizer_) < frames) {
      if (std::chrono::steady_clock::now() > limit) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  std::vector<uint8_t> Pixels() const {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(mil.MbufInquire(image_, HOST_ADDRESS, nullptr));
    return std::vector<uint8_t>(data, data + 768 * 576);
  }
  MIL_ID digitizer_ = 0;
  MIL_ID image_ = 0;
};

TEST_F(ContinuousGrabTest, RunsUntilHaltedAndWritesNothingAfter) {
  mil.MdigGrabContinuous(digitizer_, image_);
  ASSERT_TRUE(WaitForFrames(3));
  SimDigitizerState state{};
  sim.GetDigitizerState(digitizer_, &state);
  EXPECT_EQ(state.grabbing, 1);
  EXPECT_EQ(state.grabBuffer, image_);

  mil.MdigHalt(digitizer_);
  uint32_t frames = sim.FrameCount(digitizer_);
  std::vector<uint8_t> halted = Pixels();
  // The buffer holds the last frame completely.
  EXPECT_EQ(halted[0], (frames - 1) & 0xFF);
  EXPECT_EQ(halted[767 + 575 * 768], (767 + 575 + frames - 1) & 0xFF);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(sim.FrameCount(digitizer_), frames);
  EXPECT_EQ(Pixels(), halted);
  sim.GetDigitizerState(digitizer_, &state);
  EXPECT_EQ(state.grabbing, 0);

  // A second halt does nothing; a new start goes on counting.
  mil.MdigHalt(digitizer_);
  mil.MdigGrabContinuous(digitizer_, image_);
  EXPECT_TRUE(WaitForFrames(frames + 2));
  mil.MdigHalt(digitizer_);
  EXPECT_EQ(sim.ErrorCount(), 0u);
}

TEST_F(ContinuousGrabTest, RunsAtTheFrameRateOutsideInstantMode) {
  sim.SetInstant(0);
  mil.MdigGrabContinuous(digitizer_, image_);
  EXPECT_TRUE(WaitForFrames(2));
  mil.MdigHalt(digitizer_);
  // A single grab waits for its frame and returns with it.
  uint32_t frames = sim.FrameCount(digitizer_);
  mil.MdigGrab(digitizer_, image_);
  EXPECT_EQ(sim.FrameCount(digitizer_), frames + 1);
  EXPECT_EQ(Pixels()[0], frames & 0xFF);
}

TEST_F(ContinuousGrabTest, LevelsChangedDuringTheGrabReachLaterFrames) {
  mil.MdigGrabContinuous(digitizer_, image_);
  ASSERT_TRUE(WaitForFrames(1));
  mil.MdigReference(digitizer_, 4008, 178);  // brightness + 50
  uint32_t changedAt = sim.FrameCount(digitizer_);
  ASSERT_TRUE(WaitForFrames(changedAt + 2));
  mil.MdigHalt(digitizer_);
  uint32_t last = sim.FrameCount(digitizer_) - 1;
  EXPECT_EQ(Pixels()[10], (10 + last) % 256 + 50 > 255 ? 255 : (10 + last) % 256 + 50);
}

TEST_F(ContinuousGrabTest, FreeingWhatTheGrabUsesHaltsItFirst) {
  mil.MdigGrabContinuous(digitizer_, image_);
  ASSERT_TRUE(WaitForFrames(1));
  // A single grab on a grabbing digitizer is refused.
  uint32_t errors = sim.ErrorCount();
  mil.MdigGrab(digitizer_, image_);
  EXPECT_EQ(sim.ErrorCount(), errors + 1);

  mil.MbufFree(image_);  // reported: the grab is halted before the buffer goes
  EXPECT_EQ(sim.ErrorCount(), errors + 2);
  SimDigitizerState state{};
  sim.GetDigitizerState(digitizer_, &state);
  EXPECT_EQ(state.grabbing, 0);

  image_ = AllocImage(digitizer_);
  mil.MdigGrabContinuous(digitizer_, image_);
  ASSERT_TRUE(WaitForFrames(state.frameCount + 1));
  mil.MdigFree(digitizer_);
  EXPECT_EQ(sim.ObjectCount(SIM_DIGITIZERS), 0);
  mil.MdigGrabContinuous(AllocDigitizer(27, "M_CCIR"), image_);
  mil.MappFree(application_);  // halts and releases everything
  EXPECT_EQ(sim.ObjectCount(SIM_ALL_OBJECTS), 0);
}

std::atomic<int> hookCalls{0};

MIL_INT MFTYPE CountFrame(MIL_INT, MIL_ID, void* userData) {
  ++*static_cast<std::atomic<int>*>(userData);
  return 0;
}

TEST_F(ContinuousGrabTest, HookIsCalledAfterEveryFrame) {
  hookCalls = 0;
  EXPECT_EQ(mil.MdigHookFunction(digitizer_, 1, reinterpret_cast<void*>(&CountFrame), &hookCalls), 0);
  mil.MdigGrab(digitizer_, image_);
  EXPECT_EQ(hookCalls, 1);
  mil.MdigGrabContinuous(digitizer_, image_);
  ASSERT_TRUE(WaitForFrames(4));
  mil.MdigHalt(digitizer_);
  EXPECT_EQ(static_cast<uint32_t>(hookCalls), sim.FrameCount(digitizer_));
  mil.MdigHookFunction(digitizer_, 1, nullptr, nullptr);
  mil.MdigGrab(digitizer_, image_);
  EXPECT_EQ(static_cast<uint32_t>(hookCalls), sim.FrameCount(digitizer_) - 1);
}

}  // namespace
