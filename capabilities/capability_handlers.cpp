// DG_CONTROL / DAT_CAPABILITY: every capability handler combines one rule for
// the three queries, one for MSG_SET and one for MSG_RESET, as its row of
// the rules below says.
#include "capabilities/capability_handlers.h"

#include "capabilities/capability_store.h"
#include "capabilities/capability_table.h"
#include "capabilities/containers.h"
#include "grabber/mil_accessors.h"
#include "source/condition_codes.h"
#include "source/diagnostic_log.h"

namespace {

enum QueryRule {
  QUERY_COPY,     // the whole stored container, of the stored kind
  QUERY_CURRENT,  // a TW_ONEVALUE of the current value
  QUERY_DEFAULT,  // a TW_ONEVALUE of the default value
  QUERY_WIDTH,    // a TWTY_FIX32 TW_ONEVALUE of the image width in pixels
  QUERY_HEIGHT,   // the same of the image height
  QUERY_NONE,     // nothing is answered
};

enum SetRule {
  SET_SELECT,        // a TW_ONEVALUE selects an item, a TW_ENUMERATION replaces them
  SET_STORE,         // a TW_ONEVALUE is stored as it comes
  SET_XFERCOUNT,     // a TWTY_INT16 (or, with a warning, TWTY_UINT32) count is stored
  SET_SINGLE_VALUE,  // only singleValue is valid, and nothing is stored
  SET_REFUSE,        // refusalCode
  SET_NONE,          // fails without a condition code
};

enum ResetRule {
  RESET_RESET,   // the initial container is rebuilt
  RESET_REFUSE,  // refusalCode
  RESET_NONE,    // fails without a condition code
};

struct CapabilityRules {
  const char* header;
  QueryRule get;
  QueryRule getCurrent;
  QueryRule getDefault;
  SetRule set;
  ResetRule reset;
  ConditionCode refusalCode;  // for SET_REFUSE and RESET_REFUSE
  TW_UINT32 singleValue;      // for SET_SINGLE_VALUE: the one value accepted
  TW_UINT16 storedKind;       // for SET_SINGLE_VALUE: the kind the record must have
};

// Capabilities stored as a TW_ONEVALUE answer all three queries with the one
// stored value; enumerations answer MSG_GET with the whole enumeration.
const CapabilityRules XFER_COUNT = {"\n CAP_XFERCOUNT (0x0001) ",
                                    QUERY_CURRENT, QUERY_CURRENT, QUERY_CURRENT,
                                    SET_XFERCOUNT, RESET_RESET, TWCC_SUCCESS, 0, 0};
const CapabilityRules COMPRESSION = {"\n ICAP_COMPRESSION (0x0100) ",
                                     QUERY_COPY, QUERY_CURRENT, QUERY_DEFAULT,
                                     SET_SINGLE_VALUE, RESET_REFUSE, TWCC_BADPROTOCOL,
                                     TWCP_NONE, TWON_ENUMERATION};
const CapabilityRules PIXEL_TYPE = {"\n ICAP_PIXELTYPE (0x0101) ",
                                    QUERY_COPY, QUERY_CURRENT, QUERY_DEFAULT,
                                    SET_SELECT, RESET_RESET, TWCC_SUCCESS, 0, 0};
const CapabilityRules UNITS = {"\n ICAP_UNITS (0x0102) ",
                               QUERY_COPY, QUERY_CURRENT, QUERY_DEFAULT,
                               SET_SINGLE_VALUE, RESET_RESET, TWCC_SUCCESS,
                               TWUN_PIXELS, TWON_ENUMERATION};
const CapabilityRules XFER_MECH = {"\n ICAP_XFERMECH (0x0103) ",
                                   QUERY_COPY, QUERY_CURRENT, QUERY_DEFAULT,
                                   SET_SELECT, RESET_RESET, TWCC_SUCCESS, 0, 0};
const CapabilityRules FEEDER_ENABLED = {"\n CAP_FEEDERENABLED (0x1002) ",
                                        QUERY_CURRENT, QUERY_CURRENT, QUERY_CURRENT,
                                        SET_STORE, RESET_RESET, TWCC_SUCCESS, 0, 0};
const CapabilityRules FEEDER_LOADED = {"\n CAP_FEEDERLOADED (0x1003) ",
                                       QUERY_CURRENT, QUERY_CURRENT, QUERY_CURRENT,
                                       SET_STORE, RESET_RESET, TWCC_SUCCESS, 0, 0};
const CapabilityRules AUTO_FEED = {"\n CAP_AUTOFEED (0x1007) ",
                                   QUERY_CURRENT, QUERY_CURRENT, QUERY_CURRENT,
                                   SET_STORE, RESET_RESET, TWCC_SUCCESS, 0, 0};
const CapabilityRules SUPPORTED_CAPS = {"\n CAP_SUPPORTEDCAPS (0x1005) ",
                                        QUERY_COPY, QUERY_COPY, QUERY_COPY,
                                        SET_REFUSE, RESET_REFUSE, TWCC_BADPROTOCOL, 0, 0};
const CapabilityRules UI_CONTROLLABLE = {"\n CAP_UICONTROLLABLE (0x100e) ",
                                         QUERY_COPY, QUERY_COPY, QUERY_COPY,
                                         SET_REFUSE, RESET_REFUSE, TWCC_BADPROTOCOL, 0, 0};
const CapabilityRules PHYSICAL_WIDTH = {"\n ICAP_PHYSICALWIDTH (0x1111) ",
                                        QUERY_WIDTH, QUERY_WIDTH, QUERY_WIDTH,
                                        SET_REFUSE, RESET_REFUSE, TWCC_BADPROTOCOL, 0, 0};
const CapabilityRules PHYSICAL_HEIGHT = {"\n ICAP_PHYSICALHEIGHT (0x1112) ",
                                         QUERY_HEIGHT, QUERY_HEIGHT, QUERY_HEIGHT,
                                         SET_REFUSE, RESET_REFUSE, TWCC_BADPROTOCOL, 0, 0};
const CapabilityRules X_RESOLUTION = {"\n ICAP_XRESOLUTION (0x1118) ",
                                      QUERY_COPY, QUERY_COPY, QUERY_COPY,
                                      SET_REFUSE, RESET_REFUSE, TWCC_CAPUNSUPPORTED, 0, 0};
const CapabilityRules Y_RESOLUTION = {"\n ICAP_YRESOLUTION (0x1119) ",
                                      QUERY_COPY, QUERY_COPY, QUERY_COPY,
                                      SET_REFUSE, RESET_REFUSE, TWCC_CAPUNSUPPORTED, 0, 0};
// Listed as supported, yet every message fails without a condition code.
const CapabilityRules BIT_ORDER = {"\n ICAP_BITORDER (0x111c)",
                                   QUERY_NONE, QUERY_NONE, QUERY_NONE,
                                   SET_NONE, RESET_NONE, TWCC_SUCCESS, 0, 0};
const CapabilityRules PIXEL_FLAVOR = {"\n ICAP_PIXELFLAVOR (0x111f) ",
                                      QUERY_COPY, QUERY_COPY, QUERY_COPY,
                                      SET_SINGLE_VALUE, RESET_RESET, TWCC_SUCCESS,
                                      TWPF_CHOCOLATE, TWON_ONEVALUE};
const CapabilityRules PLANAR_CHUNKY = {"\n ICAP_PLANARCHUNKY (0x1120) ",
                                       QUERY_COPY, QUERY_CURRENT, QUERY_DEFAULT,
                                       SET_REFUSE, RESET_REFUSE, TWCC_BADPROTOCOL, 0, 0};
const CapabilityRules BIT_DEPTH = {"\n ICAP_BITDEPTH (0x112b) ",
                                   QUERY_CURRENT, QUERY_CURRENT, QUERY_CURRENT,
                                   SET_REFUSE, RESET_REFUSE, TWCC_BADPROTOCOL, 0, 0};

bool RecordIsOfKind(TW_UINT16 capabilityId, TW_UINT16 containerKind) {
  TW_UINT16 storedKind = 0;
  return FindCapability(capabilityId, &storedKind) != nullptr && storedKind == containerKind;
}

// A TW_ONEVALUE of the capability's current or default value.
TW_HANDLE BuildValueContainer(TW_UINT16 capabilityId, bool current) {
  ItemBlock item;
  TW_UINT16 itemType = current ? GetCurrentValue(capabilityId, &item)
                               : GetDefaultValue(capabilityId, &item);
  if (item == nullptr) return nullptr;
  return BuildOneValue(itemType, item.get());
}

TW_HANDLE BuildPixelSize(TW_UINT32 pixels) {
  TW_FIX32 size = ToFix32(double(pixels));
  return BuildOneValue(TWTY_FIX32, &size);
}

// The new container goes to hContainer, null when it cannot be built. A
// query that needs the store while none exists (before the source is opened
// or after it is closed) is a sequence error.
TW_UINT16 Query(TW_CAPABILITY* capability, QueryRule rule) {
  if (rule == QUERY_NONE) return TWRC_FAILURE;
  bool needsStore = rule != QUERY_WIDTH && rule != QUERY_HEIGHT;
  if (needsStore && !CapabilityStoreExists()) {
    capability->hContainer = nullptr;
    return RefuseCapability(TWCC_SEQERROR);
  }
  TW_HANDLE container = nullptr;
  switch (rule) {
    case QUERY_COPY:
      container = CopyCapabilityContainer(capability->Cap);
      break;
    case QUERY_CURRENT:
      container = BuildValueContainer(capability->Cap, true);
      break;
    case QUERY_DEFAULT:
      container = BuildValueContainer(capability->Cap, false);
      break;
    case QUERY_WIDTH:
      container = BuildPixelSize(GetImageWidth());
      break;
    case QUERY_HEIGHT:
      container = BuildPixelSize(GetImageHeight());
      break;
    case QUERY_NONE:
      break;
  }
  capability->hContainer = container;
  return container != nullptr ? TWRC_SUCCESS : TWRC_FAILURE;
}

TW_UINT16 SetSelect(const TW_CAPABILITY& capability) {
  if (!RecordIsOfKind(capability.Cap, TWON_ENUMERATION)) return RefuseCapability(TWCC_BUMMER);
  switch (capability.ConType) {
    case TWON_ONEVALUE:
      return SelectEnumerationValue(capability);
    case TWON_ENUMERATION:
      return StoreApplicationContainer(capability);
    default:
      return RefuseCapability(TWCC_BADPROTOCOL);
  }
}

TW_UINT16 SetStore(const TW_CAPABILITY& capability) {
  if (!RecordIsOfKind(capability.Cap, TWON_ONEVALUE)) return RefuseCapability(TWCC_BUMMER);
  if (capability.ConType != TWON_ONEVALUE) return RefuseCapability(TWCC_BADPROTOCOL);
  return StoreApplicationContainer(capability);
}

// Any count is taken, 0 and -1 included. A TWTY_UINT32 count is stored as it
// comes, with TWCC_BADPROTOCOL recorded as a warning.
TW_UINT16 SetXferCount(const TW_CAPABILITY& capability) {
  if (!CapabilityStoreExists()) return RefuseCapability(TWCC_SEQERROR);
  if (capability.ConType != TWON_ONEVALUE) return RefuseCapability(TWCC_BADPROTOCOL);
  TW_UINT16 itemType;
  {
    ContainerLock lock(capability.hContainer);
    if (!ContainerHasHeader(lock, TWON_ONEVALUE)) return RefuseCapability(TWCC_BADVALUE);
    itemType = reinterpret_cast<const TW_ONEVALUE*>(lock.data())->ItemType;
  }
  if (itemType == TWTY_UINT32) {
    SetConditionCode("tying to cast illegal value from app, ", TWCC_BADPROTOCOL);
  } else if (itemType != TWTY_INT16) {
    return TWRC_FAILURE;
  }
  return StoreApplicationContainer(capability);
}

// The capability has one valid value and keeps it: the right value records
// nothing, and even then the answer is TWRC_FAILURE.
TW_UINT16 SetSingleValue(const TW_CAPABILITY& capability, const CapabilityRules& rules) {
  if (!RecordIsOfKind(capability.Cap, rules.storedKind)) return RefuseCapability(TWCC_BUMMER);
  if (capability.ConType == TWON_ONEVALUE) {
    ContainerLock lock(capability.hContainer);
    if (!ContainerHasHeader(lock, TWON_ONEVALUE)) return RefuseCapability(TWCC_BADVALUE);
    if (reinterpret_cast<const TW_ONEVALUE*>(lock.data())->Item != rules.singleValue) {
      return RefuseCapability(TWCC_CAPUNSUPPORTED);
    }
    return TWRC_FAILURE;
  }
  if (capability.ConType == TWON_ENUMERATION && rules.storedKind == TWON_ENUMERATION) {
    return RefuseCapability(TWCC_CAPUNSUPPORTED);
  }
  return RefuseCapability(TWCC_BADPROTOCOL);
}

TW_UINT16 Set(const TW_CAPABILITY& capability, const CapabilityRules& rules) {
  switch (rules.set) {
    case SET_SELECT:
      return SetSelect(capability);
    case SET_STORE:
      return SetStore(capability);
    case SET_XFERCOUNT:
      return SetXferCount(capability);
    case SET_SINGLE_VALUE:
      return SetSingleValue(capability, rules);
    case SET_REFUSE:
      return RefuseCapability(rules.refusalCode);
    case SET_NONE:
      break;
  }
  return TWRC_FAILURE;
}

// No container is returned and hContainer is left as it was.
TW_UINT16 Reset(const TW_CAPABILITY& capability, const CapabilityRules& rules) {
  switch (rules.reset) {
    case RESET_RESET:
      if (!CapabilityStoreExists()) return RefuseCapability(TWCC_SEQERROR);
      return ResetCapability(capability.Cap);
    case RESET_REFUSE:
      return RefuseCapability(rules.refusalCode);
    case RESET_NONE:
      break;
  }
  return TWRC_FAILURE;
}

const char* MessageName(TW_UINT16 message) {
  switch (message) {
    case MSG_GET:
      return "MSG_GET";
    case MSG_GETCURRENT:
      return "MSG_GETCURRENT";
    case MSG_GETDEFAULT:
      return "MSG_GETDEFAULT";
    case MSG_SET:
      return "MSG_SET";
    case MSG_RESET:
      return "MSG_RESET";
    default:
      return nullptr;
  }
}

// Carries out the rule for one of the five messages.
TW_UINT16 ApplyRule(TW_UINT16 message, TW_CAPABILITY* capability, const CapabilityRules& rules) {
  switch (message) {
    case MSG_GET:
      return Query(capability, rules.get);
    case MSG_GETCURRENT:
      return Query(capability, rules.getCurrent);
    case MSG_GETDEFAULT:
      return Query(capability, rules.getDefault);
    case MSG_SET:
      return Set(*capability, rules);
    default:
      return Reset(*capability, rules);
  }
}

// One log record per call: the header, the message's name, the refusal (which
// SetConditionCode logs), and the line end.
TW_UINT16 AnswerCapability(const Triplet& triplet, const CapabilityRules& rules) {
  DiagnosticLog log;
  log.Write("%s", rules.header);
  TW_CAPABILITY* capability = static_cast<TW_CAPABILITY*>(triplet.data);
  const char* name = MessageName(triplet.MSG);
  TW_UINT16 result;
  if (name == nullptr) {
    result = RefuseCapability(TWCC_BADPROTOCOL);
  } else {
    log.Write("%s", name);
    result = capability == nullptr ? RefuseCapability(TWCC_BADVALUE)
                                   : ApplyRule(triplet.MSG, capability, rules);
  }
  log.Write("\n");
  return result;
}

}  // namespace

