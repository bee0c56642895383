#include "settings/registry_settings.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "grabber/adjustments.h"
#include "grabber/mil_info.h"
#include "lut/lut_curves.h"
#include "platform/win32.h"
#include "settings/grabber_settings.h"
#include "settings/registry_key.h"
#include "source/diagnostic_log.h"

namespace {

const char MESSAGE_CAPTION[] = "Korvanta TWAIN DS";
const char READ_ERROR_MESSAGE[] = "Error reading the registry, creating new default values";
const char CREATE_ERROR_MESSAGE[] = "Error occured creating registry defaults";

// LutValues of the defaults: the All shape with the curve (0,0) (128,128) (255,255).
const BYTE DEFAULT_LUT_VALUES[] = {0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x80, 0x80, 0xFF, 0xFF};

void ShowMessage(const char* text) { MessageBoxA(nullptr, text, MESSAGE_CAPTION, MB_OK); }

// The DWORD settings the reading knows, with the fields they fill.
struct DwordSetting {
  const char* name;
  int32_t* field;
};

const DwordSetting DWORD_SETTINGS[] = {
    {"BlackRef0", &grabberSettings.BlackRef0},   {"BlackRef1", &grabberSettings.BlackRef1},
    {"BlackRef2", &grabberSettings.BlackRef2},   {"WhiteRef0", &grabberSettings.WhiteRef0},
    {"WhiteRef1", &grabberSettings.WhiteRef1},   {"WhiteRef2", &grabberSettings.WhiteRef2},
    {"Contrast", &grabberSettings.Contrast},     {"Brightness", &grabberSettings.Brightness},
    {"Hue", &grabberSettings.Hue},               {"Saturation", &grabberSettings.Saturation},
    {"LutType", &grabberSettings.LutType},       {"ExtWindow", &grabberSettings.ExtWindow},
    {"Preview", &grabberSettings.Preview},       {"DispZoom", &grabberSettings.DispZoom},
};

uint32_t LittleEndianWord(const BYTE* data, DWORD size) {
  uint32_t word = 0;
  for (DWORD i = 0; i < 4 && i < size; ++i) word |= uint32_t(data[i]) << (8 * i);
  return word;
}

// One value of the settings key, as the enumeration returned it. Returns
// false for a value the reading does not know.
bool ReadSettingsValue(DiagnosticLog& log, const char* name, DWORD type, const BYTE* data,
                       DWORD size) {
  switch (type) {
    case REG_SZ: {
      if (strcmp(name, "DigFormat") != 0) {
        log.Write("unknown REG_SZ entry '%s' in registry found \n", name);
        return false;
      }
      // The text as stored, cut to what DigFormat holds.
      char text[DIG_FORMAT_SIZE];
      size_t length = size < sizeof text - 1 ? size : sizeof text - 1;
      memcpy(text, data, length);
      text[length] = '\0';
      SetDigFormat(text);
      log.Write("DigFormat = %s \n", grabberSettings.DigFormat);
      return true;
    }
    case REG_BINARY: {
      if (strcmp(name, "LutValues") != 0) {
        log.Write("unknown REG_BINARY entry %s in registry found \n", name);
        return false;
      }
      FreeLutNodeData();
      if (size < LUT_COUNT_WORD_SIZE) {
        log.Write("Korvanta TWAIN DS: LutValues holds no count word, using the default curve \n");
        return true;
      }
      uint32_t countWord = LittleEndianWord(data, size);
      size_t announced = 2 * size_t(PackedNodeCount(countWord));
      size_t present = size - LUT_COUNT_WORD_SIZE;
      // Never copy beyond the stored data; the curve loader refuses a curve
      // that is cut short.
      size_t copied = announced < present ? announced : present;
      grabberSettings.LutValues = countWord;
      grabberSettings.LutNodeData.assign(data + LUT_COUNT_WORD_SIZE,
                                         data + LUT_COUNT_WORD_SIZE + copied);
      return true;
    }
    case REG_DWORD: {
      uint32_t number = LittleEndianWord(data, size);
      if (strcmp(name, "Channel") == 0) {
        grabberSettings.Channel = number;
        log.Write("Channel = 0x%x \n", number);
        return true;
      }
      for (const DwordSetting& setting : DWORD_SETTINGS) {
        if (strcmp(name, setting.name) == 0) {
          *setting.field = int32_t(number);
          log.Write("%s = %d \n", setting.name, int32_t(number));
          return true;
        }
      }
      log.Write("unknown REG_DWORD entry '%s' in registry found \n", name);
      return false;
    }
    default:
      log.Write("unknown REG_xxx entry in registry found \n");
      return false;
  }
}

struct KeyFacts {
  DWORD values;
  DWORD longestName;
  DWORD longestData;
};

bool QueryKeyFacts(HKEY key, KeyFacts* facts) {
  *facts = KeyFacts{};
  return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          &facts->values, &facts->longestName, &facts->longestData, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

// Deletes every value of the key, from the last index down to the first.
void DeleteAllValues(HKEY key, const KeyFacts& facts) {
  std::vector<char> name(facts.longestName + 1);
  for (DWORD index = facts.values; index-- > 0;) {
    DWORD nameSize = DWORD(name.size());
    if (RegEnumValueA(key, index, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS) {
      RegDeleteValueA(key, name.data());
    }
  }
}

LSTATUS WriteDword(HKEY key, const char* name, uint32_t value) {
  BYTE data[4] = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
  return RegSetValueExA(key, name, 0, REG_DWORD, data, sizeof data);
}

LSTATUS WriteText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        DWORD(strlen(text) + 1));
}

LSTATUS WriteBinary(HKEY key, const char* name, const BYTE* data, size_t size) {
  return RegSetValueExA(key, name, 0, REG_BINARY, data, DWORD(size));
}

// A default setting: written, and stored into its field.
LSTATUS WriteDefault(HKEY key, const char* name, int32_t* field, int32_t value) {
  *field = value;
  return WriteDword(key, name, uint32_t(value));
}

LSTATUS WriteDefaults(HKEY key) {
  GrabberSettings& s = grabberSettings;
  LSTATUS errors = 0;
  SetDigFormat("M_CCIR");
  errors |= WriteText(key, "DigFormat", "M_CCIR");
  errors |= WriteDefault(key, "WhiteRef0", &s.WhiteRef0, 255);
  errors |= WriteDefault(key, "WhiteRef1", &s.WhiteRef1, 255);
  errors |= WriteDefault(key, "WhiteRef2", &s.WhiteRef2, 255);
  errors |= WriteDefault(key, "BlackRef0", &s.BlackRef0, 0);
  errors |= WriteDefault(key, "BlackRef1", &s.BlackRef1, 0);
  errors |= WriteDefault(key, "BlackRef2", &s.BlackRef2, 0);
  errors |= WriteDefault(key, "Brightness", &s.Brightness, 128);
  errors |= WriteDefault(key, "Contrast", &s.Contrast, 128);
  errors |= WriteDefault(key, "Hue", &s.Hue, 128);
  errors |= WriteDefault(key, "Saturation", &s.Saturation, 128);
  s.Channel = CHANNEL_0;
  errors |= WriteDword(key, "Channel", CHANNEL_0);
  errors |= WriteDefault(key, "DispZoom", &s.DispZoom, 1);
  errors |= WriteDefault(key, "ExtWindow", &s.ExtWindow, 0);
  errors |= WriteDefault(key, "Preview", &s.Preview, 0);
  errors |= WriteBinary(key, "LutValues", DEFAULT_LUT_VALUES, sizeof DEFAULT_LUT_VALUES);
  errors |= WriteDword(key, "LutType", 0);
  return errors;
}

// The current settings; references and adjustments come from the digitizer,
// which the dialog's sliders change directly.
LSTATUS WriteCurrent(HKEY key) {
  const GrabberSettings& s = grabberSettings;
  LSTATUS errors = 0;
  errors |= WriteText(key, "DigFormat", s.DigFormat);
  if (milInfo.RgbInput) {
    errors |= WriteDword(key, "WhiteRef0", uint32_t(MilGetWhiteRef(CHANNEL_0)));
    errors |= WriteDword(key, "WhiteRef1", uint32_t(MilGetWhiteRef(CHANNEL_1)));
    errors |= WriteDword(key, "WhiteRef2", uint32_t(MilGetWhiteRef(CHANNEL_2)));
    errors |= WriteDword(key, "BlackRef0", uint32_t(MilGetBlackRef(CHANNEL_0)));
    errors |= WriteDword(key, "BlackRef1", uint32_t(MilGetBlackRef(CHANNEL_1)));
    errors |= WriteDword(key, "BlackRef2", uint32_t(MilGetBlackRef(CHANNEL_2)));
  } else {
    errors |= WriteDword(key, "Brightness", uint32_t(MilGetBrightness()));
    errors |= WriteDword(key, "Contrast", uint32_t(MilGetContrast()));
    errors |= WriteDword(key, "Hue", uint32_t(MilGetHue()));
    errors |= WriteDword(key, "Saturation", uint32_t(MilGetSaturation()));
  }
  errors |= WriteDword(key, "Channel", s.Channel);
  errors |= WriteDword(key, "DispZoom", uint32_t(s.DispZoom));
  errors |= WriteDword(key, "ExtWindow", uint32_t(s.ExtWindow));
  errors |= WriteDword(key, "Preview", uint32_t(s.Preview));
  if (milInfo.HasInputLut && milInfo.curveSet != nullptr) {
    std::vector<uint8_t> packed = milInfo.curveSet->PackCurves();
    errors |= WriteBinary(key, "LutValues", packed.data(), packed.size());
    errors |= WriteDword(key, "LutType", 0);
  }
  return errors;
}

bool CreateKey(const char* path, HKEY* key) {
  return RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, key, nullptr) == ERROR_SUCCESS;
}

}  // namespace

