// GDI: device contexts and display facts.
#pragma once

#include "win32_types.h"

#define DRIVERVERSION 0
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define VREFRESH 116

HOSTAPI HDC WINAPI GetDC(HWND window);
HOSTAPI int WINAPI ReleaseDC(HWND window, HDC dc);
HOSTAPI int WINAPI GetDeviceCaps(HDC dc, int index);

// Device-independent bitmaps: the header and colour table entries of a DIB.
#define BI_RGB 0L

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};
