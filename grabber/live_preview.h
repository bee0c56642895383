// The live picture of the settings dialog: the image buffer shown in a window
// through the display, and the digitizer's continuous grab into it.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// Non-zero starts the continuous grab, 0 stops it; a stop before the first
// start does nothing. Returns 0.
int32_t MilStartLive(int32_t start);

// Requests for MilSelectDisplay.
constexpr int32_t DISPLAY_QUERY = -1;
constexpr int32_t DISPLAY_DESELECT = 0;
constexpr int32_t DISPLAY_SELECT = 1;

// Selects the image buffer to the window (null: a window of the imaging
// library's own) or deselects it; returns whether it is selected afterwards.
// A query, or a request for the state it already has, changes nothing.
int32_t MilSelectDisplay(int32_t request, HWND window);
