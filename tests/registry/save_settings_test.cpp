// Saving the current settings: the levels come from the digitizer, and only
// the group of levels the board has is written.
#include <string>
#include <vector>

#include "grabber/adjustments.h"
#include "grabber/mil_info.h"
#include "grabber_fixture.h"
#include "lut/lut_curves.h"
#include "settings/grabber_settings.h"
#include "settings/registry_settings.h"

namespace {

const char SETTINGS_KEY[] = "SOFTWARE\\Korvanta\\Twain\\Meteor2";

std::vector<BYTE> StoredValue(const char* name) {
  HKEY key = nullptr;
  std::vector<BYTE> data(512);
  DWORD size = DWORD(data.size());
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  LSTATUS status = RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return {};
  data.resize(size);
  return data;
}

uint32_t StoredDword(const char* name) {
  std::vector<BYTE> data = StoredValue(name);
  EXPECT_EQ(data.size(), 4u) << name;
  if (data.size() != 4) return 0xFFFFFFFF;
  return data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24;
}

void StoreDword(const char* name, DWORD value) {
  SetRegistryValue(SETTINGS_KEY, name, REG_DWORD, &value, sizeof value);
}

class SaveSettingsTest : public GrabberTest {
 protected:
  void SetUp() override {
    GrabberTest::SetUp();
    ASSERT_EQ(CreateRegistryDefaults(), 0);
    StoreDword("Brightness", 77);
    StoreDword("Hue", 50);
    StoreDword("Saturation", 60);
    StoreDword("WhiteRef0", 111);
    StoreDword("LutType", 0);
  }
};

TEST_F(SaveSettingsTest, RgbInputSavesTheReferencesAndTheCurves) {
  Open(24, "M_PAL_RGB");
  ASSERT_TRUE(milInfo.RgbInput);
  ASSERT_NE(milInfo.curveSet, nullptr);
  MilSetWhiteRef(200, CHANNEL_1);
  MilSetBlackRef(10, CHANNEL_2);
  milInfo.curveSet->SelectChannel(LUT_ALL);
  ASSERT_TRUE(milInfo.curveSet->InsertNode(64, 32));
  EXPECT_EQ(SaveCurrentSettings(), 0);
  EXPECT_EQ(StoredDword("WhiteRef0"), 255u);
  EXPECT_EQ(StoredDword("WhiteRef1"), 200u);
  EXPECT_EQ(StoredDword("BlackRef2"), 10u);
  // The decoder's levels stay as the registry held them.
  EXPECT_EQ(StoredDword("Brightness"), 77u);
  EXPECT_EQ(StoredDword("Hue"), 50u);
  EXPECT_EQ(StoredValue("LutValues"), milInfo.curveSet->PackCurves());
  EXPECT_EQ(StoredDword("LutType"), 0u);
  EXPECT_EQ(HostMessageBoxCount(), 0u);
}

TEST_F(SaveSettingsTest, MonochromeCompositeInputSavesNoHueAndNoCurves) {
  const BYTE storedCurve[] = {0x00, 0x00, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0x00};
  SetRegistryValue(SETTINGS_KEY, "LutValues", REG_BINARY, storedCurve, sizeof storedCurve);
  Open(27, "M_CCIR");
  ASSERT_FALSE(milInfo.RgbInput);
  ASSERT_FALSE(milInfo.ColourInput);
  ASSERT_FALSE(milInfo.HasInputLut);
  MilSetBrightness(90);
  MilSetContrast(300);
  grabberSettings.DispZoom = -2;
  EXPECT_EQ(SaveCurrentSettings(), 0);
  EXPECT_EQ(StoredDword("Brightness"), 90u);
  EXPECT_EQ(StoredDword("Contrast"), 255u);
  EXPECT_EQ(StoredDword("Hue"), 0u);
  EXPECT_EQ(StoredDword("Saturation"), 0u);
  EXPECT_EQ(StoredDword("DispZoom"), DWORD(-2));
  // The references and the curves are not the composite board's to write.
  EXPECT_EQ(StoredDword("WhiteRef0"), 111u);
  EXPECT_EQ(StoredValue("LutValues"), std::vector<BYTE>(storedCurve, storedCurve + 8));
}

}  // namespace
