// Condition codes: the last failure, kept for DAT_STATUS and logged.
#include "source/condition_codes.h"

#include <cstring>

#include "source/diagnostic_log.h"
#include "source/source_session.h"

namespace {

struct ConditionCodeText {
  ConditionCode code;
  const char* message;
};

const ConditionCodeText CONDITION_CODE_MESSAGES[] = {
    {TWCC_SUCCESS, "Success message from detailed error request ??"},
    {TWCC_BUMMER, "Bummer error."},
    {TWCC_LOWMEMORY, "Low Memory Condition encountered, free up some memory and try again."},
    {TWCC_NODS, "No Data Source found error."},
    {TWCC_MAXCONNECTIONS, "Source is connected to max possible apps."},
    {TWCC_OPERATIONERROR, "An operation error just occurred."},
    {TWCC_BADCAP, "Bad capabilities error."},
    {TWCC_BADPROTOCOL, "Bad protocol error."},
    {TWCC_BADVALUE, "Bad value error."},
    {TWCC_SEQERROR, "DG DAT MSG is out of expected sequence."},
    {TWCC_BADDEST, "Unknown destination Application/Source in DSM_Entry"},
    {TWCC_CAPUNSUPPORTED, "Capability not supported by data source"},
    {TWCC_CAPBADOPERATION, " Operation not supported by capability "},
    {TWCC_CAPSEQERROR, "Capability has dependancy on other capability"},
    {TWCC_CHECKDEVICEONLINE, "The device went offline prior to or during this operation"},
};

const char UNKNOWN_CONDITION_CODE_MESSAGE[] = "Unknown Error value in condition code.";
constexpr size_t JOINED_TEXT_SIZE = 180;

}  // namespace

const char* ConditionCodeMessage(ConditionCode code) {
  for (const ConditionCodeText& entry : CONDITION_CODE_MESSAGES) {
    if (entry.code == code) return entry.message;
  }
  return UNKNOWN_CONDITION_CODE_MESSAGE;
}

void SetConditionCode(const char* callerText, ConditionCode code) {
  DiagnosticLog log;
  sourceSession.conditionCode.ConditionCode = code;
  // Caller texts end in blanks or a line end, so the message follows directly.
  char text[JOINED_TEXT_SIZE];
  snprintf(text, sizeof text, "%s%s", callerText != nullptr ? callerText : "",
           ConditionCodeMessage(code));
  log.Write("%s", text);
}

// DG_CONTROL / DAT_STATUS
TW_UINT16 HandleStatus(const Triplet& triplet) {
  if (triplet.MSG != MSG_GET) {
    SetConditionCode("General failure in response to DAT_STATUS.  ", TWCC_BADPROTOCOL);
    return TWRC_FAILURE;
  }
  auto* status = static_cast<TW_STATUS*>(triplet.data);
  if (status == nullptr) {
    SetConditionCode("General failure in response to DAT_STATUS.  ", TWCC_BADVALUE);
    return TWRC_FAILURE;
  }
  *status = sourceSession.conditionCode;
  sourceSession.conditionCode.ConditionCode = TWCC_SUCCESS;
  return TWRC_SUCCESS;
}
