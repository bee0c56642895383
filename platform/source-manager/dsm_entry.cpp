// DSM_Entry: the triplets of the manager itself, the notifications of the
// open source, and everything else forwarded to the open source's DS_Entry.
#include "platform/source-manager/dsm_entry.h"

#include "platform/source-manager/source_manager.h"

ManagerSession managerSession;

TW_UINT16 ManagerFailure(TW_UINT16 conditionCode) {
  managerSession.conditionCode = conditionCode;
  return TWRC_FAILURE;
}

namespace {

// DG_CONTROL / DAT_PARENT: MSG_OPENDSM gives the application its Id (written
// into its identity); MSG_CLOSEDSM needs every source closed first. The
// parent window is not used.
TW_UINT16 HandleParent(pTW_IDENTITY origin, TW_UINT16 MSG) {
  switch (MSG) {
    case MSG_OPENDSM:
      if (managerSession.open)
        return ManagerFailure(origin->Id == managerSession.appIdentity.Id ? TWCC_SEQERROR
                                                                          : TWCC_MAXCONNECTIONS);
      origin->Id = managerSession.nextId++;
      managerSession.appIdentity = *origin;
      managerSession.open = true;
      return TWRC_SUCCESS;
    case MSG_CLOSEDSM:
      if (!managerSession.open || managerSession.sourceIdentity.Id != 0)
        return ManagerFailure(TWCC_SEQERROR);
      managerSession.open = false;
      managerSession.appIdentity = TW_IDENTITY{};
      managerSession.sources.clear();
      managerSession.listing = false;
      return TWRC_SUCCESS;
    default:
      return ManagerFailure(TWCC_BADPROTOCOL);
  }
}

// DG_CONTROL / DAT_STATUS / MSG_GET addressed to the manager: its own
// condition code, which the read clears. Answered in every state, so the
// reason for a failed MSG_OPENDSM can be read too.
TW_UINT16 HandleManagerStatus(TW_UINT16 MSG, TW_MEMREF data) {
  if (MSG != MSG_GET) return ManagerFailure(TWCC_BADPROTOCOL);
  auto* status = static_cast<TW_STATUS*>(data);
  if (status == nullptr) return ManagerFailure(TWCC_BADVALUE);
  status->ConditionCode = managerSession.conditionCode;
  status->Reserved = 0;
  managerSession.conditionCode = TWCC_SUCCESS;
  return TWRC_SUCCESS;
}

// DG_CONTROL / DAT_NULL from the open source to the application:
// MSG_XFERREADY and MSG_CLOSEDSREQ wait in order for the application's
// event processing.
TW_UINT16 HandleNotification(pTW_IDENTITY destination, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG) {
  if (DG != DG_CONTROL || DAT != DAT_NULL) return ManagerFailure(TWCC_BADPROTOCOL);
  if (destination == nullptr || destination->Id != managerSession.appIdentity.Id)
    return ManagerFailure(TWCC_BADDEST);
  if (MSG != MSG_XFERREADY && MSG != MSG_CLOSEDSREQ) return ManagerFailure(TWCC_BADPROTOCOL);
  managerSession.notifications.push_back(MSG);
  return TWRC_SUCCESS;
}

// DG_CONTROL / DAT_EVENT / MSG_PROCESSEVENT: the event goes to the source
// first. When the source leaves TWMessage at MSG_NULL and a notification is
// waiting, the oldest one is handed over in TWMessage with TWRC_DSEVENT,
// whether or not the source took the event itself; one notification per call.
TW_UINT16 ProcessEvent(TW_MEMREF data) {
  auto* event = static_cast<TW_EVENT*>(data);
  if (event == nullptr) return ManagerFailure(TWCC_BADVALUE);
  event->TWMessage = MSG_NULL;
  TW_UINT16 result = managerSession.sourceEntry(&managerSession.appIdentity, DG_CONTROL, DAT_EVENT,
                                                MSG_PROCESSEVENT, data);
  if ((result == TWRC_DSEVENT || result == TWRC_NOTDSEVENT) && event->TWMessage == MSG_NULL &&
      !managerSession.notifications.empty()) {
    event->TWMessage = managerSession.notifications.front();
    managerSession.notifications.pop_front();
    return TWRC_DSEVENT;
  }
  return result;
}

}  // namespace

extern "C" TW_UINT16 TW_CALLINGSTYLE DSM_Entry(pTW_IDENTITY pOrigin, pTW_IDENTITY pDest,
                                               TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                               TW_MEMREF pData) {
  if (pOrigin == nullptr) return ManagerFailure(TWCC_BADVALUE);
  if (managerSession.sourceIdentity.Id != 0 && pOrigin->Id == managerSession.sourceIdentity.Id)
    return HandleNotification(pDest, DG, DAT, MSG);

  if (pDest == nullptr && DG == DG_CONTROL && DAT == DAT_STATUS)
    return HandleManagerStatus(MSG, pData);
  if (DG == DG_CONTROL && DAT == DAT_PARENT) return HandleParent(pOrigin, MSG);
  if (!managerSession.open || pOrigin->Id != managerSession.appIdentity.Id)
    return ManagerFailure(TWCC_SEQERROR);

  // Opening and closing a source are the manager's, whatever the destination.
  if (DG == DG_CONTROL && DAT == DAT_IDENTITY &&
      (pDest == nullptr || MSG == MSG_OPENDS || MSG == MSG_CLOSEDS))
    return HandleManagerIdentity(MSG, pData);
  if (pDest == nullptr) return ManagerFailure(TWCC_BADPROTOCOL);

  if (managerSession.sourceIdentity.Id == 0 || pDest->Id != managerSession.sourceIdentity.Id)
    return ManagerFailure(TWCC_BADDEST);
  if (DG == DG_CONTROL && DAT == DAT_EVENT && MSG == MSG_PROCESSEVENT) return ProcessEvent(pData);
  return managerSession.sourceEntry(&managerSession.appIdentity, DG, DAT, MSG, pData);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) managerSession.moduleInstance = instance;
  return TRUE;
}
