// The TWAIN session of acquire, from loading TWAIN_32.DLL to closing it.
#include "tools/acquire/twain_session.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "tools/acquire/twain_names.h"

namespace {

const char MANAGER_MODULE[] = "TWAIN_32.DLL";

void Step(const std::string& text) {
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

}  // namespace

std::string ConditionText(TW_UINT16 code) {
  return std::string(ConditionCodeName(code)) + " (" + std::to_string(code) +
         "): " + ConditionCodeMeaning(code);
}

TwainSession::TwainSession() {
  app_.Version.MajorNum = 1;
  app_.Version.MinorNum = 0;
  app_.Version.Language = TWLG_USA;
  app_.Version.Country = TWCY_USA;
  std::strcpy(app_.Version.Info, "acquire 1.0");
  app_.ProtocolMajor = 1;
  app_.ProtocolMinor = 9;
  app_.SupportedGroups = DG_CONTROL | DG_IMAGE;
  std::strcpy(app_.Manufacturer, "Frame grabber tools");
  std::strcpy(app_.ProductFamily, "Command line");
  std::strcpy(app_.ProductName, "acquire");
}

TwainSession::~TwainSession() { Shutdown(); }

TW_UINT16 TwainSession::ToManager(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
  return dsmEntry_(&app_, nullptr, DG_CONTROL, DAT, MSG, data);
}

TW_UINT16 TwainSession::ToSource(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
  return dsmEntry_(&app_, &source_, DG, DAT, MSG, data);
}

TW_UINT16 TwainSession::Condition(pTW_IDENTITY destination) {
  TW_STATUS status{};
  if (dsmEntry_(&app_, destination, DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS)
    return TWCC_BUMMER;
  return status.ConditionCode;
}

void TwainSession::ReportManagerFailure(const std::string& what, TW_UINT16 result) {
  std::fprintf(stderr, "acquire: %s failed (%s): %s\n", what.c_str(), ReturnCodeName(result),
               ConditionText(Condition(nullptr)).c_str());
}

void TwainSession::ReportSourceFailure(const std::string& what, TW_UINT16 result) {
  std::fprintf(stderr, "acquire: %s failed (%s): %s\n", what.c_str(), ReturnCodeName(result),
               ConditionText(Condition(&source_)).c_str());
}

bool TwainSession::Control(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data, const std::string& what,
                           TW_UINT16* result) {
  TW_UINT16 answer = ToSource(DG_CONTROL, DAT, MSG, data);
  if (result != nullptr) *result = answer;
  if (answer != TWRC_SUCCESS && answer != TWRC_CHECKSTATUS) {
    ReportSourceFailure(what, answer);
    return false;
  }
  TW_UINT16 code = Condition(&source_);
  if (code != TWCC_SUCCESS) {
    std::fprintf(stderr, "acquire: %s failed (%s, but the source recorded a failure): %s\n",
                 what.c_str(), ReturnCodeName(answer), ConditionText(code).c_str());
    return false;
  }
  return true;
}

bool TwainSession::LoadManager() {
  manager_ = LoadLibraryA(MANAGER_MODULE);
  if (manager_ == nullptr) {
    std::fprintf(stderr, "acquire: cannot load the Source Manager %s\n", MANAGER_MODULE);
    return false;
  }
  dsmEntry_ = reinterpret_cast<DSMENTRYPROC>(
      reinterpret_cast<void (*)()>(GetProcAddress(manager_, "DSM_Entry")));
  if (dsmEntry_ == nullptr) {
    std::fprintf(stderr, "acquire: %s has no DSM_Entry\n", MANAGER_MODULE);
    FreeLibrary(manager_);
    manager_ = nullptr;
    return false;
  }
  Step(std::string("Loaded the Source Manager ") + MANAGER_MODULE);
  return true;
}

bool TwainSession::OpenManager() {
  HWND parent = nullptr;
  TW_UINT16 result = ToManager(DAT_PARENT, MSG_OPENDSM, &parent);
  if (result != TWRC_SUCCESS) {
    ReportManagerFailure("MSG_OPENDSM", result);
    return false;
  }
  managerOpen_ = true;
  Step("Opened the Source Manager (application Id " + std::to_string(app_.Id) + ")");
  return true;
}

bool TwainSession::ListSources(std::vector<TW_IDENTITY>* sources) {
  sources->clear();
  TW_IDENTITY identity{};
  TW_UINT16 result = ToManager(DAT_IDENTITY, MSG_GETFIRST, &identity);
  while (result == TWRC_SUCCESS) {
    identity.ProductName[sizeof identity.ProductName - 1] = '\0';
    sources->push_back(identity);
    identity = TW_IDENTITY{};
    result = ToManager(DAT_IDENTITY, MSG_GETNEXT, &identity);
  }
  if (result != TWRC_ENDOFLIST) {
    ReportManagerFailure("Listing the data sources (DAT_IDENTITY)", result);
    return false;
  }
  return true;
}

bool TwainSession::OpenSource(const TW_IDENTITY& choice) {
  source_ = choice;
  TW_UINT16 result = ToManager(DAT_IDENTITY, MSG_OPENDS, &source_);
  if (result != TWRC_SUCCESS) {
    ReportManagerFailure(std::string("MSG_OPENDS of \"") + choice.ProductName + "\"", result);
    return false;
  }
  sourceOpen_ = true;
  // A source may answer a failed open with TWRC_SUCCESS and a condition code.
  TW_UINT16 code = Condition(&source_);
  if (code != TWCC_SUCCESS) {
    std::fprintf(stderr, "acquire: MSG_OPENDS of \"%s\" failed: %s\n", choice.ProductName,
                 ConditionText(code).c_str());
    return false;
  }
  Step(std::string("Opened the source \"") + source_.ProductName + "\" (Id " +
       std::to_string(source_.Id) + ")");
  return true;
}

bool TwainSession::GetCapability(TW_UINT16 capability, TW_UINT16 MSG,
                                 CapabilityContainer* container) {
  std::string name = CapabilityName(capability) ? CapabilityName(capability)
                                                : "capability " + std::to_string(capability);
  TW_CAPABILITY request{capability, TWON_DONTCARE16, nullptr};
  const char* message = MSG == MSG_GETCURRENT ? "MSG_GETCURRENT" : "MSG_GET";
  if (!Control(DAT_CAPABILITY, MSG, &request, name + " " + message)) {
    if (request.hContainer != nullptr) GlobalFree(request.hContainer);
    return false;
  }
  if (request.hContainer == nullptr) {
    std::fprintf(stderr, "acquire: %s %s returned no container\n", name.c_str(), message);
    return false;
  }
  const unsigned char* bytes = static_cast<const unsigned char*>(GlobalLock(request.hContainer));
  size_t size = GlobalSize(request.hContainer);
  // Some sources leave ConType as the application set it.
  TW_UINT16 kind = request.ConType;
  if (kind != TWON_ONEVALUE && kind != TWON_ENUMERATION && kind != TWON_ARRAY && kind != TWON_RANGE)
    kind = InferContainerType(bytes, size);
  std::string error;
  bool read = bytes != nullptr && ReadContainer(capability, kind, bytes, size, container, &error);
  if (bytes == nullptr) error = "the container handle cannot be locked";
  if (bytes != nullptr) GlobalUnlock(request.hContainer);
  GlobalFree(request.hContainer);
  if (!read) std::fprintf(stderr, "acquire: %s %s: %s\n", name.c_str(), message, error.c_str());
  return read;
}

bool TwainSession::SetCapability(TW_UINT16 capability, const std::string& value) {
  std::string name = CapabilityName(capability) ? CapabilityName(capability)
                                                : "capability " + std::to_string(capability);
  CapabilityContainer current;
  if (!GetCapability(capability, MSG_GET, &current)) return false;
  TW_UINT32 item = 0;
  std::string error;
  if (!EncodeItem(capability, current.itemType, value, &item, &error)) {
    std::fprintf(stderr, "acquire: %s is a %s: '%s': %s\n", name.c_str(),
                 ItemTypeName(current.itemType), value.c_str(), error.c_str());
    return false;
  }
  TW_HANDLE handle = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
  auto* oneValue = handle ? static_cast<TW_ONEVALUE*>(GlobalLock(handle)) : nullptr;
  if (oneValue == nullptr) {
    if (handle != nullptr) GlobalFree(handle);
    std::fprintf(stderr, "acquire: out of memory for the value of %s\n", name.c_str());
    return false;
  }
  oneValue->ItemType = current.itemType;
  oneValue->Item = item;
  GlobalUnlock(handle);
  TW_CAPABILITY request{capability, TWON_ONEVALUE, handle};
  TW_UINT16 result = TWRC_FAILURE;
  bool set = Control(DAT_CAPABILITY, MSG_SET, &request, name + " MSG_SET " + value, &result);
  GlobalFree(handle);
  if (!set) return false;
  Step("Set " + name + " = " + FormatItem(capability, current.itemType, item) +
       (result == TWRC_CHECKSTATUS ? " (the source chose a value close to it)" : ""));
  return true;
}

bool TwainSession::EnableWithoutUi() {
  TW_USERINTERFACE ui{TWAIN_FALSE, TWAIN_FALSE, nullptr};
  if (!Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui, "MSG_ENABLEDS")) return false;
  enabled_ = true;
  Step("Enabled the source without its user interface");
  return true;
}

bool TwainSession::EnableWithUi() {
  TW_USERINTERFACE ui{TWAIN_TRUE, TWAIN_FALSE, nullptr};
  if (!Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui, "MSG_ENABLEDS")) return false;
  enabled_ = true;
  Step("Enabled the source with its user interface");
  return true;
}

