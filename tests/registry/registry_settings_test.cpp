// The strict reading of the settings key, its recovery paths and the defaults.
#include <cstring>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "settings/grabber_settings.h"
#include "settings/registry_settings.h"
#include "source/source_session.h"

namespace {

const char SOURCE_KEY[] = "SOFTWARE\\Korvanta\\Twain\\";
const char SETTINGS_KEY[] = "SOFTWARE\\Korvanta\\Twain\\Meteor2";

const char* const DEFAULT_VALUE_NAMES[] = {
    "DigFormat", "WhiteRef0",  "WhiteRef1", "WhiteRef2", "BlackRef0", "BlackRef1",
    "BlackRef2", "Brightness", "Contrast",  "Hue",       "Saturation", "Channel",
    "DispZoom",  "ExtWindow",  "Preview",   "LutValues", "LutType"};

struct StoredValue {
  std::string name;
  DWORD type;
  std::vector<BYTE> data;
};

std::vector<StoredValue> ValuesOf(const char* keyPath) {
  std::vector<StoredValue> values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD index = 0;; ++index) {
    char name[256];
    BYTE data[512];
    DWORD nameSize = sizeof name;
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS) {
      break;
    }
    values.push_back({name, type, std::vector<BYTE>(data, data + dataSize)});
  }
  RegCloseKey(key);
  return values;
}

void SetDword(const char* keyPath, const char* name, DWORD value) {
  SetRegistryValue(keyPath, name, REG_DWORD, &value, sizeof value);
}

std::vector<std::string> MessageBoxTexts() {
  std::vector<std::string> texts;
  for (size_t i = 0; i < HostMessageBoxCount(); ++i) {
    EXPECT_STREQ(HostMessageBoxCaption(i), "Korvanta TWAIN DS");
    texts.push_back(HostMessageBoxText(i));
  }
  return texts;
}

class RegistrySettingsTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    ResetGrabberSettings();
    sourceSession.dumpMode = DUMP_TO_DEBUGGER;
  }
  void TearDown() override {
    sourceSession.dumpMode = 0;
    ResetGrabberSettings();
    HostFixture::TearDown();
  }
  std::string Log() const { return HostDebugOutput(); }
  void ExpectDefaultsStored() {
    std::vector<StoredValue> values = ValuesOf(SETTINGS_KEY);
    ASSERT_EQ(values.size(), 17u);
    for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(values[i].name, DEFAULT_VALUE_NAMES[i]);
    EXPECT_EQ(values[0].type, DWORD(REG_SZ));
    EXPECT_EQ(std::string(values[0].data.begin(), values[0].data.end()),
              std::string("M_CCIR", 7));
    EXPECT_EQ(values[15].type, DWORD(REG_BINARY));
    EXPECT_EQ(values[15].data,
              (std::vector<BYTE>{0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x80, 0x80, 0xFF, 0xFF}));
    std::vector<StoredValue> dump = ValuesOf(SOURCE_KEY);
    ASSERT_EQ(dump.size(), 1u);
    EXPECT_EQ(dump[0].name, "Dump");
    EXPECT_EQ(dump[0].data, (std::vector<BYTE>{0, 0, 0, 0}));
  }
};

TEST_F(RegistrySettingsTest, FirstUseCreatesAndReadsTheDefaults) {
  EXPECT_EQ(ReadRegistrySettings(), 0);
  ExpectDefaultsStored();
  EXPECT_EQ(MessageBoxTexts(),
            std::vector<std::string>{"Error reading the registry, creating new default values"});
  const std::string separator(52, '-');
  EXPECT_EQ(Log(), separator + "\nDumping Registry settings\n" + separator +
                       "\nKorvanta TWAIN DS: no access to HKEY_CURRENT_USER...Twain, creating "
                       "new default values \n"
                       "DigFormat = M_CCIR \nWhiteRef0 = 255 \nWhiteRef1 = 255 \n"
                       "WhiteRef2 = 255 \nBlackRef0 = 0 \nBlackRef1 = 0 \nBlackRef2 = 0 \n"
                       "Brightness = 128 \nContrast = 128 \nHue = 128 \nSaturation = 128 \n"
                       "Channel = 0x20000000 \nDispZoom = 1 \nExtWindow = 0 \nPreview = 0 \n"
                       "LutType = 0 \n");
  EXPECT_STREQ(grabberSettings.DigFormat, "M_CCIR");
  EXPECT_EQ(grabberSettings.WhiteRef2, 255);
  EXPECT_EQ(grabberSettings.Channel, 0x20000000u);
  EXPECT_EQ(grabberSettings.LutValues, 0x03000000u);
  EXPECT_EQ(grabberSettings.LutNodeData, (std::vector<uint8_t>{0, 0, 0x80, 0x80, 0xFF, 0xFF}));
}

TEST_F(RegistrySettingsTest, StoredSettingsAreReadAsTheyStand) {
  ASSERT_EQ(CreateRegistryDefaults(), 0);
  SetDword(SETTINGS_KEY, "Brightness", 77);
  SetDword(SETTINGS_KEY, "DispZoom", DWORD(-4));
  SetDword(SETTINGS_KEY, "Channel", 0x01000000);
  SetRegistryValue(SETTINGS_KEY, "DigFormat", REG_SZ, "M_PAL_RGB", 10);
  HostClearMessageBoxes();
  ResetGrabberSettings();
  EXPECT_EQ(ReadRegistrySettings(), 0);
  EXPECT_EQ(HostMessageBoxCount(), 0u);
  EXPECT_EQ(grabberSettings.Brightness, 77);
  EXPECT_EQ(grabberSettings.DispZoom, -4);
  EXPECT_EQ(grabberSettings.Channel, 0x01000000u);
  EXPECT_STREQ(grabberSettings.DigFormat, "M_PAL_RGB");
  EXPECT_NE(Log().find("Channel = 0x1000000 \n"), std::string::npos);
}

