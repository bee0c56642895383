// A data source of the least kind for the Source Manager's tests. It answers
// its identity, opens and closes, records every triplet it receives, and
// sends the Source Manager the notifications named in the environment:
//   FAKE_SOURCE_NOTIFY           at MSG_ENABLEDS, e.g. "101,102"
//   FAKE_SOURCE_NOTIFY_ON_EVENT  during its first MSG_PROCESSEVENT, which it
//                                then claims (TWRC_DSEVENT), as a dialog would
//   FAKE_SOURCE_OPEN_FAILS       MSG_OPENDS records this condition code and,
//                                as a DG_CONTROL triplet, still answers TWRC_SUCCESS
// Capability queries get a TW_ONEVALUE: native transfer, one image; sets are
// accepted and forgotten.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/twain.h"
#include "platform/win32.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

TW_IDENTITY self;
TW_IDENTITY application;
TW_UINT16 conditionCode = TWCC_SUCCESS;
bool notifiedOnEvent = false;
std::string trace;

void Notify(const char* variable) {
  const char* list = getenv(variable);
  if (list == nullptr) return;
  HMODULE manager = LoadLibraryA("TWAIN_32.DLL");
  if (manager == nullptr) return;
  auto dsmEntry = reinterpret_cast<DSMENTRYPROC>(
      reinterpret_cast<void (*)()>(GetProcAddress(manager, "DSM_Entry")));
  for (const char* at = list; dsmEntry != nullptr && *at != '\0';) {
    char* end = nullptr;
    unsigned long message = strtoul(at, &end, 16);
    if (end == at) break;
    dsmEntry(&self, &application, DG_CONTROL, DAT_NULL, TW_UINT16(message), nullptr);
    at = *end != '\0' ? end + 1 : end;
  }
  FreeLibrary(manager);
}

}  // namespace

// Every triplet received since the module was loaded, one per line:
// "DG/DAT/MSG from <origin Id>" in hexadecimal, the Id in decimal.
FAKE_EXPORT const char* FakeSourceTrace() { return trace.c_str(); }

FAKE_EXPORT TW_UINT16 DS_Entry(pTW_IDENTITY origin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                               TW_MEMREF data) {
  char line[64];
  snprintf(line, sizeof line, "%x/%x/%x from %u\n", unsigned(DG), unsigned(DAT), unsigned(MSG),
           origin ? unsigned(origin->Id) : 0u);
  trace += line;

  if (MSG == MSG_PROCESSEVENT) {
    static_cast<TW_EVENT*>(data)->TWMessage = MSG_NULL;
    if (!notifiedOnEvent && getenv("FAKE_SOURCE_NOTIFY_ON_EVENT")) {
      notifiedOnEvent = true;
      Notify("FAKE_SOURCE_NOTIFY_ON_EVENT");
      return TWRC_DSEVENT;
    }
    return TWRC_NOTDSEVENT;
  }
  if (DG == DG_CONTROL && DAT == DAT_IDENTITY && MSG == MSG_GET) {
    *static_cast<TW_IDENTITY*>(data) = self;
  } else if (DG == DG_CONTROL && DAT == DAT_IDENTITY && MSG == MSG_OPENDS) {
    if (const char* code = getenv("FAKE_SOURCE_OPEN_FAILS")) {
      conditionCode = TW_UINT16(atoi(code));
    } else {
      application = *origin;
      self = *static_cast<TW_IDENTITY*>(data);
    }
  } else if (DG == DG_CONTROL && DAT == DAT_IDENTITY && MSG == MSG_CLOSEDS) {
    application = TW_IDENTITY{};
  } else if (DG == DG_CONTROL && DAT == DAT_CAPABILITY && MSG == MSG_GET) {
    auto* capability = static_cast<TW_CAPABILITY*>(data);
    capability->ConType = TWON_ONEVALUE;
    capability->hContainer = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
    auto* value = static_cast<TW_ONEVALUE*>(GlobalLock(capability->hContainer));
    value->ItemType = capability->Cap == CAP_XFERCOUNT ? TWTY_INT16 : TWTY_UINT16;
    value->Item = capability->Cap == CAP_XFERCOUNT ? 1 : 0;
    GlobalUnlock(capability->hContainer);
  } else if (DG == DG_CONTROL && DAT == DAT_STATUS && MSG == MSG_GET) {
    static_cast<TW_STATUS*>(data)->ConditionCode = conditionCode;
    conditionCode = TWCC_SUCCESS;
  } else if (DG == DG_CONTROL && DAT == DAT_USERINTERFACE && MSG == MSG_ENABLEDS) {
    Notify("FAKE_SOURCE_NOTIFY");
  }
  return TWRC_SUCCESS;
}

FAKE_EXPORT BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    self = TW_IDENTITY{};
    self.ProtocolMajor = 1;
    self.ProtocolMinor = 9;
    self.SupportedGroups = DG_CONTROL | DG_IMAGE;
    strcpy(self.Manufacturer, "Test bench");
    strcpy(self.ProductFamily, "Fakes");
    strcpy(self.ProductName, FAKE_PRODUCT_NAME);
  }
  return TRUE;
}
