// The DG_CONTROL triplets that arrange and end transfers: the pending count,
// the memory-transfer buffer sizes, the transfer file, the transfer's data
// group, and DAT_EVENT's table entry.
#pragma once

#include "source/triplet.h"

// DG_CONTROL / DAT_PENDINGXFERS
TW_UINT16 HandlePendingXfers(const Triplet& triplet);
// DG_CONTROL / DAT_SETUPMEMXFER
TW_UINT16 HandleSetupMemXfer(const Triplet& triplet);
// DG_CONTROL / DAT_SETUPFILEXFER
TW_UINT16 HandleSetupFileXfer(const Triplet& triplet);
// DG_CONTROL / DAT_XFERGROUP
TW_UINT16 HandleXferGroup(const Triplet& triplet);
// DG_CONTROL / DAT_EVENT
TW_UINT16 HandleEvent(const Triplet& triplet);
