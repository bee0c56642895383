// The input table built from the curves, checked against the simulated
// board: the table the digitizer holds, the library calls that built it, and
// the pixels of a grab.
#include "lut/lut_generation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "grabber/adjustments.h"
#include "grabber/imaging_library.h"
#include "grabber/mil_info.h"
#include "grabber/runtime_loading.h"
#include "grabber_fixture.h"
#include "lut/lut_curves.h"
#include "settings/grabber_settings.h"

namespace {

typedef std::vector<LutNode> Nodes;
typedef std::vector<uint8_t> Table;

const Nodes IDENTITY = {{0, 0}, {255, 255}};
const Nodes NEG_LINEAR = {{0, 255}, {255, 0}};
const Nodes PSEUDO_COLOR = {{0, 0}, {64, 255}, {128, 0}, {192, 255}, {255, 0}};

constexpr int32_t BOARD_WITH_INPUT_LUT = 24;
constexpr int32_t LAYOUT_RGB24 = 0x0800;  // packed R G B bytes

// The table the library's ramps give for a curve: each entry runs linearly
// between its nodes, rounded to the nearest level; of two ramps sharing an
// entry the later one wins.
Table ExpectedTable(const Nodes& nodes) {
  Table table(256, 0);
  for (size_t i = 1; i < nodes.size(); ++i) {
    const LutNode& a = nodes[i - 1];
    const LutNode& b = nodes[i];
    for (int32_t x = a.x; x <= b.x; ++x) {
      double y = a.x == b.x ? b.y : a.y + (b.y - a.y) * double(x - a.x) / double(b.x - a.x);
      table[x] = static_cast<uint8_t>(std::floor(y + 0.5));
    }
  }
  return table;
}

Table Band(const SimDigitizerState& state, int band) {
  return Table(state.lut[band], state.lut[band] + 256);
}

// Installs a predefined curve into channel c of the process-wide set.
void Install(LutChannel c, int index) {
  milInfo.curveSet->SelectChannel(c);
  ASSERT_EQ(LoadPredefinedCurve(index), 0);
}

// The digitizer is set up as at opening, on a board with an input LUT.
class LutGenerationTest : public GrabberTest {
 protected:
  void UseFormat(const char* format) {
    ASSERT_EQ(sim.SetPixelLayout(LAYOUT_RGB24), 1);
    Open(BOARD_WITH_INPUT_LUT, format);
    ASSERT_NE(milInfo.curveSet, nullptr);
    buffersAfterSetUp_ = sim.ObjectCount(SIM_BUFFERS);
  }

  // The names of the library calls since the last clear, in order.
  std::vector<std::string> CallNames() const {
    std::vector<std::string> names;
    std::istringstream log(CallLog());
    for (std::string line; std::getline(log, line);)
      names.push_back(line.substr(0, line.find('(')));
    return names;
  }

  // Every table buffer was released again.
  void ExpectTablesReleased() const { EXPECT_EQ(sim.ObjectCount(SIM_BUFFERS), buffersAfterSetUp_); }

  // No call since the set-up was refused or reported an error.
  void ExpectNoLibraryErrors() const {
    EXPECT_EQ(CallLog().find(" error:"), std::string::npos) << CallLog();
  }

