#include "bench_source.h"

#include <cstdio>
#include <cstring>

#include "grabber/imaging_library.h"
#include "platform/host/testing.h"
#include "source/entry_point.h"
#include "source/source_session.h"

namespace {

template <typename Proc>
Proc Resolve(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void MFTYPE FreeGrab(MIL_ID, MIL_ID) {}

constexpr char SETTINGS_KEY[] = "SOFTWARE\\Korvanta\\Twain\\Meteor2";

void StoreDigFormat(const char* format) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(key, "DigFormat", 0, REG_SZ, reinterpret_cast<const BYTE*>(format),
                 DWORD(strlen(format) + 1));
  RegCloseKey(key);
}

}  // namespace

void AttachLinkedSource() {
  HandleModuleNotification(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
}

BenchSource::BenchSource() {
  HostUseMemoryRegistry();
  // Process attach of the linked source, as the loader does for the module.
  HandleModuleNotification(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
  mil_ = LoadLibraryA("MIL.DLL");
  if (mil_ == nullptr) {
    fprintf(stderr, "MIL.DLL is not in the program's folder\n");
    return;
  }
  sim_.Reset = Resolve<SimResetProc>(mil_, "SimReset");
  sim_.SetInstant = Resolve<SimSetInstantProc>(mil_, "SimSetInstant");
  sim_.SetPixelLayout = Resolve<SimSetPixelLayoutProc>(mil_, "SimSetPixelLayout");
  sim_.Reset();
  sim_.SetInstant(1);

  application_.Id = 7;
  application_.ProtocolMajor = 1;
  application_.ProtocolMinor = 9;
  application_.SupportedGroups = DG_CONTROL | DG_IMAGE;
  snprintf(application_.ProductName, sizeof application_.ProductName, "Benchmark");
  DS_Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &dataSource_);
  dataSource_.Id = 42;
  // The first open writes the settings key, with its message box.
  Control(DAT_IDENTITY, MSG_OPENDS, &dataSource_);
  Close();
}

BenchSource::~BenchSource() {
  Close();
  if (mil_ != nullptr) {
    sim_.Reset();
    FreeLibrary(mil_);
  }
}

TW_UINT16 BenchSource::Control(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
  return DS_Entry(&application_, DG_CONTROL, DAT, MSG, data);
}

TW_UINT16 BenchSource::Image(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
  return DS_Entry(&application_, DG_IMAGE, DAT, MSG, data);
}

TW_UINT16 BenchSource::Status() {
  TW_STATUS status{};
  Control(DAT_STATUS, MSG_GET, &status);
  return status.ConditionCode;
}

bool BenchSource::Open(const BenchFormat& format) {
  if (mil_ == nullptr) return false;
  sim_.SetPixelLayout(format.pixelLayout);
  StoreDigFormat(format.digFormat);
  Control(DAT_IDENTITY, MSG_OPENDS, &dataSource_);
  TW_UINT16 code = Status();
  if (code != TWCC_SUCCESS || sourceSession.state != STATE_OPEN) {
    fprintf(stderr, "MSG_OPENDS on %s failed with condition code %u\n", format.digFormat,
            unsigned(code));
    return false;
  }
  return true;
}

// Closing in any state but 400 records TWCC_SEQERROR, which is cleared here.
void BenchSource::Close() {
  Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  Status();
}

bool BenchSource::EnableForTransfers() {
  TW_CAPABILITY capability{CAP_XFERCOUNT, TWON_ONEVALUE, GlobalAlloc(GHND, sizeof(TW_ONEVALUE))};
  auto* value = static_cast<TW_ONEVALUE*>(GlobalLock(capability.hContainer));
  value->ItemType = TWTY_INT16;
  value->Item = 0xFFFF;  // -1: any number of images
  GlobalUnlock(capability.hContainer);
  Control(DAT_CAPABILITY, MSG_SET, &capability);
  GlobalFree(capability.hContainer);

  TW_USERINTERFACE userInterface{TWAIN_FALSE, TWAIN_FALSE, nullptr};
  Control(DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface);
  if (sourceSession.state != STATE_XFERREADY) {
    fprintf(stderr, "MSG_ENABLEDS did not make the image ready (state %d)\n",
            int(sourceSession.state));
    return false;
  }
  return true;
}

void BenchSource::UseFreeGrab() { imagingLibrary.MdigGrab = FreeGrab; }
