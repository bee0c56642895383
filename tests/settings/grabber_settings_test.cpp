// The settings record and its accessors.
#include "settings/grabber_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host_fixture.h"

namespace {

class GrabberSettingsTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    ResetGrabberSettings();
  }
  void TearDown() override {
    ResetGrabberSettings();
    HostFixture::TearDown();
  }
};

TEST_F(GrabberSettingsTest, UnloadedRecordIsEmpty) {
  char buffer[DIG_FORMAT_SIZE];
  memset(buffer, 'x', sizeof buffer);
  EXPECT_STREQ(GetDigFormat(buffer), "");
  EXPECT_EQ(GetChannel(), 0u);
  EXPECT_EQ(GetDispZoom(), 0);
  EXPECT_EQ(GetExtWindow(), 0);
  EXPECT_EQ(PreviewState(-1), 0);
  EXPECT_EQ(grabberSettings.LutValues, 0u);
  EXPECT_TRUE(grabberSettings.LutNodeData.empty());
}

TEST_F(GrabberSettingsTest, PreviewStateReadsWithMinusOneAndOtherwiseStores) {
  EXPECT_EQ(PreviewState(1), 0);  // not the previous value
  EXPECT_EQ(PreviewState(-1), 1);
  EXPECT_EQ(PreviewState(-1), 1);
  EXPECT_EQ(PreviewState(0), 0);
  EXPECT_EQ(PreviewState(-1), 0);
  SetExtWindow(1);
  EXPECT_EQ(GetExtWindow(), 1);
  EXPECT_EQ(PreviewState(-1), 0);
}

TEST_F(GrabberSettingsTest, DigFormatNeverOverflowsTheFieldOrTheCallersBuffer) {
  SetDigFormat("M_PAL_RGB");
  char buffer[DIG_FORMAT_SIZE];
  EXPECT_EQ(GetDigFormat(buffer), buffer);
  EXPECT_STREQ(buffer, "M_PAL_RGB");

  // A text longer than 79 characters keeps its first 79.
  const std::string longText(200, 'N');
  SetDigFormat(longText.c_str());
  char guarded[DIG_FORMAT_SIZE + 16];
  memset(guarded, '#', sizeof guarded);
  GetDigFormat(guarded);
  EXPECT_EQ(std::string(guarded), longText.substr(0, DIG_FORMAT_SIZE - 1));
  for (size_t i = DIG_FORMAT_SIZE; i < sizeof guarded; ++i) EXPECT_EQ(guarded[i], '#');

  // A shorter text leaves nothing of the longer one behind.
  SetDigFormat("M_CCIR");
  EXPECT_STREQ(GetDigFormat(buffer), "M_CCIR");
  EXPECT_EQ(grabberSettings.DigFormat[DIG_FORMAT_SIZE - 1], '\0');

  // Even a field filled without a terminating zero reads as 79 characters.
  memset(grabberSettings.DigFormat, 'Z', DIG_FORMAT_SIZE);
  EXPECT_EQ(strlen(GetDigFormat(buffer)), DIG_FORMAT_SIZE - 1);
}

TEST_F(GrabberSettingsTest, FreeLutNodeDataKeepsEveryOtherField) {
  SetDigFormat("M_NTSC_YC");
  grabberSettings.WhiteRef1 = 200;
  grabberSettings.BlackRef2 = 12;
  grabberSettings.Hue = 99;
  grabberSettings.Channel = CHANNEL_RGB;
  grabberSettings.DispZoom = -2;
  grabberSettings.LutType = 0;
  grabberSettings.LutValues = 0x03000000;
  grabberSettings.LutNodeData = {0, 0, 128, 128, 255, 255};
  SetExtWindow(1);
  PreviewState(1);

  FreeLutNodeData();

  EXPECT_EQ(grabberSettings.LutValues, 0u);
  EXPECT_TRUE(grabberSettings.LutNodeData.empty());
  char buffer[DIG_FORMAT_SIZE];
  EXPECT_STREQ(GetDigFormat(buffer), "M_NTSC_YC");
  EXPECT_EQ(grabberSettings.WhiteRef1, 200);
  EXPECT_EQ(grabberSettings.BlackRef2, 12);
  EXPECT_EQ(grabberSettings.Hue, 99);
  EXPECT_EQ(GetChannel(), CHANNEL_RGB);
  EXPECT_EQ(GetDispZoom(), -2);
  EXPECT_EQ(GetExtWindow(), 1);
  EXPECT_EQ(PreviewState(-1), 1);
}

}  // namespace
