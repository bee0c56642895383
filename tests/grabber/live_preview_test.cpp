// The live picture: starting and stopping the continuous grab, selecting the
// display to a dialog window or to the library's own window.
#include <gtest/gtest.h>

#include <string>

#include "grabber/live_preview.h"
#include "grabber/mil_info.h"
#include "grabber_fixture.h"

namespace {

class LivePreviewTest : public GrabberTest {
 protected:
  void SetUp() override {
    GrabberTest::SetUp();
    if (HasFatalFailure()) return;
    Open(27, "M_CCIR");
  }
  std::string Digitizer() const { return std::to_string(milInfo.MilDigitizer); }
  std::string Display() const { return std::to_string(milInfo.MilDisplay); }
  std::string Image() const { return std::to_string(milInfo.MilImage); }
};

HWND DialogPicture() { return reinterpret_cast<HWND>(uintptr_t(0x5150)); }

TEST_F(LivePreviewTest, AStopBeforeAnyStartIsLoggedAndIgnored) {
  EXPECT_EQ(MilStartLive(0), 0);
  EXPECT_EQ(Log(), "MilStartLive Stop\nKorvanta TWAIN DS: ignoring first StopLive call \n");
  EXPECT_EQ(CallLog(), "");
  EXPECT_EQ(milInfo.LiveMode, 0);
}

TEST_F(LivePreviewTest, StartGrabsContinuouslyAndEveryLaterStopHalts) {
  EXPECT_EQ(MilStartLive(1), 0);
  EXPECT_EQ(milInfo.LiveMode, 1);
  // Frames arrive on the library's own thread.
  for (int wait = 0; wait < 500 && sim.FrameCount(milInfo.MilDigitizer) < 2; ++wait) Sleep(10);
  EXPECT_GE(sim.FrameCount(milInfo.MilDigitizer), 2u);
  EXPECT_EQ(DigitizerState().grabbing, 1);

  EXPECT_EQ(MilStartLive(0), 0);
  EXPECT_EQ(DigitizerState().grabbing, 0);
  EXPECT_EQ(MilStartLive(0), 0);
  EXPECT_EQ(milInfo.LiveMode, 1);

  EXPECT_EQ(CallLog(), "MdigGrabContinuous(" + Digitizer() + ", " + Image() + ")\nMdigHalt(" +
                           Digitizer() + ")\nMdigHalt(" + Digitizer() + ")\n");
  EXPECT_EQ(Log(),
            "MilStartLive Start\nKorvanta TWAIN DS: enabling continuous live grab\n"
            "MilStartLive Stop\nKorvanta TWAIN DS: ending continuous grab \n"
            "MilStartLive Stop\nKorvanta TWAIN DS: ending continuous grab \n");
}

TEST_F(LivePreviewTest, TheLibrarysOwnWindowIsPreparedBeforeTheImageIsSelected) {
  EXPECT_EQ(MilSelectDisplay(DISPLAY_SELECT, nullptr), 1);

  std::vector<std::string> controls = Calls("MdispControl");
  ASSERT_EQ(controls.size(), 6u);
  const char* options[] = {"3155", "3064", "3063", "3051", "3058"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(controls[i], "MdispControl(" + Display() + ", " + options[i] + ", -9999)");
  }
  EXPECT_EQ(controls[5].rfind("MdispControl(" + Display() + ", 3119, ", 0), 0u);
  EXPECT_EQ(Calls("MdispSelectWindow"),
            std::vector<std::string>{"MdispSelectWindow(" + Display() + ", " + Image() + ", null)"});
  EXPECT_LT(CallLog().find(", 3119, "), CallLog().find("MdispSelectWindow"));

  SimDisplayState display{};
  ASSERT_EQ(sim.GetDisplayState(milInfo.MilDisplay, &display), 1);
  EXPECT_EQ(display.selected, 1);
  EXPECT_EQ(display.image, milInfo.MilImage);
  EXPECT_STREQ(display.title, "TWAIN source live preview");
  EXPECT_EQ(Log(), "Korvanta TWAIN DS: creating display in external window\n");
}

TEST_F(LivePreviewTest, ADialogWindowIsSelectedWithoutWindowOptions) {
  EXPECT_EQ(MilSelectDisplay(DISPLAY_SELECT, DialogPicture()), 1);
  EXPECT_EQ(Calls("MdispControl").size(), 0u);
  ASSERT_EQ(Calls("MdispSelectWindow").size(), 1u);
  SimDisplayState display{};
  ASSERT_EQ(sim.GetDisplayState(milInfo.MilDisplay, &display), 1);
  EXPECT_EQ(display.window, static_cast<void*>(DialogPicture()));
  EXPECT_EQ(Log(), "Korvanta TWAIN DS: creating display in UI window\n");
}

TEST_F(LivePreviewTest, RepeatedRequestsAndQueriesChangeNothing) {
  EXPECT_EQ(MilSelectDisplay(DISPLAY_QUERY, nullptr), 0);
  EXPECT_EQ(MilSelectDisplay(DISPLAY_DESELECT, nullptr), 0);
  EXPECT_EQ(CallLog(), "");

  EXPECT_EQ(MilSelectDisplay(DISPLAY_SELECT, DialogPicture()), 1);
  ClearLogs();
  EXPECT_EQ(MilSelectDisplay(DISPLAY_SELECT, DialogPicture()), 1);
  EXPECT_EQ(MilSelectDisplay(DISPLAY_QUERY, nullptr), 1);
  EXPECT_EQ(CallLog(), "");
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(milInfo.DisplaySelected, 1);
}

TEST_F(LivePreviewTest, DeselectHidesTheImageWithoutALogLine) {
  ASSERT_EQ(MilSelectDisplay(DISPLAY_SELECT, DialogPicture()), 1);
  ClearLogs();
  EXPECT_EQ(MilSelectDisplay(DISPLAY_DESELECT, nullptr), 0);
  EXPECT_EQ(CallLog(), "MdispDeselect(" + Display() + ", " + Image() + ")\n");
  EXPECT_EQ(Log(), "");
  SimDisplayState display{};
  ASSERT_EQ(sim.GetDisplayState(milInfo.MilDisplay, &display), 1);
  EXPECT_EQ(display.selected, 0);
}

}  // namespace