bool TwainSession::WaitForTransferReady(double timeoutSeconds) {
  Step("Waiting for the source's MSG_XFERREADY");
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double>(timeoutSeconds));
  for (;;) {
    // The application's message loop: every message goes to the source
    // first, so that its dialog gets its own.
    MSG message{};
    bool received = PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE;
    TW_EVENT event{&message, MSG_NULL};
    TW_UINT16 result = ToSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    if (received && result == TWRC_NOTDSEVENT) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (result == TWRC_DSEVENT && event.TWMessage == MSG_XFERREADY) {
      transfersPending_ = true;
      Step("Transfer ready");
      return true;
    }
    if (result == TWRC_DSEVENT && event.TWMessage == MSG_CLOSEDSREQ) {
      std::fprintf(stderr,
                   "acquire: the source asked to be closed (MSG_CLOSEDSREQ); nothing acquired\n");
      return false;
    }
    if (result != TWRC_DSEVENT && result != TWRC_NOTDSEVENT) {
      ReportSourceFailure("MSG_PROCESSEVENT", result);
      return false;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "acquire: no MSG_XFERREADY from the source within %g s\n",
                   timeoutSeconds);
      return false;
    }
    if (!received) Sleep(2);
  }
}

bool TwainSession::EndTransfer(TW_INT16* pending) {
  TW_PENDINGXFERS transfers{};
  if (!Control(DAT_PENDINGXFERS, MSG_ENDXFER, &transfers, "MSG_ENDXFER")) return false;
  transferDone_ = false;
  *pending = TW_INT16(transfers.Count);
  if (*pending == 0) transfersPending_ = false;
  return true;
}

