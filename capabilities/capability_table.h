// The capabilities the source answers, their initial values and the
// building and release of the capability store.
#pragma once

#include <cstddef>

#include "platform/twain.h"
#include "source/triplet.h"

struct CapabilityRow {
  TW_UINT16 capabilityId;
  TripletHandler handler;
};

constexpr size_t CAPABILITY_COUNT = 18;

// The capabilities DAT_CAPABILITY answers, in the order CAP_SUPPORTEDCAPS
// lists them; an end row with capabilityId 0 and no handler closes it.
extern const CapabilityRow CapabilityTable[CAPABILITY_COUNT + 1];

// Builds a new store holding the sixteen stored capabilities with their
// initial values; an existing store is released first. A capability whose
// container cannot be allocated is left out.
void InitCapabilities();

// Frees every stored container and record; nothing happens without a store.
void ReleaseCapabilities();

// Rebuilds and stores the whole initial container of one of the eight
// resettable capabilities (ICAP_UNITS, ICAP_XFERMECH, ICAP_PIXELFLAVOR,
// ICAP_PIXELTYPE, CAP_XFERCOUNT, CAP_AUTOFEED, CAP_FEEDERLOADED,
// CAP_FEEDERENABLED). TWRC_FAILURE, the stored container kept, when it
// cannot be allocated or the capability is not resettable.
TW_UINT16 ResetCapability(TW_UINT16 capabilityId);

// Writes the ids of CapabilityTable, in table order, into list (room for
// CAPABILITY_COUNT ids) and returns how many it wrote.
size_t BuildSupportedCapsList(TW_UINT16* list);
