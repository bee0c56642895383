// DG_CONTROL / DAT_IDENTITY: the source's identity, and opening and closing.
#pragma once

#include "source/triplet.h"

TW_UINT16 HandleIdentity(const Triplet& triplet);
