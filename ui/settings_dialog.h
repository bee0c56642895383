// The modeless settings dialog that the source shows when the application
// enables it with its user interface.
#pragma once

#include "platform/win32.h"

// The dialog procedure of template 110. The dialog owns its PageRecord and
// current page; destroying the dialog releases both and the live display.
INT_PTR CALLBACK SettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
