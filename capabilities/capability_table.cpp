// The capability table, the initial containers and the life of the store.
#include "capabilities/capability_table.h"

#include "capabilities/capability_handlers.h"
#include "capabilities/capability_store.h"
#include "capabilities/containers.h"

const CapabilityRow CapabilityTable[CAPABILITY_COUNT + 1] = {
    {CAP_XFERCOUNT, HandleXferCount},
    {ICAP_COMPRESSION, HandleCompression},
    {ICAP_PIXELTYPE, HandlePixelType},
    {ICAP_UNITS, HandleUnits},
    {ICAP_XFERMECH, HandleXferMech},
    {CAP_FEEDERENABLED, HandleFeederEnabled},
    {CAP_FEEDERLOADED, HandleFeederLoaded},
    {CAP_AUTOFEED, HandleAutoFeed},
    {CAP_SUPPORTEDCAPS, HandleSupportedCaps},
    {CAP_UICONTROLLABLE, HandleUiControllable},
    {ICAP_PHYSICALWIDTH, HandlePhysicalWidth},
    {ICAP_PHYSICALHEIGHT, HandlePhysicalHeight},
    {ICAP_XRESOLUTION, HandleXResolution},
    {ICAP_YRESOLUTION, HandleYResolution},
    {ICAP_BITORDER, HandleBitOrder},
    {ICAP_PIXELFLAVOR, HandlePixelFlavor},
    {ICAP_PLANARCHUNKY, HandlePlanarChunky},
    {ICAP_BITDEPTH, HandleBitDepth},
    {0, nullptr},
};

namespace {

// The initial container of a stored capability. Enumerations start with
// CurrentIndex and DefaultIndex 0.
struct InitialContainer {
  TW_UINT16 capabilityId;
  TW_UINT16 containerKind;
  TW_UINT16 itemType;
  TW_UINT32 numItems;
  const void* items;
  bool resettable;
};

const TW_UINT16 UNITS[] = {TWUN_PIXELS};
const TW_UINT16 XFER_MECHS[] = {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY};
const TW_UINT16 PIXEL_FLAVOR = TWPF_CHOCOLATE;
const TW_UINT16 PIXEL_TYPES[] = {TWPT_GRAY, TWPT_RGB};
const TW_INT16 XFER_COUNT = 0;
const TW_UINT16 COMPRESSIONS[] = {TWCP_NONE};
const TW_UINT16 FILE_FORMATS[] = {TWFF_TIFF};
const TW_UINT16 BIT_DEPTH = 8;
const TW_UINT16 PLANAR_CHUNKY[] = {TWPC_CHUNKY};
const TW_FIX32 RESOLUTION = ToFix32(300.0);
const TW_BOOL FALSE_VALUE = TWAIN_FALSE;
const TW_BOOL TRUE_VALUE = TWAIN_TRUE;

// The items of CAP_SUPPORTEDCAPS, filled by InitCapabilities.
TW_UINT16 supportedCapsList[CAPABILITY_COUNT];

// In the order the store is built; ICAP_UNITS becomes the head of the list.
const InitialContainer INITIAL_CONTAINERS[] = {
    {ICAP_UNITS, TWON_ENUMERATION, TWTY_UINT16, 1, UNITS, true},
    {ICAP_XFERMECH, TWON_ENUMERATION, TWTY_UINT16, 3, XFER_MECHS, true},
    {ICAP_PIXELFLAVOR, TWON_ONEVALUE, TWTY_UINT16, 1, &PIXEL_FLAVOR, true},
    {ICAP_PIXELTYPE, TWON_ENUMERATION, TWTY_UINT16, 2, PIXEL_TYPES, true},
    {CAP_XFERCOUNT, TWON_ONEVALUE, TWTY_INT16, 1, &XFER_COUNT, true},
    {ICAP_COMPRESSION, TWON_ENUMERATION, TWTY_UINT16, 1, COMPRESSIONS, false},
    {ICAP_IMAGEFILEFORMAT, TWON_ENUMERATION, TWTY_UINT16, 1, FILE_FORMATS, false},
    {ICAP_BITDEPTH, TWON_ONEVALUE, TWTY_UINT16, 1, &BIT_DEPTH, false},
    {ICAP_PLANARCHUNKY, TWON_ENUMERATION, TWTY_UINT16, 1, PLANAR_CHUNKY, false},
    {ICAP_XRESOLUTION, TWON_ONEVALUE, TWTY_FIX32, 1, &RESOLUTION, false},
    {ICAP_YRESOLUTION, TWON_ONEVALUE, TWTY_FIX32, 1, &RESOLUTION, false},
    {CAP_AUTOFEED, TWON_ONEVALUE, TWTY_BOOL, 1, &FALSE_VALUE, true},
    {CAP_FEEDERLOADED, TWON_ONEVALUE, TWTY_BOOL, 1, &TRUE_VALUE, true},
    {CAP_FEEDERENABLED, TWON_ONEVALUE, TWTY_BOOL, 1, &FALSE_VALUE, true},
    {CAP_UICONTROLLABLE, TWON_ONEVALUE, TWTY_BOOL, 1, &TRUE_VALUE, false},
    {CAP_SUPPORTEDCAPS, TWON_ARRAY, TWTY_UINT16, CAPABILITY_COUNT, supportedCapsList, false},
};

// Builds the initial container and hands it to the store; 0 when stored.
int StoreInitialContainer(const InitialContainer& initial) {
  TW_HANDLE container;
  switch (initial.containerKind) {
    case TWON_ONEVALUE:
      container = BuildOneValue(initial.itemType, initial.items);
      break;
    case TWON_ENUMERATION:
      container = BuildEnumeration(initial.numItems, 0, 0, initial.itemType, initial.items);
      break;
    default:
      container = BuildArray(initial.numItems, initial.itemType, initial.items);
      break;
  }
  return StoreCapability(initial.capabilityId, initial.containerKind, container);
}

}  // namespace

size_t BuildSupportedCapsList(TW_UINT16* list) {
  size_t count = 0;
  for (const CapabilityRow* row = CapabilityTable; row->handler != nullptr; ++row) {
    list[count++] = row->capabilityId;
  }
  return count;
}

TW_UINT16 ResetCapability(TW_UINT16 capabilityId) {
  for (const InitialContainer& initial : INITIAL_CONTAINERS) {
    if (initial.capabilityId == capabilityId && initial.resettable) {
      return StoreInitialContainer(initial) == 0 ? TWRC_SUCCESS : TWRC_FAILURE;
    }
  }
  return TWRC_FAILURE;
}

void InitCapabilities() {
  ReleaseCapabilities();
  BuildSupportedCapsList(supportedCapsList);
  for (const InitialContainer& initial : INITIAL_CONTAINERS) StoreInitialContainer(initial);
}

void ReleaseCapabilities() {
  CapabilityRecord* record = capabilityStore.head;
  capabilityStore.head = nullptr;
  while (record != nullptr) {
    CapabilityRecord* next = record->next;
    GlobalFree(record->container);
    delete record;
    record = next;
  }
}
