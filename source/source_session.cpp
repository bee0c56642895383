// The session record and the module's load and unload notification.
#include "source/source_session.h"

#include <cstdio>
#include <cstring>

#include "settings/registry_key.h"

SourceSession sourceSession = {STATE_LOADED, {}, {}, {}, nullptr, nullptr, "", 0, ""};

namespace {

void CopyText(char* field, size_t size, const char* text) {
  snprintf(field, size, "%s", text);
}

// The identity every Source Manager sees before an application opens us.
void FillSourceIdentity(TW_IDENTITY* identity) {
  memset(identity, 0, sizeof *identity);
  identity->Version.MajorNum = 1;
  identity->Version.MinorNum = 0;
  identity->Version.Language = TWLG_USA;
  identity->Version.Country = TWCY_USA;
  CopyText(identity->Version.Info, sizeof identity->Version.Info, "Version 1.00");
  identity->ProtocolMajor = 1;
  identity->ProtocolMinor = 8;
  identity->SupportedGroups = DG_CONTROL | DG_IMAGE;
  CopyText(identity->Manufacturer, sizeof identity->Manufacturer,
           "Korvanta, Vision Components Works");
  CopyText(identity->ProductFamily, sizeof identity->ProductFamily, "TWAIN");
  CopyText(identity->ProductName, sizeof identity->ProductName, "Korvanta Matrox Meteor2 driver");
}

// Dump is read into a number that is 0 before the read, whatever the value's
// registry type: REG_DWORD 42 and REG_SZ "*" both select the log file.
DumpMode ReadDumpMode() {
  char keyPath[REGISTRY_KEY_PATH_SIZE];
  BuildRegistryKeyPath(keyPath);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  BYTE data[4] = {0, 0, 0, 0};
  DWORD size = sizeof data;
  DumpMode mode = 0;
  if (RegQueryValueExA(key, "Dump", nullptr, nullptr, data, &size) == ERROR_SUCCESS) {
    mode = DumpMode(data[0]) | DumpMode(data[1]) << 8 | DumpMode(data[2]) << 16 |
           DumpMode(data[3]) << 24;
  }
  RegCloseKey(key);
  return mode;
}

// The module's folder: its file name cut at the last path separator.
void FindModuleDirectory(HINSTANCE instance, char* directory, size_t size) {
  char fileName[MODULE_DIRECTORY_SIZE] = "";
  DWORD length = GetModuleFileNameA(instance, fileName, sizeof fileName - 1);
  fileName[length < sizeof fileName ? length : sizeof fileName - 1] = '\0';
  char* cut = strrchr(fileName, '\\');
  char* slash = strrchr(fileName, '/');
  if (slash != nullptr && (cut == nullptr || slash > cut)) cut = slash;
  if (cut != nullptr) *cut = '\0';
  CopyText(directory, size, fileName);
}

}  // namespace

BOOL HandleModuleNotification(HINSTANCE instance, DWORD reason) {
  if (instance == nullptr) return FALSE;
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      sourceSession = SourceSession{};
      sourceSession.state = STATE_LOADED;
      sourceSession.dumpMode = ReadDumpMode();
      FindModuleDirectory(instance, sourceSession.moduleDirectory,
                          sizeof sourceSession.moduleDirectory);
      sourceSession.moduleInstance = instance;
      FillSourceIdentity(&sourceSession.sourceIdentity);
      sourceSession.appIdentity.Id = 0;
      break;
    case DLL_PROCESS_DETACH:
      sourceSession.appIdentity.Id = 0;
      break;
    default:
      break;
  }
  return TRUE;
}
