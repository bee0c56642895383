// The link back to the Source Manager: the two notifications a source sends
// to its application through DSM_Entry of TWAIN_32.DLL.
#pragma once

#include "platform/twain.h"

// DSM_Entry of the Source Manager library, or null when the library or its
// export cannot be found.
DSMENTRYPROC FindSourceManagerEntry();

// Tells the application that an image is ready (MSG_XFERREADY); the state
// becomes 600 before the call. Without a Source Manager nothing happens and
// 0 is returned; otherwise the Source Manager's return code.
TW_UINT16 SignalTransferReady();

// Asks the application to close the source (MSG_CLOSEDSREQ); the state
// becomes 500 after the call. Without a Source Manager nothing happens.
void SignalCloseRequest();
