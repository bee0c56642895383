// The picture model: every adjustment, the input channel and the input LUT
// reach the grabbed pixels as README.md says.
#include <cmath>

#include "simulator_fixture.h"

namespace {

int Clamp(double value) {
  double rounded = std::floor(value + 0.5);
  return rounded < 0 ? 0 : rounded > 255 ? 255 : static_cast<int>(rounded);
}

class PictureTest : public SimulatorTest {
 protected:
  // Grabs one frame and returns the bands of pixel (x, y) in red, green,
  // blue order (M_BGR24 stores them reversed).
  std::vector<int> Grab(int x, int y) {
    mil.MdigGrab(digitizer_, image_);
    MIL_INT bands = mil.MbufInquire(image_, 1005, nullptr);
    if (bands == 1) return {PixelByte(image_, x, y, 0)};
    return {PixelByte(image_, x, y, 2), PixelByte(image_, x, y, 1), PixelByte(image_, x, y, 0)};
  }
  void Open(int32_t boardType, const char* format) {
    digitizer_ = AllocDigitizer(boardType, format);
    image_ = AllocImage(digitizer_);
    ASSERT_NE(image_, 0);
  }
  // Every pixel of the last frame as SimExpectedPixel predicts it.
  void ExpectFrameMatchesModel() {
    uint32_t frame = sim.FrameCount(digitizer_) - 1;
    MIL_INT width = mil.MbufInquire(image_, 1002, nullptr);
    MIL_INT height = mil.MbufInquire(image_, 1003, nullptr);
    for (int y = 0; y < height; y += 37) {
      for (int x = 0; x < width; x += 13) {
        uint8_t bands[3];
        ASSERT_EQ(sim.ExpectedPixel(digitizer_, x, y, frame, bands), 3);
        ASSERT_EQ(PixelByte(image_, x, y, 2), bands[0]) << x << "," << y;
        ASSERT_EQ(PixelByte(image_, x, y, 1), bands[1]) << x << "," << y;
        ASSERT_EQ(PixelByte(image_, x, y, 0), bands[2]) << x << "," << y;
      }
    }
  }
  MIL_ID digitizer_ = 0;
  MIL_ID image_ = 0;
};

TEST_F(PictureTest, SceneMovesWithTheFrameNumber) {
  Open(24, "M_PAL_RGB");
  EXPECT_EQ(Grab(10, 20), (std::vector<int>{10, 20, 30}));
  EXPECT_EQ(Grab(10, 20), (std::vector<int>{11, 21, 31}));
  EXPECT_EQ(Grab(255, 255), (std::vector<int>{1, 1, 0}));  // wraps at 256
  EXPECT_EQ(sim.FrameCount(digitizer_), 3u);
}

TEST_F(PictureTest, InputChannelShiftsTheScene) {
  Open(24, "M_PAL_RGB");
  // Sync on green (0x40000000) and external sync (0x01000000), each plus
  // 0x400000: the scene moves by the sum of the word's bytes.
  mil.MdigChannel(digitizer_, 0x40400000);
  EXPECT_EQ(Grab(0, 0), (std::vector<int>{128, 128, 128}));
  mil.MdigChannel(digitizer_, 0x01400000);
  EXPECT_EQ(Grab(0, 0), (std::vector<int>{66, 66, 66}));  // 65 + frame 1
}

TEST_F(PictureTest, ReferencesSpreadTheirRangePerChannel) {
  Open(24, "M_PAL_RGB");
  mil.MdigReference(digitizer_, 4003 | 0x20000000, 64);
  mil.MdigReference(digitizer_, 4005 | 0x20000000, 191);
  mil.MdigReference(digitizer_, 4005 | static_cast<MIL_INT>(0x80000000u), 100);
  for (int x : {0, 64, 100, 128, 191, 250}) {
    SCOPED_TRACE(x);
    std::vector<int> pixel = Grab(x, 0);
    int frame = static_cast<int>(sim.FrameCount(digitizer_)) - 1;
    int red = (x + frame) & 0xFF, green = frame, blue = (x + frame) & 0xFF;
    EXPECT_EQ(pixel[0], Clamp((red - 64) * 255.0 / 127));
    EXPECT_EQ(pixel[1], green) << "channel 1 keeps its references";
    EXPECT_EQ(pixel[2], Clamp(blue * 255.0 / 100));
  }
}

TEST_F(PictureTest, MonochromeThroughTheRgbPathUsesChannelZero) {
  Open(24, "M_CCIR");
  mil.MdigReference(digitizer_, 4003 | 0x20000000, 10);
  mil.MdigReference(digitizer_, 4005 | 0x20000000, 137);
  mil.MdigReference(digitizer_, 4008, 200);  // no decoder on this path
  EXPECT_EQ(Grab(40, 30)[0], Clamp((70 - 10) * 255.0 / 127));
}

TEST_F(PictureTest, DecoderBrightnessAndContrastActOnGrey) {
  Open(27, "M_CCIR");
  mil.MdigReference(digitizer_, 4008, 148);
  EXPECT_EQ(Grab(40, 60)[0], 120);  // 100 + 20
  mil.MdigReference(digitizer_, 4008, 128);
  mil.MdigReference(digitizer_, 4009, 64);
  EXPECT_EQ(Grab(40, 59)[0], Clamp((100 - 128) * 0.5 + 128));
  mil.MdigReference(digitizer_, 4009, 255);
  EXPECT_EQ(Grab(200, 50)[0], 255);  // (252 - 128) * 255 / 128 + 128 clips
  mil.MdigReference(digitizer_, 4003 | 0x20000000, 90);  // no RGB path here
  EXPECT_EQ(Grab(1, 0)[0], Clamp((4 - 128) * 255 / 128.0 + 128));
}

TEST_F(PictureTest, SaturationAndHueChangeTheColour) {
  Open(27, "M_PAL");
  // Without saturation every band is the luma (R + 2G + B) / 4.
  mil.MdigReference(digitizer_, 4007, 0);
  std::vector<int> grey = Grab(100, 20);
  int luma = (100 + 2 * 20 + 120) / 4;
  EXPECT_EQ(grey, (std::vector<int>{luma, luma, luma}));
  // Brightness moves the luma, contrast stretches it around 128.
  mil.MdigReference(digitizer_, 4008, 138);
  mil.MdigReference(digitizer_, 4009, 192);
  std::vector<int> adjusted = Grab(100, 20);
  int luma1 = (101 + 2 * 21 + 121) / 4;
  EXPECT_EQ(adjusted[0], Clamp((luma1 - 128) * 1.5 + 138));

  // Hue turns the chroma around the grey axis, saturation scales it.
  mil.MdigReference(digitizer_, 4008, 128);
  mil.MdigReference(digitizer_, 4009, 128);
  mil.MdigReference(digitizer_, 4007, 160);
  mil.MdigReference(digitizer_, 4006, 50);
  std::vector<int> turned = Grab(300, 100);  // frame 2
  const int scene[3] = {302 & 0xFF, 102, (400 + 2) & 0xFF};
  int sceneLuma = (scene[0] + 2 * scene[1] + scene[2]) / 4;
  double angle = (50 - 128) * 3.14159265358979323846 / 128;
  for (int band = 0; band < 3; ++band) {
    double chroma = (scene[band] - sceneLuma) * std::cos(angle) +
                    (scene[(band + 1) % 3] - scene[(band + 2) % 3]) * std::sin(angle) / std::sqrt(3.0);
    EXPECT_EQ(turned[band], Clamp(sceneLuma + chroma * 160 / 128)) << band;
  }
  ExpectFrameMatchesModel();
}

TEST_F(PictureTest, InputLutMapsTheLevels) {
  Open(24, "M_PAL_RGB");
  // One band: the same table for every band.
  MIL_ID negative = mil.MbufAlloc1d(system_, 256, 8, LUT_ATTRIBUTE, nullptr);
  mil.MgenLutRamp(negative, 0, 255, 255, 0);
  mil.MdigLut(digitizer_, negative);
  mil.MbufFree(negative);  // the digitizer keeps its copy
  EXPECT_EQ(Grab(10, 20), (std::vector<int>{245, 235, 225}));

  // Three bands: red pseudo colour, green and blue identity.
  MIL_ID table = mil.MbufAllocColor(system_, 3, 256, 1, 8, LUT_ATTRIBUTE, nullptr);
  MIL_ID red = mil.MbufChildColor(table, 0, nullptr);
  mil.MgenLutRamp(red, 0, 0, 64, 255);
  mil.MgenLutRamp(red, 64, 255, 128, 0);
  mil.MgenLutRamp(red, 128, 0, 192, 255);
  mil.MgenLutRamp(red, 192, 255, 255, 0);
  mil.MdigLut(digitizer_, table);
  mil.MgenLutRamp(table, 0, 0, 255, 0);  // later changes stay in the buffer
  std::vector<int> pixel = Grab(31, 20);  // frame 1: red 32, green 21, blue 52
  EXPECT_EQ(pixel, (std::vector<int>{Clamp(32 * 255 / 64.0), 21, 52}));

  SimDigitizerState state{};
  sim.GetDigitizerState(digitizer_, &state);
  EXPECT_EQ(state.lut[0][64], 255);
  EXPECT_EQ(state.lut[0][128], 0);
  EXPECT_EQ(state.lut[1][77], 77);

  // A table of the wrong kind is refused; no table restores the identity.
  MIL_ID image = mil.MbufAllocColor(system_, 3, 256, 1, 8, IMAGE_ATTRIBUTE, nullptr);
  uint32_t errors = sim.ErrorCount();
  mil.MdigLut(digitizer_, image);
  EXPECT_EQ(sim.ErrorCount(), errors + 1);
  mil.MdigLut(digitizer_, 0);
  EXPECT_EQ(Grab(31, 20), (std::vector<int>{33, 22, 53}));
}

}  // namespace
