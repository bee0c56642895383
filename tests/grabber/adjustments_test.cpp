// The digitizer's adjustments: the level limit, the colour-only decoder
// levels, channel and zoom, applying the stored settings to a fresh
// digitizer, the defaults, and what a change does to the grabbed picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grabber/adjustments.h"
#include "grabber/imaging_library.h"
#include "grabber/mil_constants.h"
#include "grabber/mil_info.h"
#include "grabber/runtime_loading.h"
#include "grabber_fixture.h"
#include "lut/lut_curves.h"
#include "settings/grabber_settings.h"

namespace {

class AdjustmentsTest : public GrabberTest {
 protected:
  std::string Reference(uint32_t type, int level) const {
    return Call("MdigReference", {milInfo.MilDigitizer, type, level});
  }
  void StoreLevels() {
    grabberSettings.BlackRef0 = 10;
    grabberSettings.BlackRef1 = 11;
    grabberSettings.BlackRef2 = 12;
    grabberSettings.WhiteRef0 = 200;
    grabberSettings.WhiteRef1 = 201;
    grabberSettings.WhiteRef2 = 202;
    grabberSettings.Brightness = 90;
    grabberSettings.Contrast = 91;
    grabberSettings.Hue = 92;
    grabberSettings.Saturation = 93;
    grabberSettings.Channel = CHANNEL_RGB;
  }
};

// ---- Levels ----------------------------------------------------------------

struct LevelCase {
  int32_t level;
  int32_t applied;
};

void PrintTo(const LevelCase& c, std::ostream* out) { *out << c.level; }

class LevelLimitTest : public AdjustmentsTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LevelLimitTest, EverySetterAppliesALevelAbove255AsUnsignedAs255) {
  const LevelCase& c = GetParam();
  Open(24, "M_PAL_RGB");
  MilSetWhiteRef(c.level, CHANNEL_1);
  MilSetBlackRef(c.level, CHANNEL_2);
  EXPECT_EQ(DigitizerState().whiteRef[1], c.applied);
  EXPECT_EQ(DigitizerState().blackRef[2], c.applied);
  EXPECT_EQ(MilGetWhiteRef(CHANNEL_1), c.applied);
  EXPECT_EQ(MilGetBlackRef(CHANNEL_2), c.applied);
  MilFreeRuntime();

  Open(27, "M_PAL");
  MilSetBrightness(c.level);
  MilSetContrast(c.level);
  MilSetHue(c.level);
  MilSetSaturation(c.level);
  EXPECT_EQ(CallLog(), Reference(4008, c.applied) + "\n" + Reference(4009, c.applied) + "\n" +
                           Reference(4006, c.applied) + "\n" + Reference(4007, c.applied) + "\n");
  EXPECT_EQ(MilGetBrightness(), c.applied);
  EXPECT_EQ(MilGetContrast(), c.applied);
  EXPECT_EQ(MilGetHue(), c.applied);
  EXPECT_EQ(MilGetSaturation(), c.applied);
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelLimitTest,
                         ::testing::Values(LevelCase{0, 0}, LevelCase{128, 128},
                                           LevelCase{255, 255}, LevelCase{256, 255},
                                           LevelCase{300, 255}, LevelCase{-1, 255}));

TEST_F(AdjustmentsTest, HueAndSaturationDoNotExistWithoutColourInput) {
  Open(27, "M_CCIR");
  MilSetHue(40);
  MilSetSaturation(40);
  EXPECT_EQ(MilGetHue(), 0);
  EXPECT_EQ(MilGetSaturation(), 0);
  EXPECT_EQ(CallLog(), "");
}

TEST_F(AdjustmentsTest, WithoutADigitizerNothingIsAdjustedOrAsked) {
  MilSetBrightness(10);
  MilSetBlackRef(10, CHANNEL_0);
  MilSetZoom(2);
  MilApplySettings();
  MilDefaultAdjustments();
  EXPECT_EQ(MilGetContrast(), 0);
  EXPECT_EQ(CallLog(), "");
  EXPECT_EQ(grabberSettings.DispZoom, 2);
}

// ---- Channel and zoom ------------------------------------------------------

TEST_F(AdjustmentsTest, TheChannelIsStoredAndPassedWithItsOffset) {
  Open(24, "M_CCIR");
  MilSetChannel(CHANNEL_1);
  EXPECT_EQ(CallLog(), Call("MdigChannel", {milInfo.MilDigitizer, 0x40400000}) + "\n");
  EXPECT_EQ(DigitizerState().channel, 0x40400000);
  EXPECT_EQ(grabberSettings.Channel, CHANNEL_1);
}

