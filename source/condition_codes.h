// The source's record of its last error, and DAT_STATUS.
#pragma once

#include "source/triplet.h"

typedef TW_UINT16 ConditionCode;

// Stores the code for DAT_STATUS and logs the caller's text joined with the
// code's message.
void SetConditionCode(const char* callerText, ConditionCode code);

// The message attached to a condition code.
const char* ConditionCodeMessage(ConditionCode code);

// DG_CONTROL / DAT_STATUS
TW_UINT16 HandleStatus(const Triplet& triplet);
