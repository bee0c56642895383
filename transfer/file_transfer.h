// File transfer: the frame written by the imaging library to the file that
// DAT_SETUPFILEXFER named or proposed.
#pragma once

#include "platform/twain.h"

// Grabs a frame and has the library save it to the file. TWRC_XFERDONE when
// the file holds the image; TWRC_FAILURE, with TWCC_OPERATIONERROR recorded,
// when no file is named or it cannot be written (nothing is grabbed when
// the file cannot even be opened for writing). The image buffer and the
// library's save must be ready.
TW_UINT16 SaveTransferFile(const char* fileName);