bool TwainSession::ResetTransfers() {
  TW_PENDINGXFERS transfers{};
  bool reset = Control(DAT_PENDINGXFERS, MSG_RESET, &transfers, "MSG_RESET");
  transfersPending_ = false;
  if (reset) Step("Ended the pending transfers");
  return reset;
}

void TwainSession::Shutdown() {
  if (sourceOpen_ && transferDone_) {
    TW_PENDINGXFERS transfers{};
    ToSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &transfers);
    transferDone_ = false;
  }
  if (sourceOpen_ && transfersPending_) {
    TW_PENDINGXFERS transfers{};
    ToSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &transfers);
    transfersPending_ = false;
    Step("Ended the pending transfers");
  }
  if (sourceOpen_ && enabled_) {
    TW_USERINTERFACE ui{TWAIN_FALSE, TWAIN_FALSE, nullptr};
    ToSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    enabled_ = false;
    Step("Disabled the source");
  }
  if (sourceOpen_) {
    TW_UINT16 result = ToManager(DAT_IDENTITY, MSG_CLOSEDS, &source_);
    sourceOpen_ = false;
    if (result == TWRC_SUCCESS)
      Step("Closed the source");
    else
      ReportManagerFailure("MSG_CLOSEDS", result);
  }
  if (managerOpen_) {
    HWND parent = nullptr;
    TW_UINT16 result = ToManager(DAT_PARENT, MSG_CLOSEDSM, &parent);
    managerOpen_ = false;
    if (result == TWRC_SUCCESS)
      Step("Closed the Source Manager");
    else
      ReportManagerFailure("MSG_CLOSEDSM", result);
  }
  if (manager_ != nullptr) {
    FreeLibrary(manager_);
    manager_ = nullptr;
    dsmEntry_ = nullptr;
  }
}
