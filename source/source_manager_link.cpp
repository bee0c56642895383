#include "source/source_manager_link.h"

#include "platform/win32.h"
#include "source/source_session.h"

DSMENTRYPROC FindSourceManagerEntry() {
  // Looked up afresh for every notification. The application has the
  // library loaded already; the reference taken here keeps it so.
  HMODULE library = LoadLibraryA("TWAIN_32.DLL");
  if (library == nullptr) return nullptr;
  // Through the generic function type, which any function pointer converts to.
  auto entry = reinterpret_cast<DSMENTRYPROC>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "DSM_Entry")));
  if (entry == nullptr) FreeLibrary(library);
  return entry;
}

TW_UINT16 SignalTransferReady() {
  DSMENTRYPROC entry = FindSourceManagerEntry();
  if (entry == nullptr) return 0;
  // Set before the call: the application may ask for the image at once.
  sourceSession.state = STATE_XFERREADY;
  return entry(&sourceSession.sourceIdentity, &sourceSession.appIdentity, DG_CONTROL, DAT_NULL,
               MSG_XFERREADY, nullptr);
}

void SignalCloseRequest() {
  DSMENTRYPROC entry = FindSourceManagerEntry();
  if (entry == nullptr) return;
  entry(&sourceSession.sourceIdentity, &sourceSession.appIdentity, DG_CONTROL, DAT_NULL,
        MSG_CLOSEDSREQ, nullptr);
  sourceSession.state = STATE_ENABLED;
}
