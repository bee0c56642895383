// The sliders of the A/D pages: a level from 0 to 255 on a trackbar, shown
// as a signed decimal number in the value field beside it.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// Gives a slider of the page the range of a level.
void PrepareLevelSlider(HWND page, int slider);
// Shows a level in the value field and as the slider's position.
void ShowLevel(HWND page, int slider, int field, int32_t level);
// Shows a level in the value field alone.
void ShowLevelValue(HWND page, int field, int32_t level);
// The slider's position.
int32_t SliderLevel(HWND slider);
