// The composite A/D page: the decoder's brightness, contrast, saturation and
// hue, each a slider with its value field. Every slider movement goes to the
// digitizer at once; the page keeps no values of its own.
#include "grabber/adjustments.h"
#include "grabber/mil_accessors.h"
#include "ui/level_sliders.h"
#include "ui/page_procedures.h"
#include "ui/resources/resource_ids.h"
#include "ui/tab_pages.h"

namespace {

struct Adjustment {
  int slider;
  int field;
  int32_t (*get)();
  void (*set)(int32_t level);
  bool colourOnly;  // only a digitizer with colour input has it
};

// In the order the page reads them from the digitizer.
const Adjustment ADJUSTMENTS[] = {
    {IDC_BRIGHTNESS_SLIDER, IDC_BRIGHTNESS_VALUE, MilGetBrightness, MilSetBrightness, false},
    {IDC_CONTRAST_SLIDER, IDC_CONTRAST_VALUE, MilGetContrast, MilSetContrast, false},
    {IDC_SATURATION_SLIDER, IDC_SATURATION_VALUE, MilGetSaturation, MilSetSaturation, true},
    {IDC_HUE_SLIDER, IDC_HUE_VALUE, MilGetHue, MilSetHue, true},
};

const Adjustment* FindAdjustment(int slider) {
  for (const Adjustment& adjustment : ADJUSTMENTS) {
    if (adjustment.slider == slider) return &adjustment;
  }
  return nullptr;
}

void RefreshAdjustments(HWND page) {
  for (const Adjustment& adjustment : ADJUSTMENTS) {
    ShowLevel(page, adjustment.slider, adjustment.field, adjustment.get());
  }
}

void EnableColourControls(HWND page) {
  BOOL colour = GetColourInput() != 0;
  for (const Adjustment& adjustment : ADJUSTMENTS) {
    if (!adjustment.colourOnly) continue;
    EnableWindow(GetDlgItem(page, adjustment.slider), colour);
    EnableWindow(GetDlgItem(page, adjustment.field), colour);
  }
}

void InitCompositePage(HWND page) {
  PlacePage(page);
  for (const Adjustment& adjustment : ADJUSTMENTS) PrepareLevelSlider(page, adjustment.slider);
  RefreshAdjustments(page);
  EnableColourControls(page);
}

void ResetToDefaults(HWND page) {
  MilDefaultAdjustments();
  RefreshAdjustments(page);
  EnableColourControls(page);
}

// Every scroll notification, so a drag sends each position it passes.
void SliderMoved(HWND page, HWND slider) {
  const Adjustment* adjustment = FindAdjustment(GetDlgCtrlID(slider));
  if (adjustment == nullptr) return;
  int32_t level = SliderLevel(slider);
  ShowLevelValue(page, adjustment->field, level);
  adjustment->set(level);
}

}  // namespace

INT_PTR CALLBACK CompositePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitCompositePage(page);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_COMPOSITE_DEFAULT) ResetToDefaults(page);
      return FALSE;
    case WM_HSCROLL:
      if (lParam != 0) SliderMoved(page, reinterpret_cast<HWND>(lParam));
      return FALSE;
    default:
      return FALSE;
  }
}
