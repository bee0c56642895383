// Loading the imaging library at run time: the library is never linked at
// build time, so the source module loads without it and its absence shows
// only when an application opens the source.
#include "grabber/runtime_loading.h"

#include <cstdio>
#include <ctime>
#include <vector>

#include "grabber/digitizer_setup.h"
#include "grabber/imaging_library.h"
#include "grabber/mil_constants.h"
#include "grabber/mil_info.h"
#include "platform/win32.h"
#include "source/diagnostic_log.h"
#include "source/source_session.h"

ImagingLibrary imagingLibrary;

namespace {

constexpr char MIL_LIBRARY_NAME[] = "MIL.DLL";
constexpr char BOARD_LIBRARY_NAME[] = "MILMET2.DLL";
constexpr size_t MODULE_PATH_SIZE = 256;

// Stores a resolved address into one field of the table, with that field's
// function type.
template <typename T>
struct FieldType;
template <typename Field>
struct FieldType<Field ImagingLibrary::*> {
  typedef Field type;
};

template <auto field>
void StoreEntryPoint(FARPROC address) {
  typedef typename FieldType<decltype(field)>::type Proc;
  // Through the generic function type, which converts to every other one.
  imagingLibrary.*field = reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(address));
}

struct EntryPoint {
  const char* name;
  void (*store)(FARPROC address);
};

#define ENTRY_POINT(name) {#name, StoreEntryPoint<&ImagingLibrary::name>}

// Resolved in this order; the first missing name stops the start-up, also for
// the entries that no operation calls.
const EntryPoint ENTRY_POINTS[] = {
    ENTRY_POINT(MappAlloc),         ENTRY_POINT(MappFree),
    ENTRY_POINT(MappControl),       ENTRY_POINT(MsysAlloc),
    ENTRY_POINT(MsysFree),          ENTRY_POINT(MsysInquire),
    ENTRY_POINT(MdigAlloc),         ENTRY_POINT(MdigFree),
    ENTRY_POINT(MdigGrab),          ENTRY_POINT(MdigGrabContinuous),
    ENTRY_POINT(MdigHalt),          ENTRY_POINT(MdigInquire),
    ENTRY_POINT(MdigChannel),       ENTRY_POINT(MdigControl),
    ENTRY_POINT(MdigLut),           ENTRY_POINT(MdigReference),
    ENTRY_POINT(MdigHookFunction),  ENTRY_POINT(MdispAlloc),
    ENTRY_POINT(MdispSelect),       ENTRY_POINT(MdispSelectWindow),
    ENTRY_POINT(MdispDeselect),     ENTRY_POINT(MdispControl),
    ENTRY_POINT(MdispInquire),      ENTRY_POINT(MdispFree),
    ENTRY_POINT(MdispZoom),         ENTRY_POINT(MbufAllocColor),
    ENTRY_POINT(MbufAlloc1d),       ENTRY_POINT(MbufChildColor),
    ENTRY_POINT(MbufFree),          ENTRY_POINT(MbufInquire),
    ENTRY_POINT(MbufSave),          ENTRY_POINT(MgenLutRamp),
};

#undef ENTRY_POINT

static_assert(sizeof(ENTRY_POINTS) / sizeof(ENTRY_POINTS[0]) ==
                  sizeof(ImagingLibrary) / sizeof(FARPROC),
              "one name for every entry point of the table");

void WriteLogHeader(DiagnosticLog& log) {
  tzset();
  time_t now = time(nullptr);
  log.Write("------------------------------------------------------------------------ \n");
  // asctime gives the fixed 24-character form followed by a line feed.
  log.Write("Log created %s", asctime(localtime(&now)));
  log.Write("Korvanta TWAIN DS: Loading runtime DLL's \n");
}

// Resolves the table in order; returns the first name that is missing, or
// null when every entry point was found.
const char* ResolveEntryPoints(HMODULE library) {
  for (const EntryPoint& entry : ENTRY_POINTS) {
    FARPROC address = GetProcAddress(library, entry.name);
    if (address == nullptr) return entry.name;
    entry.store(address);
  }
  return nullptr;
}

// Undoes a start-up that failed part of the way: nothing of it stays loaded,
// and the table holds no address into an unloaded library.
void UnloadAfterFailure() {
  if (milInfo.MilLibrary != nullptr) FreeLibrary(milInfo.MilLibrary);
  if (milInfo.BoardLibrary != nullptr) FreeLibrary(milInfo.BoardLibrary);
  milInfo.MilLibrary = nullptr;
  milInfo.BoardLibrary = nullptr;
  imagingLibrary = ImagingLibrary();
}

}  // namespace

