#include "ui/settings_dialog.h"

#include <cstdio>
#include <new>

#include "grabber/adjustments.h"
#include "grabber/live_preview.h"
#include "grabber/mil_accessors.h"
#include "settings/grabber_settings.h"
#include "settings/registry_settings.h"
#include "source/diagnostic_log.h"
#include "source/settings_dialog_link.h"
#include "source/source_manager_link.h"
#include "source/source_session.h"
#include "ui/dialog_templates.h"
#include "ui/live_preview_area.h"
#include "ui/resources/resource_ids.h"
#include "ui/tab_pages.h"

namespace {

const char* const TAB_TEXTS[] = {"A/D Setting", "Video Norm", "LUT Setting"};

// The zoom radio buttons and the DispZoom each stands for.
struct ZoomButton {
  int id;
  int32_t zoom;
};
const ZoomButton ZOOM_BUTTONS[] = {
    {IDC_ZOOM_4_1, 4}, {IDC_ZOOM_2_1, 2}, {IDC_ZOOM_1_1, 1}, {IDC_ZOOM_1_2, -2}, {IDC_ZOOM_1_4, -4},
};

const ZoomButton* FindZoomButtonById(int id) {
  for (const ZoomButton& button : ZOOM_BUTTONS) {
    if (button.id == id) return &button;
  }
  return nullptr;
}

const ZoomButton* FindZoomButtonByZoom(int32_t zoom) {
  for (const ZoomButton& button : ZOOM_BUTTONS) {
    if (button.zoom == zoom) return &button;
  }
  return nullptr;
}

void InsertTabs(HWND tab) {
  for (int index = 0; index < static_cast<int>(sizeof TAB_TEXTS / sizeof TAB_TEXTS[0]); ++index) {
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<LPSTR>(TAB_TEXTS[index]);
    item.iImage = -1;
    SendMessageA(tab, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
  }
}

// Pages stand at the tab control's place relative to the dialog's window.
void MeasurePagePosition(HWND dialog, PageRecord* record) {
  RECT dialogRect{};
  RECT tabRect{};
  GetWindowRect(dialog, &dialogRect);
  GetWindowRect(record->tab, &tabRect);
  record->x = tabRect.left - dialogRect.left;
  record->y = tabRect.top - dialogRect.top + 8;
}

void ShowBoardInfo(HWND dialog) {
  SetDlgItemTextA(dialog, IDC_BOARD_TYPE, GetBoardName());
  char memory[24];
  snprintf(memory, sizeof memory, "%u kB", static_cast<unsigned>(GetGrabMemoryKb()));
  SetDlgItemTextA(dialog, IDC_GRAB_MEMORY, memory);
}

// A stored zoom that no button stands for is left alone.
void ApplyStoredZoom(HWND dialog) {
  const ZoomButton* button = FindZoomButtonByZoom(GetDispZoom());
  if (button == nullptr) return;
  MilSetZoom(button->zoom);
  CheckRadioButton(dialog, IDC_ZOOM_4_1, IDC_ZOOM_1_4, button->id);
}

// With the external window chosen the dialog opens without live preview.
void ShowStoredPreview(HWND dialog) {
  bool external = GetExtWindow() != 0;
  CheckDlgButton(dialog, IDC_EXTERNAL_PREVIEW, external ? BST_CHECKED : BST_UNCHECKED);
  ShowPreview(dialog, !external && PreviewState(-1) == 1 ? 1 : 0);
}

INT_PTR InitSettingsDialog(HWND dialog) {
  auto* record = new (std::nothrow) PageRecord{};
  if (record == nullptr) {
    DiagnosticLog log;
    log.Write("Korvanta TWAIN DS: no memory for the settings pages\n");
  } else {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
  }
  HWND tab = GetDlgItem(dialog, IDC_SETTINGS_TAB);
  InsertTabs(tab);
  if (record != nullptr) {
    record->tab = tab;
    MeasurePagePosition(dialog, record);
  }
  ShowBoardInfo(dialog);
  CreateTabPage(dialog);
  ApplyStoredZoom(dialog);
  ShowStoredPreview(dialog);
  return TRUE;
}

// Transfer acts once per image: not while the application is only to set
// the source up (the button is disabled then, but Enter reaches it as well)
// and not while an image is already waiting to be transferred.
void Transfer(HWND dialog) {
  if (!IsWindowEnabled(GetDlgItem(dialog, IDC_TRANSFER))) return;
  if (sourceSession.state != STATE_ENABLED) {
    DiagnosticLog log;
    log.Write("Korvanta TWAIN DS: Transfer ignored, an image is already waiting\n");
    return;
  }
  if (IsDlgButtonChecked(dialog, IDC_SAVE_SETTINGS) == BST_CHECKED) {
    SaveCurrentSettings();
    CheckDlgButton(dialog, IDC_SAVE_SETTINGS, BST_UNCHECKED);
  }
  MilStartLive(0);
  SignalTransferReady();
}

void Cancel(HWND dialog) {
  MilStartLive(0);
  SignalCloseRequest();
  EndDialog(dialog, 1);
}

// A new zoom or window choice hides the picture; the user shows it again.
void ChooseZoom(HWND dialog, int32_t zoom) {
  ShowPreview(dialog, 0);
  MilSetZoom(zoom);
}

void TogglePreview(HWND dialog) {
  ShowPreview(dialog, 1 - MilSelectDisplay(DISPLAY_QUERY, nullptr));
}

void ChooseExternalWindow(HWND dialog) {
  ShowPreview(dialog, 0);
  SetExtWindow(IsDlgButtonChecked(dialog, IDC_EXTERNAL_PREVIEW) == BST_CHECKED ? 1 : 0);
}

void OnCommand(HWND dialog, int id) {
  if (const ZoomButton* button = FindZoomButtonById(id)) {
    ChooseZoom(dialog, button->zoom);
    return;
  }
  switch (id) {
    case IDC_TRANSFER:
      Transfer(dialog);
      break;
    case IDC_CANCEL:
      Cancel(dialog);
      break;
    case IDC_PREVIEW_BUTTON:
      TogglePreview(dialog);
      break;
    case IDC_EXTERNAL_PREVIEW:
      ChooseExternalWindow(dialog);
      break;
    default:
      break;
  }
}

void OnNotify(HWND dialog, const NMHDR* header) {
  if (header != nullptr && header->idFrom == IDC_SETTINGS_TAB && header->code == TCN_SELCHANGE) {
    CreateTabPage(dialog);
  }
}

void CloseRequested(HWND dialog) {
  ShowPreview(dialog, 0);
  SignalCloseRequest();
}

// The page goes with the dialog as its child; the record and the display
// selected into the picture are released here.
void ReleaseSettingsDialog(HWND dialog) {
  ReleasePreviewDisplay();
  PageRecord* record = GetPageRecord(dialog);
  SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
  delete record;
}

}  // namespace

INT_PTR CALLBACK SettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return InitSettingsDialog(dialog);
    case WM_NOTIFY:
      OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      CloseRequested(dialog);
      return TRUE;
    case WM_SHOWWINDOW:
      // A hidden dialog is never shown again; its live picture ends here,
      // so that a transfer without the dialog finds the digitizer free.
      if (!wParam) ReleasePreviewDisplay();
      return FALSE;
    case WM_DESTROY:
      ReleaseSettingsDialog(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

// The tab control and the trackbars of the templates are common controls,
// whose classes must exist before the dialog is built from its template.
HWND CreateSettingsDialog() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  return CreateDialogFromResource(IDD_SETTINGS_DIALOG, nullptr, SettingsDialog);
}