// DG_CONTROL / DAT_CAPABILITY
TW_UINT16 HandleCapability(const Triplet& triplet) {
  const TW_CAPABILITY* capability = static_cast<const TW_CAPABILITY*>(triplet.data);
  if (capability == nullptr) return RefuseCapability(TWCC_BADVALUE);
  for (const CapabilityRow* row = CapabilityTable; row->handler != nullptr; ++row) {
    if (row->capabilityId == capability->Cap) return row->handler(triplet);
  }
  return RefuseCapability(TWCC_CAPUNSUPPORTED);
}

// DG_CONTROL / DAT_CAPABILITY / CAP_XFERCOUNT
TW_UINT16 HandleXferCount(const Triplet& triplet) { return AnswerCapability(triplet, XFER_COUNT); }

// DG_CONTROL / DAT_CAPABILITY / ICAP_COMPRESSION
TW_UINT16 HandleCompression(const Triplet& triplet) {
  return AnswerCapability(triplet, COMPRESSION);
}

// DG_CONTROL / DAT_CAPABILITY / ICAP_PIXELTYPE
TW_UINT16 HandlePixelType(const Triplet& triplet) { return AnswerCapability(triplet, PIXEL_TYPE); }

// DG_CONTROL / DAT_CAPABILITY / ICAP_UNITS
TW_UINT16 HandleUnits(const Triplet& triplet) { return AnswerCapability(triplet, UNITS); }

