// DS_Entry: the origin filter, event processing, and routing by data group.
#include "source/entry_point.h"

#include "source/diagnostic_log.h"
#include "source/source_session.h"
#include "source/triplet.h"

namespace {

// DG_CONTROL / DAT_EVENT / MSG_PROCESSEVENT: the application's message loop
// hands every message to the source so the settings dialog gets its own.
TW_UINT16 ProcessEvent(TW_MEMREF data) {
  auto* event = static_cast<TW_EVENT*>(data);
  if (event == nullptr) return TWRC_NOTDSEVENT;
  event->TWMessage = MSG_NULL;
  if (sourceSession.dialogWindow != nullptr &&
      IsDialogMessageA(sourceSession.dialogWindow, static_cast<LPMSG>(event->pEvent))) {
    return TWRC_DSEVENT;
  }
  return TWRC_NOTDSEVENT;
}

}  // namespace

extern "C" TW_UINT16 TW_CALLINGSTYLE DS_Entry(pTW_IDENTITY pOrigin, TW_UINT32 DG, TW_UINT16 DAT,
                                              TW_UINT16 MSG, TW_MEMREF pData) {
  // While an application is connected, calls of any other one are ignored.
  TW_UINT32 connected = sourceSession.appIdentity.Id;
  if (connected != 0 && (pOrigin == nullptr || pOrigin->Id != connected)) return TWRC_SUCCESS;

  if (MSG == MSG_PROCESSEVENT) return ProcessEvent(pData);

  Triplet triplet = {pOrigin, DG, DAT, MSG, pData};
  switch (DG) {
    case DG_CONTROL:
      // The outcome of a control operation reaches the application through
      // DAT_STATUS and the data the handler wrote.
      DispatchTriplet(triplet, ControlDispatchTable);
      return TWRC_SUCCESS;
    case DG_IMAGE:
      return DispatchTriplet(triplet, ImageDispatchTable);
    default: {
      DiagnosticLog log;
      log.Write("Dispatching nothing, bad protocol (or DG_AUDIO) \n");
      return TWRC_FAILURE;
    }
  }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  return HandleModuleNotification(instance, reason);
}
