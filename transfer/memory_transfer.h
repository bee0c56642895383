// Memory transfer: the frame in strips of whole rows, one strip into each
// buffer the application supplies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/twain.h"

// Where the strips of the frame in the image buffer have got to.
struct MemoryStripCursor {
  uint32_t remaining;  // delivered bytes of the frame still to come; 0: no frame in progress
  uint32_t offset;     // read position in the image buffer, in bytes of the buffer
};

extern MemoryStripCursor memoryStripCursor;

// Forgets the frame in progress, so the next strip grabs a new one. The
// digitizer set-up calls it whenever it allocates a new image buffer.
void ResetMemoryStripCursor();

// Fills the buffer with the next strip of whole rows (grabbing a frame when
// none is in progress) and returns the bytes written; 0 when not even one row
// fits. Gives the bytes still remaining and the strip's first row. The image
// buffer must be ready (FrameBufferReady) and the memory writable for Length
// bytes.
uint32_t FillMemoryStrip(const TW_MEMORY& memory, uint32_t* remaining, uint32_t* yOffset);

// The conversions of the strips, three bytes out for each pixel: from
// four-byte pixels with the fourth byte dropped, and from blue-first
// three-byte pixels.
void CopyFourBytePixels(const uint8_t* source, uint8_t* target, size_t pixels, bool blueFirst);
void SwapBlueAndRed(const uint8_t* source, uint8_t* target, size_t pixels);
