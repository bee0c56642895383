#include "source/identity.h"

#include <cstring>

#include "source/condition_codes.h"
#include "source/diagnostic_log.h"
#include "source/session_lifecycle.h"
#include "source/source_session.h"

namespace {

// The enumeration messages are not answered by a source; each writes its own
// note and those of the messages after it.
const struct {
  TW_UINT16 MSG;
  const char* text;
} UNANSWERED_IDENTITY_MESSAGES[] = {
    {MSG_GETDEFAULT, "DG_CONTROL / DAT_IDENTITY / MSG_GETDEFAULT tbd"},
    {MSG_GETFIRST, "DG_CONTROL / DAT_IDENTITY / MSG_GETFIRST tbd"},
    {MSG_GETNEXT, "DG_CONTROL / DAT_IDENTITY / MSG_GETNEXT tbd"},
    {MSG_USERSELECT, "DG_CONTROL / DAT_IDENTITY / MSG_USERSELECT tbd"},
};

void LogUnansweredIdentityMessage(TW_UINT16 MSG) {
  DiagnosticLog log;
  bool reached = false;
  for (const auto& entry : UNANSWERED_IDENTITY_MESSAGES) {
    reached = reached || entry.MSG == MSG;
    if (reached) log.Write("%s", entry.text);
  }
}

}  // namespace

// DG_CONTROL / DAT_IDENTITY
TW_UINT16 HandleIdentity(const Triplet& triplet) {
  const char* failureText = "General failure in response to DAT_IDENTITY.  ";
  switch (triplet.MSG) {
    case MSG_GET:
      // Asked before any open, often several times: cheap, no hardware.
      if (triplet.data == nullptr) {
        SetConditionCode(failureText, TWCC_BADVALUE);
        return TWRC_FAILURE;
      }
      memcpy(triplet.data, &sourceSession.sourceIdentity, sizeof(TW_IDENTITY));
      return TWRC_SUCCESS;
    case MSG_OPENDS:
      return OpenSource(triplet);
    case MSG_CLOSEDS:
      return CloseSource();
    default:
      LogUnansweredIdentityMessage(triplet.MSG);
      SetConditionCode(failureText, TWCC_BADPROTOCOL);
      return TWRC_FAILURE;
  }
}
