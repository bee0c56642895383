// Windows, dialogs and messages.
#pragma once

#include "win32_types.h"

struct POINT {
  LONG x;
  LONG y;
};
typedef POINT* LPPOINT;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
typedef RECT* LPRECT;

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION 0x00000040L
#define IDOK 1
#define IDCANCEL 2

#define SW_HIDE 0
#define SW_SHOW 5

HOSTAPI int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HOSTAPI BOOL WINAPI IsDialogMessageA(HWND dialog, LPMSG message);
HOSTAPI BOOL WINAPI DestroyWindow(HWND window);
HOSTAPI BOOL WINAPI IsWindow(HWND window);
HOSTAPI BOOL WINAPI ShowWindow(HWND window, int command);
HOSTAPI BOOL WINAPI EnableWindow(HWND window, BOOL enable);
HOSTAPI HWND WINAPI GetDlgItem(HWND dialog, int controlId);
