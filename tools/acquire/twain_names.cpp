// Tables of TWAIN names: capabilities and their named values, condition
// codes with their meanings, return codes, item and container types.
#include "tools/acquire/twain_names.h"

#include <strings.h>

#include <cstdlib>

namespace {

struct Name {
  TW_UINT16 value;
  const char* name;
};

const Name CAPABILITIES[] = {
    {CAP_XFERCOUNT, "CAP_XFERCOUNT"},
    {ICAP_COMPRESSION, "ICAP_COMPRESSION"},
    {ICAP_PIXELTYPE, "ICAP_PIXELTYPE"},
    {ICAP_UNITS, "ICAP_UNITS"},
    {ICAP_XFERMECH, "ICAP_XFERMECH"},
    {CAP_FEEDERENABLED, "CAP_FEEDERENABLED"},
    {CAP_FEEDERLOADED, "CAP_FEEDERLOADED"},
    {CAP_SUPPORTEDCAPS, "CAP_SUPPORTEDCAPS"},
    {CAP_AUTOFEED, "CAP_AUTOFEED"},
    {CAP_UICONTROLLABLE, "CAP_UICONTROLLABLE"},
    {ICAP_IMAGEFILEFORMAT, "ICAP_IMAGEFILEFORMAT"},
    {ICAP_PHYSICALWIDTH, "ICAP_PHYSICALWIDTH"},
    {ICAP_PHYSICALHEIGHT, "ICAP_PHYSICALHEIGHT"},
    {ICAP_XRESOLUTION, "ICAP_XRESOLUTION"},
    {ICAP_YRESOLUTION, "ICAP_YRESOLUTION"},
    {ICAP_BITORDER, "ICAP_BITORDER"},
    {ICAP_PIXELFLAVOR, "ICAP_PIXELFLAVOR"},
    {ICAP_PLANARCHUNKY, "ICAP_PLANARCHUNKY"},
    {ICAP_BITDEPTH, "ICAP_BITDEPTH"},
};

struct ValueName {
  TW_UINT16 capability;
  TW_UINT16 value;
  const char* name;
};

const ValueName CAPABILITY_VALUES[] = {
    {ICAP_PIXELTYPE, TWPT_BW, "TWPT_BW"},
    {ICAP_PIXELTYPE, TWPT_GRAY, "TWPT_GRAY"},
    {ICAP_PIXELTYPE, TWPT_RGB, "TWPT_RGB"},
    {ICAP_XFERMECH, TWSX_NATIVE, "TWSX_NATIVE"},
    {ICAP_XFERMECH, TWSX_FILE, "TWSX_FILE"},
    {ICAP_XFERMECH, TWSX_MEMORY, "TWSX_MEMORY"},
    {ICAP_UNITS, TWUN_INCHES, "TWUN_INCHES"},
    {ICAP_UNITS, TWUN_PIXELS, "TWUN_PIXELS"},
    {ICAP_COMPRESSION, TWCP_NONE, "TWCP_NONE"},
    {ICAP_PIXELFLAVOR, TWPF_CHOCOLATE, "TWPF_CHOCOLATE"},
    {ICAP_PIXELFLAVOR, TWPF_VANILLA, "TWPF_VANILLA"},
    {ICAP_PLANARCHUNKY, TWPC_CHUNKY, "TWPC_CHUNKY"},
    {ICAP_PLANARCHUNKY, TWPC_PLANAR, "TWPC_PLANAR"},
    {ICAP_IMAGEFILEFORMAT, TWFF_TIFF, "TWFF_TIFF"},
    {ICAP_IMAGEFILEFORMAT, TWFF_BMP, "TWFF_BMP"},
    {ICAP_BITORDER, TWBO_LSBFIRST, "TWBO_LSBFIRST"},
    {ICAP_BITORDER, TWBO_MSBFIRST, "TWBO_MSBFIRST"},
};

struct CodeText {
  TW_UINT16 code;
  const char* name;
  const char* meaning;
};

const CodeText CONDITION_CODES[] = {
    {TWCC_SUCCESS, "TWCC_SUCCESS", "no failure was recorded"},
    {TWCC_BUMMER, "TWCC_BUMMER", "failure for an unknown reason"},
    {TWCC_LOWMEMORY, "TWCC_LOWMEMORY", "not enough memory to perform the operation"},
    {TWCC_NODS, "TWCC_NODS", "no data source found"},
    {TWCC_MAXCONNECTIONS, "TWCC_MAXCONNECTIONS",
     "the data source is connected to the maximum number of applications"},
    {TWCC_OPERATIONERROR, "TWCC_OPERATIONERROR",
     "the data source or the Source Manager reported an operation error"},
    {TWCC_BADCAP, "TWCC_BADCAP", "unknown capability"},
    {TWCC_BADPROTOCOL, "TWCC_BADPROTOCOL", "the operation is not supported"},
    {TWCC_BADVALUE, "TWCC_BADVALUE", "a value is out of range"},
    {TWCC_SEQERROR, "TWCC_SEQERROR", "the operation is out of the expected sequence"},
    {TWCC_BADDEST, "TWCC_BADDEST", "unknown destination application or source"},
    {TWCC_CAPUNSUPPORTED, "TWCC_CAPUNSUPPORTED", "the capability is not supported by the source"},
    {TWCC_CAPBADOPERATION, "TWCC_CAPBADOPERATION",
     "the operation is not supported by the capability"},
    {TWCC_CAPSEQERROR, "TWCC_CAPSEQERROR", "the capability depends on another capability"},
    {TWCC_DENIED, "TWCC_DENIED", "the file system denied the operation"},
    {TWCC_FILEEXISTS, "TWCC_FILEEXISTS", "the file already exists"},
    {TWCC_FILENOTFOUND, "TWCC_FILENOTFOUND", "the file was not found"},
    {TWCC_NOTEMPTY, "TWCC_NOTEMPTY", "the directory is not empty"},
    {TWCC_PAPERJAM, "TWCC_PAPERJAM", "the feeder is jammed"},
    {TWCC_PAPERDOUBLEFEED, "TWCC_PAPERDOUBLEFEED", "the feeder detected multiple pages"},
    {TWCC_FILEWRITEERROR, "TWCC_FILEWRITEERROR", "an error occurred while writing the file"},
    {TWCC_CHECKDEVICEONLINE, "TWCC_CHECKDEVICEONLINE",
     "the device went offline prior to or during the operation"},
};

const Name RETURN_CODES[] = {
    {TWRC_SUCCESS, "TWRC_SUCCESS"},         {TWRC_FAILURE, "TWRC_FAILURE"},
    {TWRC_CHECKSTATUS, "TWRC_CHECKSTATUS"}, {TWRC_CANCEL, "TWRC_CANCEL"},
    {TWRC_DSEVENT, "TWRC_DSEVENT"},         {TWRC_NOTDSEVENT, "TWRC_NOTDSEVENT"},
    {TWRC_XFERDONE, "TWRC_XFERDONE"},       {TWRC_ENDOFLIST, "TWRC_ENDOFLIST"},
};

const Name ITEM_TYPES[] = {
    {TWTY_INT8, "TWTY_INT8"},     {TWTY_INT16, "TWTY_INT16"},   {TWTY_INT32, "TWTY_INT32"},
    {TWTY_UINT8, "TWTY_UINT8"},   {TWTY_UINT16, "TWTY_UINT16"}, {TWTY_UINT32, "TWTY_UINT32"},
    {TWTY_BOOL, "TWTY_BOOL"},     {TWTY_FIX32, "TWTY_FIX32"},   {TWTY_FRAME, "TWTY_FRAME"},
    {TWTY_STR32, "TWTY_STR32"},   {TWTY_STR64, "TWTY_STR64"},   {TWTY_STR128, "TWTY_STR128"},
    {TWTY_STR255, "TWTY_STR255"},
};

const Name CONTAINERS[] = {
    {TWON_ARRAY, "TWON_ARRAY"},
    {TWON_ENUMERATION, "TWON_ENUMERATION"},
    {TWON_ONEVALUE, "TWON_ONEVALUE"},
    {TWON_RANGE, "TWON_RANGE"},
};

template <size_t N>
const char* Lookup(const Name (&table)[N], TW_UINT16 value) {
  for (const Name& entry : table)
    if (entry.value == value) return entry.name;
  return nullptr;
}

const char* OrUnknown(const char* name) { return name ? name : "unknown"; }

// Parses a whole decimal or 0x-prefixed number.
bool ParseNumber(const std::string& text, unsigned long* number) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  char* end = nullptr;
  *number = std::strtoul(text.c_str(), &end, 0);
  return *end == '\0';
}

}  // namespace

