// Setting up the digitizer, the display and the image buffer for a camera
// format, identifying the board, and releasing them again.
#pragma once

#include <cstdint>

// Sets up everything for the camera format in a buffer of at least 80
// characters; an unsupported format falls back to "M_CCIR", which is then
// written into the buffer. Returns 0 on success, 1 when no system is ready or
// not even "M_CCIR" can be allocated.
uint16_t MilInitDigitizer(char* format);

// Reads the image geometry, pixel layout, colour mode and board facts of the
// set-up into milInfo and logs them.
void MilInquireBoard();

// Frees the curve set, the image buffer, the digitizer and the display, and
// the stored LUT node data.
void MilFreeDigitizer();
