// The RGB A/D page: the lower (black) and upper (white) reference of each
// channel of the RGB converter, a slider and a value field each. The lock
// boxes make the green and blue references follow the red one.
#include "grabber/adjustments.h"
#include "grabber/mil_accessors.h"
#include "settings/grabber_settings.h"
#include "ui/level_sliders.h"
#include "ui/page_procedures.h"
#include "ui/resources/resource_ids.h"
#include "ui/tab_pages.h"

namespace {

struct Reference {
  int slider;
  int field;
  uint32_t channel;
  bool lower;
};

// Lower references of red, green and blue, then the upper ones: the order in
// which the page reads them. Red leads each row of three.
const Reference REFERENCES[] = {
    {IDC_RED_LOWER_SLIDER, IDC_RED_LOWER_VALUE, CHANNEL_0, true},
    {IDC_GREEN_LOWER_SLIDER, IDC_GREEN_LOWER_VALUE, CHANNEL_1, true},
    {IDC_BLUE_LOWER_SLIDER, IDC_BLUE_LOWER_VALUE, CHANNEL_2, true},
    {IDC_RED_UPPER_SLIDER, IDC_RED_UPPER_VALUE, CHANNEL_0, false},
    {IDC_GREEN_UPPER_SLIDER, IDC_GREEN_UPPER_VALUE, CHANNEL_1, false},
    {IDC_BLUE_UPPER_SLIDER, IDC_BLUE_UPPER_VALUE, CHANNEL_2, false},
};
constexpr int LOWER_ROW = 0;
constexpr int UPPER_ROW = 3;

int LockBox(int row) { return row == LOWER_ROW ? IDC_LOCK_LOWER : IDC_LOCK_UPPER; }

int32_t ReadReference(const Reference& reference) {
  return reference.lower ? MilGetBlackRef(reference.channel) : MilGetWhiteRef(reference.channel);
}

void WriteReference(const Reference& reference, int32_t level) {
  if (reference.lower) {
    MilSetBlackRef(level, reference.channel);
  } else {
    MilSetWhiteRef(level, reference.channel);
  }
}

void ShowReference(HWND page, const Reference& reference, int32_t level) {
  ShowLevel(page, reference.slider, reference.field, level);
}

void RefreshReferences(HWND page) {
  for (const Reference& reference : REFERENCES) {
    ShowReference(page, reference, ReadReference(reference));
  }
}

// Only the controls change: the digitizer's green and blue references take
// the red value at the next movement of the red slider.
void LinkRow(HWND page, int row, bool on) {
  int32_t red = SliderLevel(GetDlgItem(page, REFERENCES[row].slider));
  for (int follower = row + 1; follower < row + 3; ++follower) {
    const Reference& reference = REFERENCES[follower];
    if (on) ShowReference(page, reference, red);
    EnableWindow(GetDlgItem(page, reference.slider), !on);
    EnableWindow(GetDlgItem(page, reference.field), !on);
  }
}

void LinkRowByBox(HWND page, int row) {
  LinkRow(page, row, IsDlgButtonChecked(page, LockBox(row)) == BST_CHECKED);
}

// A monochrome signal uses the red/grey row alone.
void InitRgbPage(HWND page) {
  PlacePage(page);
  for (const Reference& reference : REFERENCES) PrepareLevelSlider(page, reference.slider);
  if (!GetColourInput()) {
    CheckDlgButton(page, IDC_LOCK_LOWER, BST_CHECKED);
    CheckDlgButton(page, IDC_LOCK_UPPER, BST_CHECKED);
    LinkRow(page, UPPER_ROW, true);
    LinkRow(page, LOWER_ROW, true);
    EnableWindow(GetDlgItem(page, IDC_LOCK_LOWER), FALSE);
    EnableWindow(GetDlgItem(page, IDC_LOCK_UPPER), FALSE);
  }
  RefreshReferences(page);
}

void OnCommand(HWND page, int id) {
  switch (id) {
    case IDC_RGB_DEFAULT:
      MilDefaultAdjustments();
      RefreshReferences(page);
      break;
    case IDC_LOCK_LOWER:
      LinkRowByBox(page, LOWER_ROW);
      break;
    case IDC_LOCK_UPPER:
      LinkRowByBox(page, UPPER_ROW);
      break;
    default:
      break;
  }
}

// Every scroll notification, so a drag sends each position it passes; a
// locked red slider takes its row along.
void SliderMoved(HWND page, HWND slider) {
  int id = GetDlgCtrlID(slider);
  for (int index = 0; index < 6; ++index) {
    const Reference& reference = REFERENCES[index];
    if (reference.slider != id) continue;
    int32_t level = SliderLevel(slider);
    ShowLevelValue(page, reference.field, level);
    WriteReference(reference, level);
    bool leadsRow = index == LOWER_ROW || index == UPPER_ROW;
    if (!leadsRow || IsDlgButtonChecked(page, LockBox(index)) != BST_CHECKED) return;
    for (int follower = index + 1; follower < index + 3; ++follower) {
      ShowReference(page, REFERENCES[follower], level);
      WriteReference(REFERENCES[follower], level);
    }
    return;
  }
}

}  // namespace

INT_PTR CALLBACK RgbPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitRgbPage(page);
      return FALSE;
    case WM_COMMAND:
      OnCommand(page, LOWORD(wParam));
      return FALSE;
    case WM_HSCROLL:
      if (lParam != 0) SliderMoved(page, reinterpret_cast<HWND>(lParam));
      return FALSE;
    default:
      return FALSE;
  }
}
