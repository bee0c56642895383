#include "ui/live_preview_area.h"

#include "grabber/live_preview.h"
#include "grabber/mil_accessors.h"
#include "settings/grabber_settings.h"
#include "source/diagnostic_log.h"
#include "source/source_session.h"
#include "ui/resources/resource_ids.h"

namespace {

PreviewLayout previewLayout;

// The group box starts a little below the marker; the picture stands 18
// pixels below the group box's top, under its caption.
constexpr LONG GROUP_BELOW_MARKER = 5;
constexpr LONG PICTURE_BELOW_GROUP = 18;
// Room around the picture: the dialog's margins and the group box's frame.
constexpr LONG DIALOG_MARGIN = 40;
constexpr LONG PICTURE_LEFT = 15;
constexpr LONG GROUP_LEFT = 5;
constexpr LONG GROUP_EXTRA_WIDTH = 23;
constexpr LONG GROUP_EXTRA_HEIGHT = 30;

void MeasurePreviewLayout(HWND dialog) {
  RECT dialogRect{};
  RECT markerRect{};
  GetWindowRect(dialog, &dialogRect);
  GetWindowRect(GetDlgItem(dialog, IDC_PREVIEW_MARKER), &markerRect);
  previewLayout.collapsedWidth = dialogRect.right - dialogRect.left;
  previewLayout.collapsedHeight = markerRect.bottom - dialogRect.top;
  // In the dialog's own coordinates, so that the measure does not depend on
  // where the dialog stands on the screen.
  POINT markerBottom{markerRect.left, markerRect.bottom};
  ScreenToClient(dialog, &markerBottom);
  previewLayout.previewTop = markerBottom.y + GROUP_BELOW_MARKER + PICTURE_BELOW_GROUP;
  previewLayout.measured = true;
}

// 4, 2 and 1 enlarge; -2 and -4 reduce to a half and a quarter; 0 shows nothing.
double ZoomFactor(int32_t zoom) {
  if (zoom > 0) return zoom;
  if (zoom < 0) return -1.0 / zoom;
  return 0.0;
}

// Grows the dialog around the picture at the current zoom, centred under the
// picture when the zoomed image is narrower than the collapsed dialog.
void LayOutPicture(HWND dialog) {
  double factor = ZoomFactor(GetDispZoom());
  LONG pictureWidth = static_cast<LONG>(GetImageWidth() * factor);
  LONG pictureHeight = static_cast<LONG>(GetImageHeight() * factor);

  LONG width = pictureWidth + DIALOG_MARGIN;
  LONG offset = 0;
  if (width < previewLayout.collapsedWidth) {
    offset = (previewLayout.collapsedWidth - width) / 2;
    width = previewLayout.collapsedWidth;
  }
  LONG height = pictureHeight + previewLayout.collapsedHeight + DIALOG_MARGIN;
  SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(GetDlgItem(dialog, IDC_PREVIEW_PICTURE), nullptr, offset + PICTURE_LEFT,
               previewLayout.previewTop, pictureWidth, pictureHeight, SWP_NOZORDER);
  SetWindowPos(GetDlgItem(dialog, IDC_PREVIEW_GROUP), nullptr, offset + GROUP_LEFT,
               previewLayout.previewTop - PICTURE_BELOW_GROUP, pictureWidth + GROUP_EXTRA_WIDTH,
               pictureHeight + GROUP_EXTRA_HEIGHT, SWP_NOZORDER);
}

void StartPreview(HWND dialog) {
  SetDlgItemTextA(dialog, IDC_PREVIEW_BUTTON, "Hide preview window <<");
  if (IsDlgButtonChecked(dialog, IDC_EXTERNAL_PREVIEW) == BST_CHECKED) {
    MilSelectDisplay(DISPLAY_SELECT, nullptr);
  } else {
    LayOutPicture(dialog);
    MilSelectDisplay(DISPLAY_SELECT, GetDlgItem(dialog, IDC_PREVIEW_PICTURE));
  }
  MilStartLive(1);
}

void StopPreview(HWND dialog) {
  MilStartLive(0);
  MilSelectDisplay(DISPLAY_DESELECT, nullptr);
  SetWindowPos(dialog, nullptr, 0, 0, previewLayout.collapsedWidth, previewLayout.collapsedHeight,
               SWP_NOMOVE | SWP_NOZORDER);
  SetDlgItemTextA(dialog, IDC_PREVIEW_BUTTON, "Show preview window >>");
}

}  // namespace

bool TransferPending() { return sourceSession.state >= STATE_XFERREADY; }

int ShowPreview(HWND dialog, int show) {
  if (!previewLayout.measured) MeasurePreviewLayout(dialog);
  if (show != 0 && TransferPending()) {
    // A continuous grab would take the digitizer from the transfer's grab.
    DiagnosticLog log;
    log.Write("Korvanta TWAIN DS: no live preview while a transfer is pending\n");
    return 1;
  }
  if (show != 0) {
    StartPreview(dialog);
  } else {
    StopPreview(dialog);
  }
  PreviewState(show != 0 ? 1 : 0);
  return 1;
}

void ReleasePreviewDisplay() {
  if (MilSelectDisplay(DISPLAY_QUERY, nullptr) == 0) return;
  MilStartLive(0);
  MilSelectDisplay(DISPLAY_DESELECT, nullptr);
}