void BuildSettingsKeyPath(char* buffer) {
  BuildRegistryKeyPath(buffer);
  strcat(buffer, "Meteor2");
}

int WriteRegistrySettings(const char* keyPath, int mode) {
  DiagnosticLog log;
  HKEY key = nullptr;
  LSTATUS errors = 0;
  if (!CreateKey(keyPath, &key)) {
    log.Write("Korvanta TWAIN DS: not possible to create subkey in registry");
    ShowMessage(CREATE_ERROR_MESSAGE);
    errors = ERROR_ACCESS_DENIED;
  } else {
    errors = mode == REGISTRY_DEFAULTS ? WriteDefaults(key) : WriteCurrent(key);
    RegCloseKey(key);
  }
  if (errors == 0) return 0;
  log.Write("Korvanta TWAIN DS: Error occured creating registry entries");
  ShowMessage("Error occured creating an registry entries");
  return 1;
}

int CreateRegistryDefaults() {
  DiagnosticLog log;
  char sourceKeyPath[REGISTRY_KEY_PATH_SIZE];
  BuildRegistryKeyPath(sourceKeyPath);
  HKEY key = nullptr;
  if (!CreateKey(sourceKeyPath, &key)) {
    log.Write("Korvanta TWAIN DS: no access to HKEY_CURRENT_USER ...Dump registry key");
    ShowMessage(CREATE_ERROR_MESSAGE);
    return 1;
  }
  WriteDword(key, "Dump", 0);
  RegCloseKey(key);
  char settingsKeyPath[SETTINGS_KEY_PATH_SIZE];
  BuildSettingsKeyPath(settingsKeyPath);
  if (!CreateKey(settingsKeyPath, &key)) {
    log.Write("Korvanta TWAIN DS: no access to HKEY_CURRENT_USER ...Twain registry key");
    ShowMessage(CREATE_ERROR_MESSAGE);
    return 1;
  }
  RegCloseKey(key);
  WriteRegistrySettings(settingsKeyPath, REGISTRY_DEFAULTS);
  return 0;
}

