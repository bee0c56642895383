// Setting up the digitizer for a camera format: colour modes, pixel layouts
// and board models, the fallback format, the grab-memory probe, the system
// dump, the published image format, and the teardown.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "capabilities/capability_store.h"
#include "grabber/digitizer_setup.h"
#include "grabber/imaging_library.h"
#include "grabber/mil_accessors.h"
#include "grabber/mil_info.h"
#include "grabber/runtime_loading.h"
#include "grabber_fixture.h"
#include "lut/lut_curves.h"
#include "settings/grabber_settings.h"
#include "source/source_session.h"

namespace {

TW_UINT16 CurrentUint16(TW_UINT16 capabilityId) {
  ItemBlock item;
  EXPECT_EQ(GetCurrentValue(capabilityId, &item), TWTY_UINT16);
  if (!item) return 0;
  TW_UINT16 value;
  memcpy(&value, item.get(), sizeof value);
  return value;
}

class DigitizerSetupTest : public GrabberTest {
 protected:
  // Loads the runtime only; the test sets up the digitizer itself.
  void Load(int32_t boardType) {
    sim.SetBoardType(boardType);
    ASSERT_EQ(MilLoadRuntime(), 0);
    ClearLogs();
  }
  uint16_t Init(const char* format) {
    snprintf(format_, sizeof format_, "%s", format);
    return MilInitDigitizer(format_);
  }
  char format_[DIG_FORMAT_SIZE] = {};
};

// ---- Colour modes ----------------------------------------------------------

struct ColourModeCase {
  int32_t boardType;
  const char* format;
  int32_t colourMode;
  uint8_t colourInput;
  uint8_t rgbInput;
  uint32_t bands;
  TW_UINT16 bitDepth;
  TW_UINT16 pixelType;
};

void PrintTo(const ColourModeCase& c, std::ostream* out) {
  *out << "board " << c.boardType << " " << c.format;
}

class ColourModeTest : public DigitizerSetupTest,
                       public ::testing::WithParamInterface<ColourModeCase> {};

TEST_P(ColourModeTest, SetsTheInputFlagsAndPublishesTheImageFormat) {
  const ColourModeCase& c = GetParam();
  // The opposite flags beforehand, so both values are seen to be set.
  milInfo.ColourInput = !c.colourInput;
  milInfo.RgbInput = !c.rgbInput;
  Load(c.boardType);
  ASSERT_EQ(Init(c.format), 0);

  EXPECT_EQ(milInfo.ColourMode, c.colourMode);
  EXPECT_EQ(GetColourInput(), c.colourInput);
  EXPECT_EQ(GetRgbInput(), c.rgbInput);
  EXPECT_EQ(GetBandCount(), c.bands);
  EXPECT_EQ(milInfo.BitsPerBand, 8u);
  EXPECT_EQ(CurrentUint16(ICAP_BITDEPTH), c.bitDepth);
  EXPECT_EQ(CurrentUint16(ICAP_PIXELTYPE), c.pixelType);
  EXPECT_EQ(GetImageWidth(), 768u);
  EXPECT_EQ(GetImageHeight(), 576u);
  EXPECT_NE(Log().find("Korvanta TWAIN DS: Image format 768 x 576 x 8bpp, " +
                       std::to_string(c.bands) + " planes \n"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ColourModeTest,
    ::testing::Values(ColourModeCase{27, "M_CCIR", 0, 0, 0, 1, 8, TWPT_GRAY},
                      ColourModeCase{27, "M_PAL", 1, 1, 0, 3, 24, TWPT_RGB},
                      ColourModeCase{27, "M_PAL_YC", 4137, 1, 0, 3, 24, TWPT_RGB},
                      ColourModeCase{24, "M_PAL_RGB", 8, 1, 1, 3, 24, TWPT_RGB},
                      ColourModeCase{24, "M_CCIR", 1024, 0, 1, 1, 8, TWPT_GRAY}));

// The simulated board knows only the five colour modes of the table; an
// unknown one is answered here in its place.
MdigInquireProc realMdigInquire = nullptr;

MIL_INT MFTYPE InquireUnknownColourMode(MIL_ID digitizer, MIL_INT inquireType, void* variable) {
  if (inquireType == 1018) return 77;
  return realMdigInquire(digitizer, inquireType, variable);
}

TEST_F(DigitizerSetupTest, AnUnknownColourModeLeavesTheFlagsOfThePreviousSetUp) {
  Load(24);
  ASSERT_EQ(Init("M_PAL_RGB"), 0);
  ASSERT_EQ(GetColourInput(), 1);
  ASSERT_EQ(GetRgbInput(), 1);
  MilFreeDigitizer();

  realMdigInquire = imagingLibrary.MdigInquire;
  imagingLibrary.MdigInquire = InquireUnknownColourMode;
  ASSERT_EQ(Init("M_CCIR"), 0);
  imagingLibrary.MdigInquire = realMdigInquire;
  EXPECT_EQ(milInfo.ColourMode, 77);
  EXPECT_EQ(GetColourInput(), 1);
  EXPECT_EQ(GetRgbInput(), 1);
  EXPECT_EQ(GetBandCount(), 1u);
}

// ---- Pixel layouts ---------------------------------------------------------

struct LayoutCase {
  int32_t bits;
  const char* logLine;
  int32_t fourBytePixels;
  int32_t blueFirst;
};

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << std::hex << c.bits; }

class BufferLayoutTest : public DigitizerSetupTest,
                         public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(BufferLayoutTest, LogsTheLayoutAndSetsOnlyItsFlags) {
  const LayoutCase& c = GetParam();
  milInfo.FourBytePixels = 1;
  milInfo.BlueFirst = 1;
  ASSERT_EQ(sim.SetPixelLayout(c.bits), 1);
  Load(27);
  ASSERT_EQ(Init("M_PAL"), 0);

  EXPECT_EQ(milInfo.BufferFormat & 0x3F00, c.bits);
  EXPECT_EQ(milInfo.FourBytePixels, c.fourBytePixels);
  EXPECT_EQ(milInfo.BlueFirst, c.blueFirst);
  EXPECT_NE(Log().find(std::string("\n") + c.logLine), std::string::npos) << Log();
}

#define LAYOUT(bits, name, four, blue) \
  LayoutCase { bits, "Korvanta TWAIN DS: buffer format " name, four, blue }

INSTANTIATE_TEST_SUITE_P(
    Table, BufferLayoutTest,
    ::testing::Values(
        LAYOUT(0x0100, "M_MONO1 \n", 0, 0), LAYOUT(0x0200, "M_MONO8 \n", 0, 0),
        LAYOUT(0x0300, "M_MONO16 \n", 0, 0), LAYOUT(0x0400, "M_MONO32 \n", 1, 0),
        LAYOUT(0x0600, "M_RGB15\n", 0, 0), LAYOUT(0x0700, "M_RGB16\n", 0, 0),
        LAYOUT(0x0800, "M_RGB24\n", 0, 0), LAYOUT(0x0900, "M_RGB32\n", 1, 0),
        LAYOUT(0x0A00, "M_XRGB32\n", 1, 0), LAYOUT(0x0B00, "M_RGB48\n", 0, 0),
        LAYOUT(0x0C00, "M_RGB96\n", 0, 0), LAYOUT(0x0D00, "M_RGB3\n", 0, 0),
        LAYOUT(0x0E00, "M_BGR15\n", 0, 1), LAYOUT(0x0F00, "M_BGR16\n", 0, 1),
        LAYOUT(0x1000, "M_BGR24\n", 0, 1), LAYOUT(0x1100, "M_BGR32\n", 1, 1),
        LAYOUT(0x1200, "M_XBGR32\n", 1, 0), LAYOUT(0x1500, "M_YUV9\n", 0, 0),
        LAYOUT(0x1600, "M_YUV12\n", 0, 0), LAYOUT(0x1700, "M_YUV16\n", 0, 0),
        LAYOUT(0x1B00, "M_YUV24\n", 0, 0), LAYOUT(0x1C00, "M_YUV16_YUYV\n", 0, 0),
        LAYOUT(0x1D00, "M_YUV16_UYVY\n", 0, 0), LAYOUT(0x1F00, "M_YUV12_1394\n", 0, 0),
        LayoutCase{0x1300, "Korvanta TWAIN DS: UNKNOWN !!! buffer format \n", 0, 0},
        LayoutCase{0x3F00, "Korvanta TWAIN DS: UNKNOWN !!! buffer format \n", 0, 0}));

#undef LAYOUT

// ---- Board models ----------------------------------------------------------

struct BoardCase {
  int32_t boardType;
  const char* name;
  uint16_t hasInputLut;
};

void PrintTo(const BoardCase& c, std::ostream* out) { *out << c.boardType; }

class BoardModelTest : public DigitizerSetupTest,
                       public ::testing::WithParamInterface<BoardCase> {};

TEST_P(BoardModelTest, NamesTheBoardAndCreatesCurvesOnlyForAnInputLut) {
  const BoardCase& c = GetParam();
  Load(c.boardType);
  ASSERT_EQ(Init("M_CCIR"), 0);

  EXPECT_STREQ(GetBoardName(), c.name);
  EXPECT_EQ(GetHasInputLut(), c.hasInputLut);
  EXPECT_EQ(milInfo.BoardType, c.boardType);
  EXPECT_EQ(milInfo.BoardRevision, 1);
  EXPECT_NE(Log().find(std::string("Board: ") + c.name + ", Revision 1 \n"), std::string::npos)
      << Log();
  if (c.hasInputLut) {
    ASSERT_NE(milInfo.curveSet, nullptr);
    EXPECT_EQ(milInfo.curveSet->channel, LUT_RED);
  } else {
    EXPECT_EQ(milInfo.curveSet, nullptr);
  }
}

// The unknown board's name, with its support address, is the longest one and
// must arrive whole.
INSTANTIATE_TEST_SUITE_P(
    Table, BoardModelTest,
    ::testing::Values(BoardCase{24, "Meteor2-MC", 1}, BoardCase{27, "Meteor2", 0},
                      BoardCase{536, "Meteor2-MC + MJPEG", 1},
                      BoardCase{539, "Meteor2 + MJPEG", 0},
                      BoardCase{25, "unknown Meteor2, please contact support@korvanta.example",
                                0}));

TEST_F(DigitizerSetupTest, AFormatChangeStartsAgainFromDefaultCurves) {
  Load(24);
  ASSERT_EQ(Init("M_PAL_RGB"), 0);
  milInfo.curveSet->SelectChannel(LUT_BLUE);
  MilFreeDigitizer();
  EXPECT_EQ(milInfo.curveSet, nullptr);
  ASSERT_EQ(Init("M_PAL_RGB"), 0);
  ASSERT_NE(milInfo.curveSet, nullptr);
  EXPECT_EQ(milInfo.curveSet->channel, LUT_RED);
}

// ---- The camera format and its fallback -----------------------------------

TEST_F(DigitizerSetupTest, TheAllocatedFormatBecomesTheStoredFormat) {
  Load(27);
  ASSERT_EQ(Init("M_PAL_YC"), 0);
  EXPECT_STREQ(grabberSettings.DigFormat, "M_PAL_YC");
  EXPECT_STREQ(format_, "M_PAL_YC");
  EXPECT_EQ(HostMessageBoxCount(), 0u);
  EXPECT_NE(Log().find("Korvanta TWAIN DS: DigFormat=M_PAL_YC\n"), std::string::npos);
}

TEST_F(DigitizerSetupTest, ARefusedFormatFallsBackToCcirWithOneMessage) {
  ASSERT_EQ(sim.SetSupportedFormats("M_CCIR,M_PAL"), 1);
  Load(27);
  ASSERT_EQ(Init("M_NTSC"), 0);

  ASSERT_EQ(HostMessageBoxCount(), 1u);
  EXPECT_STREQ(HostMessageBoxText(0), "Unsupported Camera Type, using CCIR default!");
  EXPECT_STREQ(HostMessageBoxCaption(0), "Korvanta TWAIN DS");
  EXPECT_STREQ(format_, "M_CCIR");
  EXPECT_STREQ(grabberSettings.DigFormat, "M_CCIR");
  EXPECT_NE(milInfo.MilDigitizer, 0);
  EXPECT_NE(Log().find("Korvanta TWAIN DS: Unsupported Camera Type, using CCIR default! \n"),
            std::string::npos);
  ASSERT_EQ(Calls("MdigAlloc").size(), 2u);
  EXPECT_NE(Calls("MdigAlloc")[0].find("\"M_NTSC\""), std::string::npos);
  EXPECT_NE(Calls("MdigAlloc")[1].find("\"M_CCIR\""), std::string::npos);
}

TEST_F(DigitizerSetupTest, NoFormatAtAllFailsWithASecondMessageAndReportsStayOff) {
  ASSERT_EQ(sim.SetSupportedFormats(""), 1);
  Load(27);
  EXPECT_EQ(Init("M_PAL"), 1);

  ASSERT_EQ(HostMessageBoxCount(), 2u);
  EXPECT_STREQ(HostMessageBoxText(1), "Cannot allocate M_CCIR camera, failure");
  EXPECT_STREQ(HostMessageBoxCaption(1), "Korvanta TWAIN DS");
  const std::string log = Log();
  const std::string last = "Korvanta TWAIN DS: Cannot allocate any camera, failure \n";
  EXPECT_EQ(log.substr(log.size() - last.size()), last) << log;
  EXPECT_EQ(sim.ErrorReportsOn(), 0);
  EXPECT_EQ(milInfo.MilDigitizer, 0);
  EXPECT_EQ(Calls("MdispAlloc").size(), 0u);
}

TEST_F(DigitizerSetupTest, AnOverlongFormatTextIsRefusedWithoutOverrunningAnything) {
  Load(27);
  char format[300];
  memset(format, 'X', sizeof format - 1);
  format[sizeof format - 1] = '\0';
  ASSERT_EQ(MilInitDigitizer(format), 0);
  EXPECT_STREQ(format, "M_CCIR");
  EXPECT_STREQ(grabberSettings.DigFormat, "M_CCIR");
  // The log line is cut, not overrun.
  EXPECT_NE(Log().find("Korvanta TWAIN DS: DigFormat=XXXX"), std::string::npos);
}

TEST_F(DigitizerSetupTest, NoSystemFailsAtOnceAndCallsNothing) {
  char format[DIG_FORMAT_SIZE] = "M_CCIR";
  EXPECT_EQ(MilInitDigitizer(format), 1);
  EXPECT_EQ(Log(), "Korvanta TWAIN DS: call MilInitDigitizer with MilInfo.MilSystem==0 !!\n");
  EXPECT_EQ(CallLog(), "");
}

// ---- Missing display, image buffer or pixels --------------------------------

struct MissingObjectCase {
  int32_t fault;
  const char* logLine;
  bool hasDisplay;
  bool hasImage;
};

void PrintTo(const MissingObjectCase& c, std::ostream* out) { *out << "fault " << c.fault; }

class MissingObjectTest : public DigitizerSetupTest,
                          public ::testing::WithParamInterface<MissingObjectCase> {};

TEST_P(MissingObjectTest, IsLoggedAndTheSetUpGoesOn) {
  const MissingObjectCase& c = GetParam();
  sim.SetFault(c.fault, 1);
  Load(27);
  EXPECT_EQ(Init("M_CCIR"), 0);
  EXPECT_NE(Log().find(c.logLine), std::string::npos) << Log();
  EXPECT_EQ(milInfo.MilDisplay != 0, c.hasDisplay);
  EXPECT_EQ(milInfo.MilImage != 0, c.hasImage);
  EXPECT_NE(milInfo.MilDigitizer, 0);
  if (c.fault != SIM_FAULT_NO_DISPLAY) {
    EXPECT_EQ(milInfo.ImageData, nullptr);
    EXPECT_NE(Log().find("Korvanta TWAIN DS: ERROR !!! no pointer to grabbed data\n"),
              std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MissingObjectTest,
    ::testing::Values(
        MissingObjectCase{SIM_FAULT_NO_DISPLAY,
                          "Korvanta TWAIN DS: call MilInitDigitizer with MilInfo.MilDisplay==0 !!\n",
                          false, true},
        MissingObjectCase{SIM_FAULT_NO_IMAGE_BUFFER,
                          "Korvanta TWAIN DS: call MilInitDigitizer with MilInfo.MilImage==0 !!\n",
                          true, false},
        MissingObjectCase{SIM_FAULT_NO_PIXEL_ADDRESS,
                          "Korvanta TWAIN DS: ERROR !!! no pointer to grabbed data\n", true,
                          true}));

// ---- The grab-memory probe -------------------------------------------------

struct ProbeCase {
  uint32_t capacityKb;
  uint32_t foundKb;
};

void PrintTo(const ProbeCase& c, std::ostream* out) { *out << c.capacityKb << " kB"; }

class GrabMemoryProbeTest : public DigitizerSetupTest,
                            public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(GrabMemoryProbeTest, FindsTheMemoryInHalvingChunksAndGivesItBack) {
  const ProbeCase& c = GetParam();
  sim.SetGrabMemoryKb(c.capacityKb);
  Load(27);
  ASSERT_EQ(Init("M_CCIR"), 0);
  EXPECT_EQ(GetGrabMemoryKb(), c.foundKb);
  EXPECT_EQ(sim.GrabMemoryUsed(), 0u);
  EXPECT_NE(Log().find("Grab memory: " + std::to_string(c.foundKb) + " kB \n"), std::string::npos);
}

// 1500 kB is found as 1024 + 256 + 128 + 64 + 16 + 8 + 4; at most 100 buffers
// are held, so 200 MB gives 100 MB, and 99 MB + 3 kB ends with a 2 kB chunk
// as the hundredth buffer.
INSTANTIATE_TEST_SUITE_P(Capacities, GrabMemoryProbeTest,
                         ::testing::Values(ProbeCase{0, 0}, ProbeCase{1500, 1500},
                                           ProbeCase{65536, 65536}, ProbeCase{204800, 102400},
                                           ProbeCase{99 * 1024 + 3, 99 * 1024 + 2}));

TEST_F(DigitizerSetupTest, TheProbeRunsSilentlyDownToTwoKilobytesAndFreesTheLastFirst) {
  sim.SetGrabMemoryKb(1024 + 2);
  Load(27);
  ASSERT_EQ(Init("M_CCIR"), 0);

  const std::string log = CallLog();
  size_t reportsOff = log.rfind("MappControl(1073741824, 0)", log.find("MbufAlloc1d("));
  EXPECT_NE(reportsOff, std::string::npos) << log;
  std::vector<std::string> allocations = Calls("MbufAlloc1d");
  // 1024 kB taken, then 1024 ... 4 refused, 2 taken, 2 refused.
  ASSERT_EQ(allocations.size(), 12u);
  EXPECT_EQ(allocations.front().find("MbufAlloc1d(" + std::to_string(milInfo.MilSystem) +
                                     ", 1048576, 8, 12) = "),
            0u)
      << allocations.front();
  EXPECT_NE(allocations[10].find(", 2048, 8, 12) = "), std::string::npos);
  EXPECT_NE(allocations[11].find(", 2048, 8, 12) = 0"), std::string::npos);
  std::smatch first;
  std::smatch last;
  ASSERT_TRUE(std::regex_search(allocations[0], first, std::regex("= ([0-9]+)$")));
  ASSERT_TRUE(std::regex_search(allocations[10], last, std::regex("= ([0-9]+)$")));
  std::vector<std::string> frees = Calls("MbufFree");
  ASSERT_GE(frees.size(), 2u);
  EXPECT_EQ(frees[0], "MbufFree(" + last[1].str() + ")");
  EXPECT_EQ(frees[1], "MbufFree(" + first[1].str() + ")");
  EXPECT_EQ(GetGrabMemoryKb(), 1026u);
}

// ---- Library error reports after the set-up --------------------------------

TEST_F(DigitizerSetupTest, ErrorReportsStayOffUnlessTheLogIsActive) {
  sourceSession.dumpMode = 0;
  Load(27);
  ASSERT_EQ(Init("M_CCIR"), 0);
  EXPECT_EQ(sim.ErrorReportsOn(), 0);

  MilFreeDigitizer();
  sourceSession.dumpMode = DUMP_TO_DEBUGGER;
  ASSERT_EQ(Init("M_CCIR"), 0);
  EXPECT_EQ(sim.ErrorReportsOn(), 1);
}

// ---- The system dump -------------------------------------------------------

TEST_F(DigitizerSetupTest, TheSystemDumpSitsBetweenTheBufferFormatAndTheBoard) {
  Load(27);
  ASSERT_EQ(Init("M_CCIR"), 0);
  const std::string log = Log();
  const std::string separator = std::string(42, '-') + " \n";
  const std::string block = separator + "Dumping system Settings \n" + separator +
                            "VGA: \n"
                            "VGA Driver version = 16384 \n"
                            "VGA resolution = 1024 x 768 x 32 @ 60 Hz\n"
                            "Operating system: \n"
                            "Windows 6.1 Build 7601 Service Pack 1\n"
                            "Memory: \n";
  size_t start = log.find(block);
  ASSERT_NE(start, std::string::npos) << log;
  EXPECT_LT(log.find("Korvanta TWAIN DS: buffer format M_MONO8 \n"), start);
  EXPECT_TRUE(std::regex_search(
      log.substr(start + block.size()),
      std::regex("^Physical memory: avail [0-9]+ kB, total [0-9]+ kB, Load [0-9]+ \n"
                 "Virtual  memory: avail [0-9]+ kB, total [0-9]+ kB\n"
                 "Grab memory: 65536 kB \nBoard: Meteor2, Revision 1 \n")))
      << log.substr(start);
  EXPECT_EQ(log.find("BUG!!"), std::string::npos);
}

TEST_F(DigitizerSetupTest, AFormatChangeDumpsAgainWithTheNewGrabMemory) {
  Load(27);
  ASSERT_EQ(Init("M_CCIR"), 0);
  MilFreeDigitizer();
  sim.SetGrabMemoryKb(1500);
  ClearLogs();
  ASSERT_EQ(Init("M_PAL"), 0);
  EXPECT_NE(Log().find("Dumping system Settings \n"), std::string::npos);
  EXPECT_NE(Log().find("Grab memory: 1500 kB \n"), std::string::npos);
  // The new format's image is published anew.
  EXPECT_EQ(CurrentUint16(ICAP_BITDEPTH), 24);
  EXPECT_EQ(CurrentUint16(ICAP_PIXELTYPE), TWPT_RGB);
  MilFreeDigitizer();
  ASSERT_EQ(Init("M_CCIR"), 0);
  EXPECT_EQ(CurrentUint16(ICAP_BITDEPTH), 8);
  EXPECT_EQ(CurrentUint16(ICAP_PIXELTYPE), TWPT_GRAY);
}

TEST_F(DigitizerSetupTest, WithTheLogOffNothingIsWritten) {
  sourceSession.dumpMode = 0;
  Load(27);
  ASSERT_EQ(Init("M_CCIR"), 0);
  EXPECT_EQ(Log(), "");
}

// ---- Teardown --------------------------------------------------------------

TEST_F(DigitizerSetupTest, FreeDigitizerReleasesTheObjectsAndTheStoredNodes) {
  Load(24);
  ASSERT_EQ(Init("M_PAL_RGB"), 0);
  grabberSettings.LutValues = 0x03000000;
  grabberSettings.LutNodeData = {0, 0, 128, 128, 255, 255};
  grabberSettings.Brightness = 77;
  MIL_ID image = milInfo.MilImage;
  MIL_ID digitizer = milInfo.MilDigitizer;
  MIL_ID display = milInfo.MilDisplay;
  sim.ClearCallLog();

  MilFreeDigitizer();

  EXPECT_EQ(CallLog(), Call("MbufFree", {image}) + "\n" + Call("MdigFree", {digitizer}) + "\n" +
                           Call("MdispFree", {display}) + "\n");
  EXPECT_EQ(sim.ObjectCount(SIM_DIGITIZERS), 0);
  EXPECT_EQ(sim.ObjectCount(SIM_DISPLAYS), 0);
  EXPECT_EQ(sim.ObjectCount(SIM_BUFFERS), 0);
  EXPECT_EQ(milInfo.MilImage, 0);
  EXPECT_EQ(milInfo.MilDigitizer, 0);
  EXPECT_EQ(milInfo.MilDisplay, 0);
  EXPECT_EQ(milInfo.curveSet, nullptr);
  EXPECT_EQ(grabberSettings.LutValues, 0u);
  EXPECT_TRUE(grabberSettings.LutNodeData.empty());
  EXPECT_EQ(grabberSettings.Brightness, 77);
  EXPECT_STREQ(grabberSettings.DigFormat, "M_PAL_RGB");
}

}  // namespace