  int32_t buffersAfterSetUp_ = 0;
};

TEST_F(LutGenerationTest, NothingIsCalledWithoutInputLutDigitizerOrCurves) {
  UseFormat("M_PAL_RGB");
  const MIL_ID digitizer = milInfo.MilDigitizer;
  LutCurveSet* curveSet = milInfo.curveSet;
  struct Case {
    const char* name;
    uint8_t hasInputLut;
    MIL_ID digitizer;
    LutCurveSet* curveSet;
  };
  const Case cases[] = {
      {"board without input LUT", 0, digitizer, curveSet},
      {"no digitizer", 1, 0, curveSet},
      {"no curve set", 1, digitizer, nullptr},
  };
  for (const Case& c : cases) {
    milInfo.HasInputLut = c.hasInputLut;
    milInfo.MilDigitizer = c.digitizer;
    milInfo.curveSet = c.curveSet;
    sim.ClearCallLog();
    EXPECT_EQ(MilGenerateLut(), 1) << c.name;
    EXPECT_TRUE(CallNames().empty()) << c.name;
  }
  milInfo.HasInputLut = 1;
  milInfo.MilDigitizer = digitizer;
  milInfo.curveSet = curveSet;
}

TEST_F(LutGenerationTest, ColourBoardBuildsOneTableWithBandChildrenAndFreesTheChildrenFirst) {
  UseFormat("M_PAL_RGB");
  ASSERT_TRUE(milInfo.ColourInput);
  milInfo.curveSet->SelectChannel(LUT_ALL);
  sim.ClearCallLog();
  EXPECT_EQ(MilGenerateLut(), 0);
  const std::vector<std::string> expected = {"MbufAllocColor", "MbufChildColor", "MbufChildColor",
                                             "MbufChildColor", "MgenLutRamp",    "MgenLutRamp",
                                             "MdigLut",        "MbufFree",       "MbufFree",
                                             "MbufFree",       "MbufFree"};
  EXPECT_EQ(CallNames(), expected);
  // The table went last: freeing a parent before its children would have
  // left children behind or been refused.
  ExpectTablesReleased();
  ExpectNoLibraryErrors();
}

// Each case changes the curves from where the previous one left them, so
// every table differs from the one loaded before it.
TEST_F(LutGenerationTest, ColourBoardTablesFollowTheCurves) {
  UseFormat("M_PAL_RGB");
  struct Case {
    const char* name;
    void (*change)();
    Nodes red, green, blue;
  };
  const Case cases[] = {
      {"All, neg. linear", [] { Install(LUT_ALL, 2); }, NEG_LINEAR, NEG_LINEAR, NEG_LINEAR},
      {"All, default curve",
       [] {
         const uint8_t pairs[] = {0, 0, 128, 128, 255, 255};
         ASSERT_EQ(milInfo.curveSet->LoadPacked(0x03000000, pairs, sizeof pairs, 0), 0);
       },
       IDENTITY, IDENTITY, IDENTITY},
      {"All, pseudo color", [] { Install(LUT_ALL, 3); }, PSEUDO_COLOR, PSEUDO_COLOR, PSEUDO_COLOR},
      {"Green current, red neg. linear, green and blue default",
       [] {
         Install(LUT_RED, 2);  // leaving All copies pseudo color into every channel first
         Install(LUT_GREEN, 1);
         Install(LUT_BLUE, 1);
         milInfo.curveSet->SelectChannel(LUT_GREEN);
       },
       NEG_LINEAR, IDENTITY, IDENTITY},
      {"Blue current, pseudo color into blue only", [] { Install(LUT_BLUE, 3); }, NEG_LINEAR,
       IDENTITY, PSEUDO_COLOR},
      {"A vertical step: the later node of equal input wins",
       [] {
         milInfo.curveSet->SelectChannel(LUT_RED);
         Install(LUT_RED, 1);
         ASSERT_TRUE(milInfo.curveSet->InsertNode(100, 10));
         ASSERT_TRUE(milInfo.curveSet->InsertNode(100, 240));
       },
       {{0, 0}, {100, 10}, {100, 240}, {255, 255}},
       IDENTITY,
       PSEUDO_COLOR},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.change();
    EXPECT_EQ(MilGenerateLut(), 0);
    SimDigitizerState state = DigitizerState();
    EXPECT_EQ(Band(state, 0), ExpectedTable(c.red));
    EXPECT_EQ(Band(state, 1), ExpectedTable(c.green));
    EXPECT_EQ(Band(state, 2), ExpectedTable(c.blue));
    ExpectTablesReleased();
  }
  ExpectNoLibraryErrors();
}

TEST_F(LutGenerationTest, MonochromeBoardBuildsOneSingleBandTable) {
  UseFormat("M_CCIR");
  ASSERT_FALSE(milInfo.ColourInput);
  Install(LUT_ALL, 3);
  sim.ClearCallLog();
  EXPECT_EQ(MilGenerateLut(), 0);
  const std::vector<std::string> expected = {"MbufAlloc1d", "MgenLutRamp", "MgenLutRamp",
                                             "MgenLutRamp", "MgenLutRamp", "MdigLut",
                                             "MbufFree"};
  EXPECT_EQ(CallNames(), expected);
  EXPECT_EQ(Band(DigitizerState(), 0), ExpectedTable(PSEUDO_COLOR));
  ExpectTablesReleased();
  ExpectNoLibraryErrors();
  EXPECT_EQ(std::string(HostDebugOutput()), "");
}

// Curves stored in the channel shape and loaded for a monochrome format leave
// a colour channel current on a board without band tables: the All curve is
// loaded into the single-band table, and the state is logged.
TEST_F(LutGenerationTest, MonochromeBoardWithAColourChannelCurrentLoadsTheAllCurve) {
  UseFormat("M_CCIR");
  Install(LUT_ALL, 2);
  const uint8_t stored[] = {0, 0, 64, 255, 128, 0, 192, 255, 255, 0};
  milInfo.curveSet->SelectChannel(LUT_RED);
  ASSERT_EQ(milInfo.curveSet->LoadPacked(0x00050000, stored, sizeof stored, 0), 0);
  HostClearDebugOutput();
  sim.ClearCallLog();

  EXPECT_EQ(MilGenerateLut(), 0);

  std::vector<std::string> names = CallNames();
  EXPECT_EQ(names.front(), "MbufAlloc1d");
  EXPECT_EQ(std::count(names.begin(), names.end(), "MbufChildColor"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "MgenLutRamp"), 1);
  EXPECT_EQ(Band(DigitizerState(), 0), ExpectedTable(NEG_LINEAR));
  ExpectNoLibraryErrors();
  ExpectTablesReleased();
  std::string log = HostDebugOutput();
  EXPECT_EQ(log.rfind("Korvanta TWAIN DS: ", 0), 0u) << log;
  EXPECT_EQ(log.back(), '\n');
}

TEST_F(LutGenerationTest, PredefinedCurvesGoIntoTheCurrentListOnly) {
  UseFormat("M_PAL_RGB");
  LutCurveSet& set = *milInfo.curveSet;
  const std::vector<uint8_t> defaultBytes = {0, 0, 128, 128, 255, 255};
  EXPECT_EQ(LoadPredefinedCurve(0), 1);  // "user defined" installs nothing
  EXPECT_EQ(LoadPredefinedCurve(4), 1);
  EXPECT_EQ(LoadPredefinedCurve(-1), 1);
  for (int c = LUT_RED; c <= LUT_ALL; ++c) EXPECT_EQ(set.ListToBytes(LutChannel(c)), defaultBytes);

  Install(LUT_BLUE, 1);
  EXPECT_EQ(set.channel, LUT_BLUE);
  EXPECT_EQ(set.ListToBytes(LUT_BLUE), (std::vector<uint8_t>{0, 0, 255, 255}));
  EXPECT_EQ(set.ListToBytes(LUT_RED), defaultBytes);
  EXPECT_EQ(set.ListToBytes(LUT_GREEN), defaultBytes);
  EXPECT_EQ(set.ListToBytes(LUT_ALL), defaultBytes);

  Install(LUT_ALL, 3);
  EXPECT_EQ(set.channel, LUT_ALL);
  for (int c = LUT_RED; c <= LUT_ALL; ++c) {
    EXPECT_EQ(set.ListToBytes(LutChannel(c)),
              (std::vector<uint8_t>{0, 0, 64, 255, 128, 0, 192, 255, 255, 0}));
  }
  const char* const texts[] = {"user defined", "pos. linear", "neg. linear", "pseudo color"};
  for (int i = 0; i < PREDEFINED_CURVE_COUNT; ++i)
    EXPECT_STREQ(PREDEFINED_CURVES[i].text, texts[i]);

  milInfo.curveSet = nullptr;
  EXPECT_EQ(LoadPredefinedCurve(1), 1);
  milInfo.curveSet = &set;
}

// What the registry held is installed when the settings are applied at
// opening; what cannot be a curve gives the default one, never a list of
// fewer than two nodes or a table the curves did not define.
TEST_F(LutGenerationTest, UnusableStoredCurvesGiveDefaultTablesWhenTheSettingsAreApplied) {
  struct Case {
    const char* name;
    uint32_t countWord;
    std::vector<uint8_t> nodeData;
    int32_t lutType;
    Nodes red, green, blue;
  };
  const Case cases[] = {
      {"unknown LutType", 0x02000000, {0, 255, 255, 0}, 5, IDENTITY, IDENTITY, IDENTITY},
      {"red decreasing, blue stored",
       0x00030002,
       {0, 0, 200, 9, 100, 9, 0, 255, 255, 0},
       0,
       IDENTITY,
       IDENTITY,
       NEG_LINEAR},
      {"value ends inside green",
       0x00020200,
       {0, 255, 255, 0, 0, 255},
       0,
       NEG_LINEAR,
       IDENTITY,
       IDENTITY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseFormat("M_PAL_RGB");
    grabberSettings.Channel = CHANNEL_0;
    grabberSettings.WhiteRef0 = grabberSettings.WhiteRef1 = grabberSettings.WhiteRef2 = 255;
    grabberSettings.LutValues = c.countWord;
    grabberSettings.LutNodeData = c.nodeData;
    grabberSettings.LutType = c.lutType;
    MilApplySettings();
    SimDigitizerState state = DigitizerState();
    EXPECT_EQ(Band(state, 0), ExpectedTable(c.red));
    EXPECT_EQ(Band(state, 1), ExpectedTable(c.green));
    EXPECT_EQ(Band(state, 2), ExpectedTable(c.blue));
    for (const LutNodeList& list : milInfo.curveSet->lists) EXPECT_GE(list.size(), 2u);
    EXPECT_NE(Log().find("Korvanta TWAIN DS: stored "), std::string::npos) << Log();
    ExpectNoLibraryErrors();
    MilFreeRuntime();
  }
}

// With the RGB input and its default references each band of a pixel is its
// scene level seen through that band's table; a grab before and after a
// change of the red curve differs by exactly that table.
TEST_F(LutGenerationTest, AGrabShowsTheNewTableInItsPixels) {
  UseFormat("M_PAL_RGB");
  ASSERT_EQ(milInfo.BandCount, 3u);
  const MIL_ID image = milInfo.MilImage;
  const uint8_t* pixels = milInfo.ImageData;  // packed R G B bytes
  ASSERT_NE(pixels, nullptr);
  const int32_t width = int32_t(milInfo.ImageWidth);
  const int32_t height = int32_t(milInfo.ImageHeight);
  const int32_t sample[][2] = {{0, 0}, {17, 3}, {200, 100}, {width - 1, height - 1}};

  milInfo.curveSet->SelectChannel(LUT_ALL);
  ASSERT_EQ(MilGenerateLut(), 0);
  uint32_t before = DigitizerState().frameCount;
  imagingLibrary.MdigGrab(milInfo.MilDigitizer, image);
  uint8_t levels[4][3];
  for (int i = 0; i < 4; ++i) {
    const uint8_t* pixel = pixels + 3 * (size_t(sample[i][1]) * width + sample[i][0]);
    uint8_t expected[3];
    ASSERT_EQ(sim.ExpectedPixel(milInfo.MilDigitizer, sample[i][0], sample[i][1], before, expected),
              3);
    EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + 3), std::vector<uint8_t>(expected, expected + 3));
    // The levels the next frame brings, through the identity.
    ASSERT_EQ(
        sim.ExpectedPixel(milInfo.MilDigitizer, sample[i][0], sample[i][1], before + 1, levels[i]),
        3);
  }

  Install(LUT_RED, 2);
  ASSERT_EQ(MilGenerateLut(), 0);
  imagingLibrary.MdigGrab(milInfo.MilDigitizer, image);
  ASSERT_EQ(DigitizerState().frameCount, before + 2);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const uint8_t* pixel = pixels + 3 * (size_t(sample[i][1]) * width + sample[i][0]);
    EXPECT_EQ(pixel[0], 255 - levels[i][0]);
    EXPECT_EQ(pixel[1], levels[i][1]);
    EXPECT_EQ(pixel[2], levels[i][2]);
  }
  ExpectNoLibraryErrors();
}

}  // namespace