// DG_CONTROL / DAT_CAPABILITY / ICAP_XFERMECH
TW_UINT16 HandleXferMech(const Triplet& triplet) { return AnswerCapability(triplet, XFER_MECH); }

// DG_CONTROL / DAT_CAPABILITY / CAP_FEEDERENABLED
TW_UINT16 HandleFeederEnabled(const Triplet& triplet) {
  return AnswerCapability(triplet, FEEDER_ENABLED);
}

// DG_CONTROL / DAT_CAPABILITY / CAP_FEEDERLOADED
TW_UINT16 HandleFeederLoaded(const Triplet& triplet) {
  return AnswerCapability(triplet, FEEDER_LOADED);
}

// DG_CONTROL / DAT_CAPABILITY / CAP_AUTOFEED
TW_UINT16 HandleAutoFeed(const Triplet& triplet) { return AnswerCapability(triplet, AUTO_FEED); }

// DG_CONTROL / DAT_CAPABILITY / CAP_SUPPORTEDCAPS
TW_UINT16 HandleSupportedCaps(const Triplet& triplet) {
  return AnswerCapability(triplet, SUPPORTED_CAPS);
}

// DG_CONTROL / DAT_CAPABILITY / CAP_UICONTROLLABLE
TW_UINT16 HandleUiControllable(const Triplet& triplet) {
  return AnswerCapability(triplet, UI_CONTROLLABLE);
}

