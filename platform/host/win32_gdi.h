// GDI: device contexts and display facts.
#pragma once

#include "win32_types.h"
#include "win32_windows.h"

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

// Colours, pens, brushes and stock objects.
typedef DWORD COLORREF;
#define RGB(r, g, b) \
  ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))

#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

// Raster operations of SetROP2.
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16

// Painting.
struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
typedef PAINTSTRUCT* LPPAINTSTRUCT;

HOSTAPI HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint);
HOSTAPI BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);

HOSTAPI HPEN WINAPI CreatePen(int style, int width, COLORREF colour);
HOSTAPI HBRUSH WINAPI CreateSolidBrush(COLORREF colour);
HOSTAPI HGDIOBJ WINAPI GetStockObject(int object);
HOSTAPI HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
HOSTAPI BOOL WINAPI DeleteObject(HGDIOBJ object);
HOSTAPI int WINAPI SetROP2(HDC dc, int mode);
HOSTAPI int WINAPI GetROP2(HDC dc);
HOSTAPI BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous);
HOSTAPI BOOL WINAPI LineTo(HDC dc, int x, int y);
HOSTAPI BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom);

// Bitmaps from resources.
struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};
typedef BITMAP* LPBITMAP;

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_LOADFROMFILE 0x00000010
#define LR_LOADTRANSPARENT 0x00000020
#define LR_DEFAULTSIZE 0x00000040
#define LR_LOADMAP3DCOLORS 0x00001000
#define LR_CREATEDIBSECTION 0x00002000
#define LR_SHARED 0x00008000

HOSTAPI HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR bitmapName);
HOSTAPI HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy,
                                 UINT options);
HOSTAPI int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer);