const char* CapabilityName(TW_UINT16 capability) { return Lookup(CAPABILITIES, capability); }

bool CapabilityByName(const std::string& text, TW_UINT16* capability) {
  for (const Name& entry : CAPABILITIES) {
    if (strcasecmp(entry.name, text.c_str()) == 0) {
      *capability = entry.value;
      return true;
    }
  }
  unsigned long number = 0;
  if (!ParseNumber(text, &number) || number > 0xFFFF) return false;
  *capability = TW_UINT16(number);
  return true;
}

const char* CapabilityValueName(TW_UINT16 capability, TW_UINT32 value) {
  for (const ValueName& entry : CAPABILITY_VALUES)
    if (entry.capability == capability && entry.value == value) return entry.name;
  return nullptr;
}

bool CapabilityValueByName(TW_UINT16 capability, const std::string& text, TW_UINT32* value) {
  for (const ValueName& entry : CAPABILITY_VALUES) {
    if (entry.capability != capability) continue;
    const char* shortName = entry.name + 5;  // after "TWxx_"
    if (strcasecmp(entry.name, text.c_str()) == 0 || strcasecmp(shortName, text.c_str()) == 0) {
      *value = entry.value;
      return true;
    }
  }
  return false;
}

const char* ConditionCodeName(TW_UINT16 code) {
  for (const CodeText& entry : CONDITION_CODES)
    if (entry.code == code) return entry.name;
  return "TWCC_(unknown)";
}

const char* ConditionCodeMeaning(TW_UINT16 code) {
  for (const CodeText& entry : CONDITION_CODES)
    if (entry.code == code) return entry.meaning;
  return "a condition code this application does not know";
}

const char* ReturnCodeName(TW_UINT16 code) { return OrUnknown(Lookup(RETURN_CODES, code)); }
const char* ItemTypeName(TW_UINT16 itemType) { return OrUnknown(Lookup(ITEM_TYPES, itemType)); }
const char* ContainerName(TW_UINT16 containerType) {
  return OrUnknown(Lookup(CONTAINERS, containerType));
}

const char* PixelTypeName(TW_INT16 pixelType) {
  switch (pixelType) {
    case TWPT_BW:
      return "black and white";
    case TWPT_GRAY:
      return "grey";
    case TWPT_RGB:
      return "RGB";
    default:
      return "other";
  }
}
