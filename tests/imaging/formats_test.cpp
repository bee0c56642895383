// The board, its camera formats with their geometry and colour modes, and the
// levels a digitizer answers.
#include "simulator_fixture.h"

namespace {

struct FormatCase {
  int32_t boardType;
  const char* format;
  MIL_INT width, height, bands, colourMode;
  int32_t frameRateHz;
};

// Multi-channel boards (24, 536) see grey through the RGB converter and have
// RGB inputs; the others (27, 539, unknown) see grey through the decoder.
const FormatCase kFormats[] = {
    {24, "M_CCIR", 768, 576, 1, 1024, 25},   {24, "M_RS170", 640, 480, 1, 1024, 30},
    {24, "M_PAL", 768, 576, 3, 1, 25},       {24, "M_PAL_YC", 768, 576, 3, 4137, 25},
    {24, "M_PAL_RGB", 768, 576, 3, 8, 25},   {24, "M_NTSC", 640, 480, 3, 1, 30},
    {24, "M_NTSC_YC", 640, 480, 3, 4137, 30}, {24, "M_NTSC_RGB", 640, 480, 3, 8, 30},
    {536, "M_CCIR", 768, 576, 1, 1024, 25},  {536, "M_NTSC_RGB", 640, 480, 3, 8, 30},
    {27, "M_CCIR", 768, 576, 1, 0, 25},      {27, "M_RS170", 640, 480, 1, 0, 30},
    {27, "M_PAL", 768, 576, 3, 1, 25},       {27, "M_NTSC_YC", 640, 480, 3, 4137, 30},
    {539, "M_RS170", 640, 480, 1, 0, 30},    {99, "M_PAL_YC", 768, 576, 3, 4137, 25},
};

TEST_F(SimulatorTest, SystemNeedsTheBoardDescriptor) {
  EXPECT_EQ(mil.MsysAlloc("M_SYSTEM_METEOR_II", 0, 0, nullptr), 0);
  EXPECT_EQ(mil.MsysAlloc("\\\\.\\M_SYSTEM_HOST", 0, 0, nullptr), 0);
  EXPECT_EQ(mil.MsysAlloc(nullptr, 0, 0, nullptr), 0);
  EXPECT_EQ(mil.MsysAlloc(SYSTEM_DESCRIPTOR, 1, 0, nullptr), 0);
  MIL_ID idVariable = -1;
  MIL_ID second = mil.MsysAlloc(SYSTEM_DESCRIPTOR, 0, 0, &idVariable);
  EXPECT_NE(second, 0);
  EXPECT_EQ(idVariable, second);
  EXPECT_EQ(sim.ObjectCount(SIM_SYSTEMS), 2);
}

TEST_F(SimulatorTest, BoardTypeAndRevisionAreConfigured) {
  EXPECT_EQ(mil.MsysInquire(system_, 2014, nullptr), 24);
  EXPECT_EQ(mil.MsysInquire(system_, 2015, nullptr), 1);
  sim.SetBoardType(539);
  sim.SetBoardRevision(7);
  MIL_INT variable = 0;
  EXPECT_EQ(mil.MsysInquire(system_, 2014, &variable), 539);
  EXPECT_EQ(variable, 539);
  EXPECT_EQ(mil.MsysInquire(system_, 2015, nullptr), 7);
  EXPECT_EQ(mil.MsysInquire(system_, 2099, nullptr), 0);
  EXPECT_EQ(sim.ErrorCount(), 1u);
}

TEST_F(SimulatorTest, EachFormatHasItsGeometryBandsColourModeAndRate) {
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(std::string(c.format) + " on board " + std::to_string(c.boardType));
    MIL_ID digitizer = AllocDigitizer(c.boardType, c.format);
    ASSERT_NE(digitizer, 0);
    EXPECT_EQ(mil.MdigInquire(digitizer, 1002, nullptr), c.width);
    EXPECT_EQ(mil.MdigInquire(digitizer, 1003, nullptr), c.height);
    EXPECT_EQ(mil.MdigInquire(digitizer, 1005, nullptr), c.bands);
    EXPECT_EQ(mil.MdigInquire(digitizer, 1018, nullptr), c.colourMode);
    SimDigitizerState state{};
    ASSERT_EQ(sim.GetDigitizerState(digitizer, &state), 1);
    EXPECT_EQ(state.frameRateHz, c.frameRateHz);
    EXPECT_STREQ(state.format, c.format);
    mil.MdigFree(digitizer);
  }
  EXPECT_EQ(sim.ErrorCount(), 0u);
}