int ReadRegistrySettings() {
  DiagnosticLog log;
  const char separator[] = "----------------------------------------------------\n";
  log.Write("%s", separator);
  log.Write("Dumping Registry settings\n");
  log.Write("%s", separator);

  char keyPath[SETTINGS_KEY_PATH_SIZE];
  BuildSettingsKeyPath(keyPath);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ | KEY_WRITE, &key) !=
      ERROR_SUCCESS) {
    log.Write(
        "Korvanta TWAIN DS: no access to HKEY_CURRENT_USER...Twain, creating new default "
        "values \n");
    ShowMessage(READ_ERROR_MESSAGE);
    CreateRegistryDefaults();
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ | KEY_WRITE, &key) !=
        ERROR_SUCCESS) {
      log.Write(
          "Korvanta TWAIN DS: still !?! no access to HKEY_CURRENT_USER...Twain, creating new "
          "default values \n");
      ShowMessage("Still not able to set values in the registry!");
      return 1;
    }
  }

  KeyFacts facts;
  if (!QueryKeyFacts(key, &facts)) {
    log.Write(
        "Korvanta TWAIN DS: no access number of entries in registry, creating new default "
        "values \n");
    ShowMessage(READ_ERROR_MESSAGE);
    CreateRegistryDefaults();
    // The defaults are in place; without the key's facts nothing can be read.
    if (!QueryKeyFacts(key, &facts)) {
      RegCloseKey(key);
      return 1;
    }
  }

  if (facts.values != SETTINGS_VALUE_COUNT) {
    log.Write(
        "Korvanta TWAIN DS: number of entries (%d) do not match, delete old and create new "
        "default values \n",
        int(facts.values));
    DeleteAllValues(key, facts);
    ShowMessage("New TWAIN driver with new registry settings, creating new default values");
    CreateRegistryDefaults();
    if (!QueryKeyFacts(key, &facts)) facts = KeyFacts{};
  }

  bool unknownValue = false;
  std::vector<char> name(facts.longestName + 2);
  std::vector<BYTE> data(facts.longestData + 1);
  for (DWORD index = 0; index < facts.values; ++index) {
    DWORD nameSize = DWORD(name.size());
    DWORD dataSize = DWORD(data.size());
    DWORD type = REG_NONE;
    if (RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, data.data(),
                      &dataSize) != ERROR_SUCCESS) {
      log.Write(
          "Korvanta TWAIN DS: enumerating values in registry not possible, creating new "
          "default values \n");
      ShowMessage(READ_ERROR_MESSAGE);
      CreateRegistryDefaults();
      continue;
    }
    if (!ReadSettingsValue(log, name.data(), type, data.data(), dataSize)) unknownValue = true;
  }
  RegCloseKey(key);

  if (unknownValue) {
    log.Write(
        "Korvanta TWAIN DS: reading an unknown entry in registry, creating new default "
        "values");
    ShowMessage("Korvanta Error reading the registry, creating new default values");
    return CreateRegistryDefaults();
  }
  return 0;
}

int SaveCurrentSettings() {
  DiagnosticLog log;
  log.Write("Korvanta TWAIN DS: Saving current settings \n");
  char keyPath[SETTINGS_KEY_PATH_SIZE];
  BuildSettingsKeyPath(keyPath);
  return WriteRegistrySettings(keyPath, REGISTRY_CURRENT);
}
