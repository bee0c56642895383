// The two DAT-to-handler tables and the walk through them.
#include "capabilities/capability_handlers.h"
#include "source/condition_codes.h"
#include "source/diagnostic_log.h"
#include "source/identity.h"
#include "source/session_lifecycle.h"
#include "source/transfer_negotiation.h"
#include "source/triplet.h"
#include "transfer/transfer_handlers.h"

const DispatchEntry ControlDispatchTable[] = {
    {DAT_IDENTITY, HandleIdentity},
    {DAT_USERINTERFACE, HandleUserInterface},
    {DAT_CAPABILITY, HandleCapability},
    {DAT_STATUS, HandleStatus},
    {DAT_PENDINGXFERS, HandlePendingXfers},
    {DAT_SETUPMEMXFER, HandleSetupMemXfer},
    {DAT_SETUPFILEXFER, HandleSetupFileXfer},
    {DAT_XFERGROUP, HandleXferGroup},
    {DAT_EVENT, HandleEvent},
    {DAT_NULL, nullptr},
};

const DispatchEntry ImageDispatchTable[] = {
    {DAT_IMAGEINFO, HandleImageInfo},
    {DAT_IMAGELAYOUT, HandleImageLayout},
    {DAT_IMAGEMEMXFER, HandleImageMemXfer},
    {DAT_IMAGENATIVEXFER, HandleImageNativeXfer},
    {DAT_IMAGEFILEXFER, HandleImageFileXfer},
    {DAT_NULL, nullptr},
};

TW_UINT16 DispatchTriplet(const Triplet& triplet, const DispatchEntry* table) {
  DiagnosticLog log;
  log.Write("Dispatching %s / DAT_%x / MSG_%x \n",
            triplet.DG == DG_CONTROL ? "DG_CONTROL" : "DG_IMAGE", unsigned(triplet.DAT),
            unsigned(triplet.MSG));
  for (const DispatchEntry* row = table; row->handler != nullptr; ++row) {
    if (row->DAT == triplet.DAT) return row->handler(triplet);
  }
  SetConditionCode("General failure in dispatcher of DG_CONTROL or DG_IMAGE.   ",
                   TWCC_BADPROTOCOL);
  return TWRC_FAILURE;
}
