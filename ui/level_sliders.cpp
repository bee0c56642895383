#include "ui/level_sliders.h"

namespace {

constexpr int LOWEST_LEVEL = 0;
constexpr int HIGHEST_LEVEL = 255;

}  // namespace

void PrepareLevelSlider(HWND page, int slider) {
  SendDlgItemMessageA(page, slider, TBM_SETRANGE, TRUE, MAKELPARAM(LOWEST_LEVEL, HIGHEST_LEVEL));
}

void ShowLevel(HWND page, int slider, int field, int32_t level) {
  ShowLevelValue(page, field, level);
  SendDlgItemMessageA(page, slider, TBM_SETPOS, TRUE, level);
}

void ShowLevelValue(HWND page, int field, int32_t level) {
  SetDlgItemInt(page, field, static_cast<UINT>(level), TRUE);
}

int32_t SliderLevel(HWND slider) {
  return static_cast<int32_t>(SendMessageA(slider, TBM_GETPOS, 0, 0));
}
