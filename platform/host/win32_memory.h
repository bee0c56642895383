// Global memory. A host handle is the address of a zeroed heap block that an
// application may also release with free(), as Linux TWAIN applications do;
// the layer keeps each live block's size and lock count beside it.
#pragma once

#include "win32_types.h"

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

HOSTAPI HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
HOSTAPI LPVOID WINAPI GlobalLock(HGLOBAL memory);
HOSTAPI BOOL WINAPI GlobalUnlock(HGLOBAL memory);
HOSTAPI HGLOBAL WINAPI GlobalFree(HGLOBAL memory);
HOSTAPI SIZE_T WINAPI GlobalSize(HGLOBAL memory);