TEST_F(RegistrySettingsTest, AnEighteenthValueReplacesTheWholeKey) {
  ASSERT_EQ(CreateRegistryDefaults(), 0);
  SetDword(SETTINGS_KEY, "Brightness", 10);
  SetDword(SETTINGS_KEY, "Extra", 1);
  HostClearMessageBoxes();
  HostClearDebugOutput();
  EXPECT_EQ(ReadRegistrySettings(), 0);
  EXPECT_NE(Log().find("Korvanta TWAIN DS: number of entries (18) do not match, delete old and "
                       "create new default values \n"),
            std::string::npos);
  EXPECT_EQ(MessageBoxTexts(), std::vector<std::string>{
                                   "New TWAIN driver with new registry settings, creating new "
                                   "default values"});
  ExpectDefaultsStored();
  EXPECT_EQ(grabberSettings.Brightness, 128);
}

TEST_F(RegistrySettingsTest, AnUnknownValueAmongSeventeenMakesDefaultsAndStays) {
  struct Case {
    const char* removed;
    const char* added;
    DWORD type;
    const char* logLine;
    size_t valuesAfter;
  } cases[] = {
      {"LutType", "Foo", REG_DWORD, "unknown REG_DWORD entry 'Foo' in registry found \n", 18},
      // Registry names ignore case: the defaults overwrite the value, which
      // keeps its stored name.
      {"DigFormat", "digformat", REG_SZ, "unknown REG_SZ entry 'digformat' in registry found \n",
       17},
      {"LutValues", "Curves", REG_BINARY, "unknown REG_BINARY entry Curves in registry found \n",
       18},
      {"Preview", "Odd", 7, "unknown REG_xxx entry in registry found \n", 18},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.added);
    HostUseMemoryRegistry();
    ASSERT_EQ(CreateRegistryDefaults(), 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    RegDeleteValueA(key, c.removed);
    RegCloseKey(key);
    SetRegistryValue(SETTINGS_KEY, c.added, c.type, "M_PAL", 6);
    SetDword(SETTINGS_KEY, "Contrast", 99);
    HostClearMessageBoxes();
    HostClearDebugOutput();
    EXPECT_EQ(ReadRegistrySettings(), 0);
    EXPECT_NE(Log().find(c.logLine), std::string::npos);
    EXPECT_NE(Log().find("Contrast = 99 \n"), std::string::npos);
    EXPECT_NE(Log().find("Korvanta TWAIN DS: reading an unknown entry in registry, creating "
                         "new default values"),
              std::string::npos);
    EXPECT_EQ(MessageBoxTexts(), std::vector<std::string>{
                                     "Korvanta Error reading the registry, creating new "
                                     "default values"});
    EXPECT_EQ(grabberSettings.Contrast, 128);
    // The unknown value stays, so the next opening finds eighteen values.
    EXPECT_EQ(ValuesOf(SETTINGS_KEY).size(), c.valuesAfter);
  }
}

TEST_F(RegistrySettingsTest, OversizedAndTruncatedValuesAreReadSafely) {
  ASSERT_EQ(CreateRegistryDefaults(), 0);
  std::string longFormat(300, 'F');
  SetRegistryValue(SETTINGS_KEY, "DigFormat", REG_SZ, longFormat.c_str(),
                   DWORD(longFormat.size() + 1));
  // Announces three All nodes (six bytes) but holds only two bytes of them.
  const BYTE shortCurve[] = {0x00, 0x00, 0x00, 0x03, 0x00, 0x00};
  SetRegistryValue(SETTINGS_KEY, "LutValues", REG_BINARY, shortCurve, sizeof shortCurve);
  const BYTE shortDword[] = {0x05};
  SetRegistryValue(SETTINGS_KEY, "Hue", REG_DWORD, shortDword, sizeof shortDword);
  EXPECT_EQ(ReadRegistrySettings(), 0);
  EXPECT_EQ(std::string(grabberSettings.DigFormat), std::string(79, 'F'));
  EXPECT_EQ(grabberSettings.LutValues, 0x03000000u);
  EXPECT_EQ(grabberSettings.LutNodeData, (std::vector<uint8_t>{0, 0}));
  EXPECT_EQ(grabberSettings.Hue, 5);

  const BYTE noCountWord[] = {0x01, 0x02};
  SetRegistryValue(SETTINGS_KEY, "LutValues", REG_BINARY, noCountWord, sizeof noCountWord);
  EXPECT_EQ(ReadRegistrySettings(), 0);
  EXPECT_EQ(grabberSettings.LutValues, 0u);
  EXPECT_TRUE(grabberSettings.LutNodeData.empty());
}

TEST_F(RegistrySettingsTest, MakingDefaultsResetsDumpAndKeepsForeignValues) {
  SetDword(SOURCE_KEY, "Dump", 42);
  SetDword(SETTINGS_KEY, "Foreign", 3);
  ASSERT_EQ(CreateRegistryDefaults(), 0);
  EXPECT_EQ(ValuesOf(SOURCE_KEY)[0].data, (std::vector<BYTE>{0, 0, 0, 0}));
  std::vector<StoredValue> values = ValuesOf(SETTINGS_KEY);
  ASSERT_EQ(values.size(), 18u);
  EXPECT_EQ(values[0].name, "Foreign");
}

}  // namespace
