#include "fuzz_session.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/host/testing.h"
#include "source/entry_point.h"
#include "source/source_session.h"

namespace {

template <typename Proc>
Proc Resolve(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The private folder, removed when the process ends.
char folderToRemove[256];

}  // namespace

void FuzzCheck(bool condition, const char* what) {
  if (condition) return;
  fprintf(stderr, "fuzz check failed: %s\n", what);
  abort();
}

FuzzSession& FuzzSession::Get() {
  static FuzzSession session;
  return session;
}

FuzzSession::FuzzSession() {
  folder_ = (std::filesystem::temp_directory_path() / ("twain_fuzz." + std::to_string(getpid())))
                .string();
  std::filesystem::create_directories(folder_);
  // Temporary transfer files (DAT_SETUPFILEXFER / MSG_GET) land there too.
  setenv("TMPDIR", folder_.c_str(), 1);
  mil_ = LoadLibraryA("MIL.DLL");
  FuzzCheck(mil_ != nullptr, "MIL.DLL is in the program's folder");
  reset_ = Resolve<SimResetProc>(mil_, "SimReset");
  setInstant_ = Resolve<SimSetInstantProc>(mil_, "SimSetInstant");
  objectCount_ = Resolve<SimObjectCountProc>(mil_, "SimObjectCount");
  reset_();
  setInstant_(1);
  // A little grab memory keeps the probe of every open cheap.
  Resolve<SimSetGrabMemoryKbProc>(mil_, "SimSetGrabMemoryKb")(4096);
  snprintf(folderToRemove, sizeof folderToRemove, "%s", folder_.c_str());
  atexit([] { std::filesystem::remove_all(folderToRemove); });

  application_.Id = 7;
  application_.ProtocolMajor = 1;
  application_.ProtocolMinor = 9;
  application_.SupportedGroups = DG_CONTROL | DG_IMAGE;
  snprintf(application_.ProductName, sizeof application_.ProductName, "Fuzzer");
}

void FuzzSession::Begin() {
  HostUseMemoryRegistry();
  HostClearMessageBoxes();
  HostClearDebugOutput();
  HostFailGlobalAlloc(0);
  Attach();
  DS_Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &dataSource_);
  dataSource_.Id = 42;
  liveBlocksAtBegin_ = HostLiveGlobalBlocks();
}

void FuzzSession::Attach() {
  HandleModuleNotification(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
  // A log file that the registry switches on goes to the private folder.
  snprintf(sourceSession.moduleDirectory, sizeof sourceSession.moduleDirectory, "%s",
           folder_.c_str());
}

void FuzzSession::End() {
  HostFailGlobalAlloc(0);
  Close();
  FuzzCheck(sourceSession.state == STATE_LOADED, "MSG_CLOSEDS returns to state 300");
  FuzzCheck(HostLockedGlobalBlocks() == 0, "no global block is left locked");
  FuzzCheck(HostLiveGlobalBlocks() == liveBlocksAtBegin_, "no global block is left alive");
  FuzzCheck(objectCount_(SIM_ALL_OBJECTS) == 0, "no imaging object is left");
  HostDestroyAllWindows();
}

TW_UINT16 FuzzSession::CallFrom(pTW_IDENTITY origin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                TW_MEMREF data) {
  return DS_Entry(origin, DG, DAT, MSG, data);
}

TW_UINT16 FuzzSession::Call(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
  return DS_Entry(&application_, DG, DAT, MSG, data);
}

void FuzzSession::Open() { Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &dataSource_); }

// Closed by whichever application is connected.
void FuzzSession::Close() {
  TW_IDENTITY origin = sourceSession.appIdentity.Id != 0 ? sourceSession.appIdentity : application_;
  CallFrom(&origin, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
}