void LogFileVersion(const char* path) {
  DiagnosticLog log;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) {
    log.Write("File %s has no Version information \n", path);
    return;
  }
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path, handle, size, block.data())) {
    log.Write("File %s has no readable Version information \n", path);
    return;
  }
  LPVOID translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length) ||
      translation == nullptr || length < 2 * sizeof(WORD)) {
    log.Write("File %s has no Version translation table \n", path);
    return;
  }
  const WORD* pair = static_cast<const WORD*>(translation);
  char query[64];
  snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\ProductVersion", pair[0], pair[1]);
  LPVOID productVersion = nullptr;
  if (!VerQueryValueA(block.data(), query, &productVersion, &length) ||
      productVersion == nullptr) {
    log.Write("File %s has no ProductVersion in %s \n", path, query);
    return;
  }
  // The length counts the characters of the value, so an unterminated value
  // is still read within the block.
  log.Write("%s Version: %.*s \n", path, static_cast<int>(length),
            static_cast<const char*>(productVersion));
}

uint16_t MilLoadRuntime() {
  DiagnosticLog log;
  WriteLogHeader(log);

  milInfo.MilLibrary = LoadLibraryA(MIL_LIBRARY_NAME);
  if (milInfo.MilLibrary == nullptr) {
    log.Write("Korvanta TWAIN DS: Error in LoadLibrary, MIL.DLL not found \n");
    return 1;
  }
  LogFileVersion(MIL_LIBRARY_NAME);

  // The board library is loaded only to prove that it is installed.
  milInfo.BoardLibrary = LoadLibraryA(BOARD_LIBRARY_NAME);
  if (milInfo.BoardLibrary == nullptr) {
    MessageBoxA(nullptr,
                "Unable to establish communication to low level DLL, make sure the right MATROX "
                "board level drivers are installed!",
                "Korvanta TWAIN driver error message", MB_OK);
    log.Write("Korvanta TWAIN DS: Error in LoadLibrary, GRABBER_DLL not found \n");
    UnloadAfterFailure();
    return 1;
  }
  LogFileVersion(BOARD_LIBRARY_NAME);

  char modulePath[MODULE_PATH_SIZE] = {};
  GetModuleFileNameA(sourceSession.moduleInstance, modulePath, MODULE_PATH_SIZE);
  modulePath[MODULE_PATH_SIZE - 1] = '\0';  // a cut path is not always terminated
  LogFileVersion(modulePath);

  const char* missing = ResolveEntryPoints(milInfo.MilLibrary);
  if (missing != nullptr) {
    log.Write("Korvanta TWAIN DS: Error in GetProcAddress, %s not found \n", missing);
    UnloadAfterFailure();
    return 1;
  }

  milInfo.MilApplication = imagingLibrary.MappAlloc(MIL_DEFAULT_FLAG, nullptr);
  if (milInfo.MilApplication == 0) {
    log.Write("Korvanta TWAIN DS: Error in MappAlloc \n");
    UnloadAfterFailure();
    return 1;
  }

  milInfo.MilSystem = imagingLibrary.MsysAlloc(MIL_SYSTEM_DESCRIPTOR, 0, 0, nullptr);
  if (milInfo.MilSystem == 0) {
    log.Write("Korvanta TWAIN DS: Error in MsysAlloc \n");
    imagingLibrary.MappFree(milInfo.MilApplication);
    milInfo.MilApplication = 0;
    UnloadAfterFailure();
    return 1;
  }
  return 0;
}

void MilFreeRuntime() {
  if (milInfo.MilSystem == 0) return;
  MilFreeDigitizer();
  imagingLibrary.MsysFree(milInfo.MilSystem);
  milInfo.MilSystem = 0;
  if (milInfo.MilApplication != 0) imagingLibrary.MappFree(milInfo.MilApplication);
  milInfo.MilApplication = 0;
  FreeLibrary(milInfo.MilLibrary);
  FreeLibrary(milInfo.BoardLibrary);
  milInfo.MilLibrary = nullptr;
  milInfo.BoardLibrary = nullptr;
  imagingLibrary = ImagingLibrary();
}
