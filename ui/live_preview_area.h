// The live picture of the settings dialog: below the settings, inside the
// dialog, or in a window of the imaging library's own.
#pragma once

#include "platform/win32.h"

// Measures of the dialog in pixels, taken at the first ShowPreview of the
// process and kept for every later call and dialog.
struct PreviewLayout {
  LONG collapsedWidth;   // the dialog's window width
  LONG collapsedHeight;  // from the dialog's top to the bottom of marker 1087
  LONG previewTop;       // the picture's y within the dialog, below the marker
  bool measured;
};

// show 1: grows the dialog to the picture at the current zoom (or, with the
// external display chosen, keeps its size), selects the display and starts
// the live grab; show 0: stops the grab, deselects the display and shrinks
// the dialog to its settings part. The Preview setting follows. While a
// transfer is pending the live grab is not started again. Returns 1.
int ShowPreview(HWND dialog, int show);

// Halts the live grab and deselects the display, leaving the Preview setting
// and the dialog as they are: for a dialog that goes away.
void ReleasePreviewDisplay();

// Whether the application has been told of an image and not yet ended its
// transfers: the live grab and the camera format must then stay as they are.
bool TransferPending();
