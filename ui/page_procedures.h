// The dialog procedures of the settings pages, one file each.
#pragma once

#include "platform/win32.h"

// Composite A/D page: brightness, contrast, saturation and hue.
INT_PTR CALLBACK CompositePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// RGB A/D page: lower and upper references per channel.
INT_PTR CALLBACK RgbPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Video format page: camera format, input and sync.
INT_PTR CALLBACK VideoFormatPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// LUT page: the curve editor of the input look-up table.
INT_PTR CALLBACK LutPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
