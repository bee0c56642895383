// The data-source folder and the sources in it.
//
// Like the system's Source Managers, the manager learns a source's identity
// by loading its module, asking DG_CONTROL / DAT_IDENTITY / MSG_GET and
// unloading it again; a module that does not load, has no DS_Entry or does
// not answer with a product name is no data source and is left out.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/source-manager/source_manager.h"

namespace {

bool HasDataSourceExtension(const std::string& name) {
  if (name.size() < 4) return false;
  std::string extension = name.substr(name.size() - 3);
  for (char& c : extension) c = char(std::tolower((unsigned char)c));
  return extension == ".ds";
}

// Asks a module that is not the open source for its identity.
bool QueryIdentity(const std::string& path, TW_IDENTITY* identity) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    OutputDebugStringA(("TWAIN_32: cannot load data source " + path + "\n").c_str());
    return false;
  }
  DSENTRYPROC entry = DataSourceEntryPoint(module);
  bool answered = false;
  if (entry != nullptr) {
    // A throw-away origin: the source is not connected to anyone yet.
    TW_IDENTITY origin{};
    std::strcpy(origin.ProductName, "Source Manager");
    *identity = TW_IDENTITY{};
    answered = entry(&origin, DG_CONTROL, DAT_IDENTITY, MSG_GET, identity) == TWRC_SUCCESS &&
               identity->ProductName[0] != '\0';
    identity->ProductName[sizeof identity->ProductName - 1] = '\0';
    identity->Manufacturer[sizeof identity->Manufacturer - 1] = '\0';
    identity->ProductFamily[sizeof identity->ProductFamily - 1] = '\0';
    identity->Version.Info[sizeof identity->Version.Info - 1] = '\0';
    identity->Id = 0;
  }
  if (!answered) OutputDebugStringA(("TWAIN_32: not a data source: " + path + "\n").c_str());
  FreeLibrary(module);
  return answered;
}

}  // namespace

DSENTRYPROC DataSourceEntryPoint(HMODULE module) {
  return reinterpret_cast<DSENTRYPROC>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "DS_Entry")));
}

std::string DataSourceFolder() {
  if (const char* folder = std::getenv(DATA_SOURCE_FOLDER_VARIABLE); folder && *folder)
    return folder;
  char fileName[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(managerSession.moduleInstance, fileName, sizeof fileName);
  if (length == 0 || length >= sizeof fileName) return ".";
  std::string path(fileName, length);
  size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? "." : path.substr(0, separator);
}

std::vector<DataSourceEntry> ScanDataSources(const std::string& folder) {
  std::vector<std::string> paths;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::string name = it->path().filename().string();
    if (HasDataSourceExtension(name) && it->is_regular_file(error))
      paths.push_back((std::filesystem::path(folder) / name).string());
  }
  std::sort(paths.begin(), paths.end());

  std::vector<DataSourceEntry> sources;
  for (const std::string& path : paths) {
    DataSourceEntry source{path, TW_IDENTITY{}};
    // The open source is connected to the application and would ignore the
    // question; its identity is known.
    if (managerSession.sourceIdentity.Id != 0 && path == managerSession.sourcePath) {
      source.identity = managerSession.sourceIdentity;
      sources.push_back(source);
    } else if (QueryIdentity(path, &source.identity)) {
      sources.push_back(source);
    }
  }
  return sources;
}
