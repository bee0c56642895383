// Displays record what they show, in which window, with which options.
#include "simulator_fixture.h"

namespace {

TEST_F(SimulatorTest, DisplayRecordsWhatItShows) {
  MIL_ID digitizer = AllocDigitizer(24, "M_PAL_RGB");
  MIL_ID image = AllocImage(digitizer);
  MIL_ID display = mil.MdispAlloc(system_, M_DEFAULT_FLAG, "M_DEFAULT", M_DEFAULT_FLAG, nullptr);
  ASSERT_NE(display, 0);
  SimDisplayState state{};
  ASSERT_EQ(sim.GetDisplayState(display, &state), 1);
  EXPECT_EQ(state.selected, 0);
  EXPECT_EQ(state.zoomX, 1);

  // The library's own window: options and a title first.
  for (MIL_INT option : {3155, 3064, 3063, 3051, 3058}) mil.MdispControl(display, option, -9999);
  static const char title[] = "TWAIN source live preview";
  mil.MdispControl(display, 3119, static_cast<double>(reinterpret_cast<intptr_t>(title)));
  mil.MdispSelectWindow(display, image, nullptr);
  mil.MdispZoom(display, -2, -2);
  sim.GetDisplayState(display, &state);
  EXPECT_EQ(state.selected, 1);
  EXPECT_EQ(state.image, image);
  EXPECT_EQ(state.window, nullptr);
  EXPECT_STREQ(state.title, title);
  EXPECT_EQ(state.zoomX, -2);
  EXPECT_EQ(state.zoomY, -2);
  double value = 0;
  EXPECT_EQ(sim.GetDisplayControl(display, 3064, &value), 1);
  EXPECT_EQ(value, -9999);
  EXPECT_EQ(mil.MdispInquire(display, 3058, nullptr), -9999);
  EXPECT_EQ(sim.GetDisplayControl(display, 3000, &value), 0);

  // A window of the application; deselecting hides the buffer.
  mil.MdispDeselect(display, image);
  HWND window = reinterpret_cast<HWND>(0x1234);
  mil.MdispSelectWindow(display, image, window);
  sim.GetDisplayState(display, &state);
  EXPECT_EQ(state.window, window);
  EXPECT_EQ(state.selectCount, 2u);
  mil.MdispDeselect(display, image);
  sim.GetDisplayState(display, &state);
  EXPECT_EQ(state.selected, 0);
  EXPECT_EQ(state.image, 0);

  // Refused: bad zoom factors, a buffer the display does not show, a LUT.
  uint32_t errors = sim.ErrorCount();
  mil.MdispZoom(display, 0, 0);
  mil.MdispZoom(display, 32, 32);
  mil.MdispDeselect(display, image);
  mil.MdispSelectWindow(display, mil.MbufAlloc1d(system_, 256, 8, LUT_ATTRIBUTE, nullptr), window);
  EXPECT_EQ(sim.ErrorCount(), errors + 4);
  sim.GetDisplayState(display, &state);
  EXPECT_EQ(state.zoomX, -2);
  EXPECT_EQ(state.selected, 0);

  // Freeing the shown buffer leaves the display empty.
  mil.MdispSelectWindow(display, image, window);
  mil.MbufFree(image);
  sim.GetDisplayState(display, &state);
  EXPECT_EQ(state.selected, 0);
  mil.MdispFree(display);
  EXPECT_EQ(sim.GetDisplayState(display, &state), 0);
}

}  // namespace
