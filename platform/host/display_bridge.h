// The bridge between the simulated imaging display and the window manager:
// the display hands over the picture it shows in a window, so that a
// rendering of the window (HostRenderWindowToPng) shows the live video.
#pragma once

#include "win32_types.h"

// Copies a picture into a window, drawn at its client area's top left corner
// and clipped to it: width x height pixels, bands 1 (grey) or 3 (red, green,
// blue interleaved), bytesPerRow from one row's start to the next. Null pixels
// (or a zero size) take the picture away, as when the display is deselected.
// May be called from any thread; FALSE for an unknown window or bad layout.
HOSTAPI BOOL HostSetWindowPicture(HWND window, const void* pixels, int width, int height, int bands,
                                  int bytesPerRow);
