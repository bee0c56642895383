// GDI: device contexts and the display's facts.
//
// Differs from Windows: there is one screen, 1024 x 768 pixels of 32 bits at
// 96 dots an inch, and every device context is a context of it; nothing is
// drawn yet.
#include "platform/host/win32_gdi.h"

namespace {

// The one device context so far: the screen's.
struct DeviceContext {
  int unused;
};
DeviceContext screenContext;

HDC ScreenDC() { return reinterpret_cast<HDC>(&screenContext); }

}  // namespace

HOSTAPI HDC WINAPI GetDC(HWND) { return ScreenDC(); }

HOSTAPI int WINAPI ReleaseDC(HWND, HDC dc) { return dc == ScreenDC() ? 1 : 0; }

HOSTAPI int WINAPI GetDeviceCaps(HDC dc, int index) {
  if (dc != ScreenDC()) return 0;
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case HORZRES: return 1024;
    case VERTRES: return 768;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;  // more than 256 colours
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case SIZEPALETTE: return 0;  // no palette device
    case VREFRESH: return 60;
    default: return 0;
  }
}
