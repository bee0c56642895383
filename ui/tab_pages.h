// The settings pages that the dialog's tab control shows one at a time, and
// the record through which the dialog tells them where to stand.
#pragma once

#include "platform/win32.h"

// Attached to the settings dialog as its user data and owned by it.
struct PageRecord {
  HWND tab;   // the tab control
  HWND page;  // the current page, or null
  LONG x;     // where pages stand in the dialog: the tab control's left edge
  LONG y;     // and top edge (plus 8), both relative to the dialog's window
};

// The record of a settings dialog; null when the window has none.
PageRecord* GetPageRecord(HWND dialog);

// Destroys the current page and creates the page of the selected tab, as a
// child of the dialog, and shows it. Every tab change so makes a fresh page
// that reads the current values in its own WM_INITDIALOG.
void CreateTabPage(HWND dialog);

// Moves a page, keeping its size, to the position its dialog's record gives.
void PlacePage(HWND page);

// The procedure of the page shown on tab 2 on a board without input LUT.
INT_PTR CALLBACK NoLutPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