TEST_F(SimulatorTest, UnsupportedFormatsAreRefused) {
  // The standard boards have no RGB inputs.
  EXPECT_EQ(AllocDigitizer(27, "M_PAL_RGB"), 0);
  EXPECT_EQ(AllocDigitizer(24, "M_SECAM"), 0);
  EXPECT_EQ(AllocDigitizer(24, nullptr), 0);
  EXPECT_EQ(mil.MdigAlloc(system_, 1, "M_CCIR", M_DEFAULT_FLAG, nullptr), 0);
  EXPECT_EQ(mil.MdigAlloc(system_ + 100, 0, "M_CCIR", M_DEFAULT_FLAG, nullptr), 0);

  // A configured list replaces the board's own.
  EXPECT_EQ(sim.SetSupportedFormats("M_PAL, M_NTSC_YC"), 1);
  EXPECT_EQ(AllocDigitizer(24, "M_CCIR"), 0);
  MIL_ID idVariable = -1;
  EXPECT_EQ(mil.MdigAlloc(system_, 0, "M_PAL_RGB", M_DEFAULT_FLAG, &idVariable), 0);
  EXPECT_EQ(idVariable, 0);
  EXPECT_NE(AllocDigitizer(24, "M_NTSC_YC"), 0);
  EXPECT_EQ(sim.SetSupportedFormats("M_PAL,M_FOO"), 0) << "unknown names are refused";
  EXPECT_NE(AllocDigitizer(24, "M_PAL"), 0) << "a refused list changes nothing";
  EXPECT_EQ(sim.SetSupportedFormats(""), 1);
  EXPECT_EQ(AllocDigitizer(24, "M_PAL"), 0);
  EXPECT_EQ(sim.ObjectCount(SIM_DIGITIZERS), 2);
}

TEST_F(SimulatorTest, LevelsAreSetPerChannelAndReadBack) {
  MIL_ID digitizer = AllocDigitizer(24, "M_PAL_RGB");
  const MIL_INT black = 4003, white = 4005;
  const MIL_INT channel[3] = {0x20000000, 0x40000000, static_cast<MIL_INT>(0x80000000u)};
  const MIL_INT all = static_cast<MIL_INT>(0xEF200000u);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(mil.MdigInquire(digitizer, black | channel[c], nullptr), 0);
    EXPECT_EQ(mil.MdigInquire(digitizer, white | channel[c], nullptr), 255);
  }
  for (MIL_INT type : {4006, 4007, 4008, 4009}) {
    EXPECT_EQ(mil.MdigInquire(digitizer, type, nullptr), 128);
  }

  mil.MdigReference(digitizer, black | channel[1], 40);
  EXPECT_EQ(mil.MdigInquire(digitizer, black | channel[1], nullptr), 40);
  EXPECT_EQ(mil.MdigInquire(digitizer, black | channel[0], nullptr), 0);
  mil.MdigReference(digitizer, white | all, 200);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(mil.MdigInquire(digitizer, white | channel[c], nullptr), 200);
  mil.MdigReference(digitizer, 4008, 17);
  mil.MdigReference(digitizer, 4006, 250);
  EXPECT_EQ(mil.MdigInquire(digitizer, 4008, nullptr), 17);
  EXPECT_EQ(mil.MdigInquire(digitizer, 4006, nullptr), 250);

  // Levels outside 0..255, unknown types and channel bits are refused.
  uint32_t errors = sim.ErrorCount();
  mil.MdigReference(digitizer, 4008, 256);
  mil.MdigReference(digitizer, 4008, -1);
  mil.MdigReference(digitizer, 4010, 5);
  mil.MdigReference(digitizer, black | 0x01000000, 5);
  EXPECT_EQ(mil.MdigInquire(digitizer, 4008, nullptr), 17);
  EXPECT_EQ(sim.ErrorCount(), errors + 4);

  SimDigitizerState state{};
  sim.GetDigitizerState(digitizer, &state);
  EXPECT_EQ(state.blackRef[1], 40);
  EXPECT_EQ(state.whiteRef[2], 200);
  EXPECT_EQ(state.brightness, 17);
  EXPECT_EQ(state.hue, 250);

  mil.MdigChannel(digitizer, 0x40000000 + 0x400000);
  sim.GetDigitizerState(digitizer, &state);
  EXPECT_EQ(state.channel, 0x40400000);
}

}  // namespace