// DG_CONTROL / DAT_CAPABILITY / ICAP_PHYSICALWIDTH
TW_UINT16 HandlePhysicalWidth(const Triplet& triplet) {
  return AnswerCapability(triplet, PHYSICAL_WIDTH);
}

// DG_CONTROL / DAT_CAPABILITY / ICAP_PHYSICALHEIGHT
TW_UINT16 HandlePhysicalHeight(const Triplet& triplet) {
  return AnswerCapability(triplet, PHYSICAL_HEIGHT);
}

// DG_CONTROL / DAT_CAPABILITY / ICAP_XRESOLUTION
TW_UINT16 HandleXResolution(const Triplet& triplet) {
  return AnswerCapability(triplet, X_RESOLUTION);
}

// DG_CONTROL / DAT_CAPABILITY / ICAP_YRESOLUTION
TW_UINT16 HandleYResolution(const Triplet& triplet) {
  return AnswerCapability(triplet, Y_RESOLUTION);
}

// DG_CONTROL / DAT_CAPABILITY / ICAP_BITORDER
TW_UINT16 HandleBitOrder(const Triplet& triplet) { return AnswerCapability(triplet, BIT_ORDER); }

// DG_CONTROL / DAT_CAPABILITY / ICAP_PIXELFLAVOR
TW_UINT16 HandlePixelFlavor(const Triplet& triplet) {
  return AnswerCapability(triplet, PIXEL_FLAVOR);
}

// DG_CONTROL / DAT_CAPABILITY / ICAP_PLANARCHUNKY
TW_UINT16 HandlePlanarChunky(const Triplet& triplet) {
  return AnswerCapability(triplet, PLANAR_CHUNKY);
}

// DG_CONTROL / DAT_CAPABILITY / ICAP_BITDEPTH
TW_UINT16 HandleBitDepth(const Triplet& triplet) { return AnswerCapability(triplet, BIT_DEPTH); }
