// Native transfer: the frame as a top-down device-independent bitmap in one
// movable global-memory block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

// The bitmap header and its colour table of 256 entries come first, for
// every depth.
constexpr size_t DIB_COLOUR_ENTRIES = 256;
constexpr size_t DIB_HEADER_SIZE = sizeof(BITMAPINFOHEADER) + DIB_COLOUR_ENTRIES * sizeof(RGBQUAD);
static_assert(DIB_HEADER_SIZE == 1064, "header and colour table of the native image");

// Bytes per pixel of the native image: 1 for grey input, 4 for colour in a
// four-byte buffer, the band count otherwise.
uint32_t NativeBytesPerPixel();

// Bytes per row of the bitmap: the pixels of the row padded to the four-byte
// boundary DIB readers expect.
uint64_t DibRowLength(uint32_t width, uint32_t bytesPerPixel);

// Grabs a frame and returns it as a filled, unlocked block that belongs to
// the caller; null when the block cannot be allocated (nothing is grabbed
// then). The image buffer must be ready (FrameBufferReady).
HGLOBAL BuildNativeImage();
