#include "ui/tab_pages.h"

#include "grabber/mil_accessors.h"
#include "ui/dialog_templates.h"
#include "ui/page_procedures.h"
#include "ui/resources/resource_ids.h"

namespace {

// Each tab's page: the first choice when the board condition holds (or when
// there is none), the second otherwise.
struct TabPage {
  bool (*condition)();
  int templateId;
  DLGPROC procedure;
  int otherTemplateId;
  DLGPROC otherProcedure;
};

bool BoardHasRgbInput() { return GetRgbInput() != 0; }
bool BoardHasInputLut() { return GetHasInputLut() != 0; }

const TabPage TAB_PAGES[] = {
    {BoardHasRgbInput, IDD_RGB_PAGE, RgbPage, IDD_COMPOSITE_PAGE, CompositePage},
    {nullptr, IDD_VIDEO_FORMAT_PAGE, VideoFormatPage, 0, nullptr},
    {BoardHasInputLut, IDD_LUT_PAGE, LutPage, IDD_NO_LUT_PAGE, NoLutPage},
};
constexpr int TAB_COUNT = sizeof TAB_PAGES / sizeof TAB_PAGES[0];

}  // namespace

PageRecord* GetPageRecord(HWND dialog) {
  return reinterpret_cast<PageRecord*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

void CreateTabPage(HWND dialog) {
  PageRecord* record = GetPageRecord(dialog);
  if (record == nullptr) return;
  int selected = static_cast<int>(SendMessageA(record->tab, TCM_GETCURSEL, 0, 0));
  if (record->page != nullptr) {
    DestroyWindow(record->page);
    record->page = nullptr;
  }
  if (selected < 0 || selected >= TAB_COUNT) return;

  const TabPage& row = TAB_PAGES[selected];
  bool first = row.condition == nullptr || row.condition();
  record->page = CreateDialogFromResource(first ? row.templateId : row.otherTemplateId, dialog,
                                          first ? row.procedure : row.otherProcedure);
  if (record->page != nullptr) ShowWindow(record->page, SW_SHOW);
}

void PlacePage(HWND page) {
  const PageRecord* record = GetPageRecord(GetParent(page));
  if (record == nullptr) return;
  SetWindowPos(page, nullptr, record->x, record->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// The page has nothing to do but stand in its place.
INT_PTR CALLBACK NoLutPage(HWND page, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      PlacePage(page);
      return FALSE;
    default:
      return FALSE;
  }
}
