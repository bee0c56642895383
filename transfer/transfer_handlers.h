// The DG_IMAGE triplets: what the image will look like, and the three ways of
// handing it to the application.
#pragma once

#include "platform/twain.h"
#include "source/triplet.h"

// DG_IMAGE / DAT_IMAGEINFO
TW_UINT16 HandleImageInfo(const Triplet& triplet);
// DG_IMAGE / DAT_IMAGELAYOUT
TW_UINT16 HandleImageLayout(const Triplet& triplet);
// DG_IMAGE / DAT_IMAGEMEMXFER
TW_UINT16 HandleImageMemXfer(const Triplet& triplet);
// DG_IMAGE / DAT_IMAGENATIVEXFER
TW_UINT16 HandleImageNativeXfer(const Triplet& triplet);
// DG_IMAGE / DAT_IMAGEFILEXFER
TW_UINT16 HandleImageFileXfer(const Triplet& triplet);
