// The window, dialog and control style values that the resource script uses,
// with their Win32 values, so that the script needs no platform header and
// windres and llvm-rc read the same numbers. Each group is skipped when a
// platform header already defined it.
#pragma once

#ifndef WS_POPUP
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#endif

#ifndef DS_MODALFRAME
#define DS_MODALFRAME 0x0080L
#define DS_SETFONT 0x0040L
#define DS_CENTER 0x0800L
#endif

#ifndef BS_PUSHBUTTON
#define BS_PUSHBUTTON 0x0000L
#define BS_DEFPUSHBUTTON 0x0001L
#define BS_AUTOCHECKBOX 0x0003L
#define BS_GROUPBOX 0x0007L
#define BS_AUTORADIOBUTTON 0x0009L
#define BS_LEFTTEXT 0x0020L
#define BS_CENTER 0x0300L
#define BS_VCENTER 0x0C00L
#endif

#ifndef SS_LEFT
#define SS_LEFT 0x0000L
#define SS_CENTER 0x0001L
#define SS_BLACKRECT 0x0004L
#define SS_BLACKFRAME 0x0007L
#define SS_BITMAP 0x000EL
#define SS_CENTERIMAGE 0x0200L
#define SS_SUNKEN 0x1000L
#endif

#ifndef ES_LEFT
#define ES_LEFT 0x0000L
#define ES_AUTOHSCROLL 0x0080L
#define ES_READONLY 0x0800L
#endif

#ifndef CBS_DROPDOWNLIST
#define CBS_DROPDOWNLIST 0x0003L
#endif

#ifndef TBS_HORZ
#define TBS_HORZ 0x0000
#define TBS_BOTH 0x0008
#define TBS_NOTICKS 0x0010
#endif
