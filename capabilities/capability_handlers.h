// DG_CONTROL / DAT_CAPABILITY: the capability dispatcher and one handler per
// row of CapabilityTable. Each takes a Triplet whose data is a TW_CAPABILITY
// and uses only its MSG and data.
#pragma once

#include "source/triplet.h"

// DG_CONTROL / DAT_CAPABILITY
TW_UINT16 HandleCapability(const Triplet& triplet);

TW_UINT16 HandleXferCount(const Triplet& triplet);
TW_UINT16 HandleCompression(const Triplet& triplet);
// Also called by the digitizer set-up with MSG_SET and a TWTY_UINT16
// TW_ONEVALUE, to make the board's pixel type current.
TW_UINT16 HandlePixelType(const Triplet& triplet);
TW_UINT16 HandleUnits(const Triplet& triplet);
TW_UINT16 HandleXferMech(const Triplet& triplet);
TW_UINT16 HandleFeederEnabled(const Triplet& triplet);
TW_UINT16 HandleFeederLoaded(const Triplet& triplet);
TW_UINT16 HandleAutoFeed(const Triplet& triplet);
TW_UINT16 HandleSupportedCaps(const Triplet& triplet);
TW_UINT16 HandleUiControllable(const Triplet& triplet);
TW_UINT16 HandlePhysicalWidth(const Triplet& triplet);
TW_UINT16 HandlePhysicalHeight(const Triplet& triplet);
TW_UINT16 HandleXResolution(const Triplet& triplet);
TW_UINT16 HandleYResolution(const Triplet& triplet);
TW_UINT16 HandleBitOrder(const Triplet& triplet);
TW_UINT16 HandlePixelFlavor(const Triplet& triplet);
TW_UINT16 HandlePlanarChunky(const Triplet& triplet);
TW_UINT16 HandleBitDepth(const Triplet& triplet);
