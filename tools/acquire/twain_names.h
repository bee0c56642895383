// Names and meanings of the TWAIN constants the application prints and reads.
#pragma once

#include <string>

#include "platform/twain.h"

// "ICAP_PIXELTYPE"; null for a capability without a name here.
const char* CapabilityName(TW_UINT16 capability);
// A capability by name (any case) or by number ("0x0101", "257").
bool CapabilityByName(const std::string& text, TW_UINT16* capability);
// "TWPT_RGB" for ICAP_PIXELTYPE 2; null when the value has no name here.
const char* CapabilityValueName(TW_UINT16 capability, TW_UINT32 value);
// A named value of a capability: the full name ("TWPT_RGB") or the part after
// the prefix ("rgb"), in any case.
bool CapabilityValueByName(TW_UINT16 capability, const std::string& text, TW_UINT32* value);

const char* ConditionCodeName(TW_UINT16 code);       // "TWCC_SEQERROR"
const char* ConditionCodeMeaning(TW_UINT16 code);    // a sentence
const char* ReturnCodeName(TW_UINT16 code);          // "TWRC_FAILURE"
const char* ItemTypeName(TW_UINT16 itemType);        // "TWTY_UINT16"
const char* ContainerName(TW_UINT16 containerType);  // "TWON_ENUMERATION"
const char* PixelTypeName(TW_INT16 pixelType);       // "RGB"
