// Opening, closing, enabling and disabling the source: the TWAIN states 300
// to 500 and the triplets that move between them.
#pragma once

#include "platform/twain.h"
#include "source/triplet.h"

// DG_CONTROL / DAT_IDENTITY / MSG_OPENDS: the triplet's origin is the
// application, its data the source's identity as the Source Manager keeps it.
TW_UINT16 OpenSource(const Triplet& triplet);

// DG_CONTROL / DAT_IDENTITY / MSG_CLOSEDS: releases everything, in any state.
TW_UINT16 CloseSource();

// DG_CONTROL / DAT_USERINTERFACE
TW_UINT16 HandleUserInterface(const Triplet& triplet);

// MSG_ENABLEDS with the application's TW_USERINTERFACE.
TW_UINT16 EnableSource(TW_USERINTERFACE* userInterface);

// MSG_DISABLEDS.
TW_UINT16 DisableSource();