TEST_F(AdjustmentsTest, TheZoomIsStoredAndAppliedToBothAxes) {
  Open(27, "M_CCIR");
  MilSetZoom(-4);
  SimDisplayState display{};
  ASSERT_EQ(sim.GetDisplayState(milInfo.MilDisplay, &display), 1);
  EXPECT_EQ(display.zoomX, -4);
  EXPECT_EQ(display.zoomY, -4);
  EXPECT_EQ(grabberSettings.DispZoom, -4);
}

// ---- Applying the stored settings ------------------------------------------

TEST_F(AdjustmentsTest, ApplyOnAnRgbColourDigitizerSetsEveryChannelThenTheChannel) {
  Open(24, "M_PAL_RGB");
  StoreLevels();
  MilApplySettings();

  EXPECT_EQ(Calls("MdigReference"),
            (std::vector<std::string>{
                Reference(CHANNEL_0 | 4003, 10), Reference(CHANNEL_1 | 4003, 11),
                Reference(CHANNEL_2 | 4003, 12), Reference(CHANNEL_0 | 4005, 200),
                Reference(CHANNEL_1 | 4005, 201), Reference(CHANNEL_2 | 4005, 202)}));
  EXPECT_EQ(Calls("MdigChannel"),
            std::vector<std::string>{Call("MdigChannel", {milInfo.MilDigitizer, 0x01400000})});
  SimDigitizerState state = DigitizerState();
  EXPECT_EQ(state.blackRef[2], 12);
  EXPECT_EQ(state.whiteRef[1], 201);
}

TEST_F(AdjustmentsTest, ApplyOnAnRgbMonochromeDigitizerSetsChannelZeroOnly) {
  Open(24, "M_CCIR");
  StoreLevels();
  MilApplySettings();
  EXPECT_EQ(Calls("MdigReference"),
            (std::vector<std::string>{Reference(CHANNEL_0 | 4003, 10),
                                      Reference(CHANNEL_0 | 4005, 200)}));
  EXPECT_EQ(Calls("MdigChannel").size(), 1u);
  // The channel line follows the references.
  EXPECT_LT(CallLog().rfind("MdigReference"), CallLog().find("MdigChannel"));
}

TEST_F(AdjustmentsTest, ApplyOnACompositeColourDigitizerSetsTheDecoderInItsOrder) {
  Open(27, "M_PAL");
  StoreLevels();
  MilApplySettings();
  EXPECT_EQ(Calls("MdigReference"),
            (std::vector<std::string>{Reference(4007, 93), Reference(4006, 92),
                                      Reference(4009, 91), Reference(4008, 90)}));
  EXPECT_EQ(Calls("MdigChannel").size(), 0u);
  // This board has no input LUT.
  EXPECT_EQ(Calls("MdigLut").size(), 0u);
}

TEST_F(AdjustmentsTest, ApplyWithoutStoredCurvesMakesAllCurrentAndStillLoadsALut) {
  Open(24, "M_PAL_RGB");
  MilApplySettings();
  ASSERT_NE(milInfo.curveSet, nullptr);
  EXPECT_EQ(milInfo.curveSet->channel, LUT_ALL);
  EXPECT_EQ(Calls("MdigLut").size(), 1u);
  SimDigitizerState state = DigitizerState();
  for (int x = 0; x < 256; ++x) ASSERT_EQ(state.lut[1][x], x);
}

TEST_F(AdjustmentsTest, ApplyInstallsTheStoredCurvesIntoTheDigitizersLut) {
  Open(24, "M_PAL_RGB");
  // The All shape with two nodes: the falling line.
  grabberSettings.LutValues = 0x02000000;
  grabberSettings.LutNodeData = {0, 255, 255, 0};
  MilApplySettings();
  EXPECT_EQ(milInfo.curveSet->channel, LUT_ALL);
  SimDigitizerState state = DigitizerState();
  for (int band = 0; band < 3; ++band) {
    for (int x = 0; x < 256; ++x) ASSERT_EQ(state.lut[band][x], 255 - x) << band << " " << x;
  }
}

// ---- Defaults --------------------------------------------------------------

TEST_F(AdjustmentsTest, DefaultsResetEveryRgbChannelAndLeaveTheSettingsAlone) {
  Open(24, "M_PAL_RGB");
  StoreLevels();
  MilApplySettings();
  sim.ClearCallLog();
  MilDefaultAdjustments();

  EXPECT_EQ(Calls("MdigReference"),
            (std::vector<std::string>{Reference(MIL_ALL_CHANNELS | 4003, 0),
                                      Reference(MIL_ALL_CHANNELS | 4005, 255)}));
  SimDigitizerState state = DigitizerState();
  for (int band = 0; band < 3; ++band) {
    EXPECT_EQ(state.blackRef[band], 0);
    EXPECT_EQ(state.whiteRef[band], 255);
  }
  EXPECT_EQ(grabberSettings.BlackRef1, 11);
  EXPECT_EQ(grabberSettings.WhiteRef2, 202);
}

TEST_F(AdjustmentsTest, DefaultsSetTheDecoderTo128) {
  Open(27, "M_PAL");
  StoreLevels();
  MilApplySettings();
  sim.ClearCallLog();
  MilDefaultAdjustments();
  EXPECT_EQ(Calls("MdigReference"),
            (std::vector<std::string>{Reference(4007, 128), Reference(4006, 128),
                                      Reference(4009, 128), Reference(4008, 128)}));
  EXPECT_EQ(grabberSettings.Brightness, 90);
  EXPECT_EQ(grabberSettings.Hue, 92);
}

// ---- The picture -----------------------------------------------------------

// The bands of one pixel of the image buffer, through the layout flags the
// set-up found (the transfers read the pixels the same way).
std::vector<int> GrabbedPixel(int x, int y) {
  const uint8_t* row = milInfo.ImageData;
  if (milInfo.BandCount == 1) return {row[y * milInfo.ImageWidth + x]};
  int size = milInfo.FourBytePixels ? 4 : 3;
  const uint8_t* pixel = row + (size_t(y) * milInfo.ImageWidth + x) * size;
  if (milInfo.BlueFirst) return {pixel[2], pixel[1], pixel[0]};
  return {pixel[0], pixel[1], pixel[2]};
}

struct PictureCase {
  int32_t boardType;
  const char* format;
  void (*change)();
};

void PrintTo(const PictureCase& c, std::ostream* out) { *out << c.format; }

class PictureTest : public AdjustmentsTest, public ::testing::WithParamInterface<PictureCase> {
 protected:
  // The model's bands of a pixel of a frame, at the digitizer's levels now.
  std::vector<int> ModelPixel(int x, int y, uint32_t frame) const {
    uint8_t bands[3] = {};
    int count = sim.ExpectedPixel(milInfo.MilDigitizer, x, y, frame, bands);
    return std::vector<int>(bands, bands + count);
  }
};

TEST_P(PictureTest, AChangedLevelReachesTheNextGrabAsTheModelSays) {
  const PictureCase& c = GetParam();
  Open(c.boardType, c.format);
  ASSERT_NE(milInfo.ImageData, nullptr);
  const int points[][2] = {{0, 0}, {100, 50}, {383, 288}, {700, 500}};

  imagingLibrary.MdigGrab(milInfo.MilDigitizer, milInfo.MilImage);
  for (const auto& p : points) EXPECT_EQ(GrabbedPixel(p[0], p[1]), ModelPixel(p[0], p[1], 0));

  std::vector<std::vector<int>> unchanged;
  for (const auto& p : points) unchanged.push_back(ModelPixel(p[0], p[1], 1));
  c.change();
  imagingLibrary.MdigGrab(milInfo.MilDigitizer, milInfo.MilImage);

  int differing = 0;
  for (size_t i = 0; i < 4; ++i) {
    std::vector<int> grabbed = GrabbedPixel(points[i][0], points[i][1]);
    EXPECT_EQ(grabbed, ModelPixel(points[i][0], points[i][1], 1));
    differing += grabbed != unchanged[i];
  }
  EXPECT_GT(differing, 0) << "the change did not reach the picture";
}

INSTANTIATE_TEST_SUITE_P(
    Changes, PictureTest,
    ::testing::Values(PictureCase{27, "M_CCIR", [] { MilSetBrightness(230); }},
                      PictureCase{27, "M_PAL", [] { MilSetContrast(20); }},
                      PictureCase{24, "M_PAL_RGB", [] { MilSetWhiteRef(90, CHANNEL_0); }}));

}  // namespace
