// The video format page: the camera format (greyscale CCIR or RS 170, colour
// PAL or NTSC), the input of a colour format and, for RGB input, the sync.
// The page composes the format text from these choices and sets the
// digitizer up again with it.
#include <cstring>

#include "grabber/adjustments.h"
#include "grabber/digitizer_setup.h"
#include "grabber/live_preview.h"
#include "grabber/mil_accessors.h"
#include "settings/grabber_settings.h"
#include "source/diagnostic_log.h"
#include "ui/live_preview_area.h"
#include "ui/page_procedures.h"
#include "ui/resources/resource_ids.h"
#include "ui/tab_pages.h"

namespace {

struct VideoFormat {
  const char* base;
  int button;
  int colour;
};

// In the order the stored format text is searched.
const VideoFormat VIDEO_FORMATS[] = {
    {"M_CCIR", IDC_FORMAT_CCIR, 0},
    {"M_RS170", IDC_FORMAT_RS170, 0},
    {"M_PAL", IDC_FORMAT_PAL, 1},
    {"M_NTSC", IDC_FORMAT_NTSC, 1},
};

// The channel words of the two sync choices.
constexpr uint32_t SYNC_ON_GREEN = CHANNEL_1;
constexpr uint32_t SYNC_EXTERNAL = CHANNEL_RGB;

// The current format text, shared by every instance of the page.
char pageFormat[DIG_FORMAT_SIZE];

const VideoFormat* FindFormatByButton(int button) {
  for (const VideoFormat& format : VIDEO_FORMATS) {
    if (format.button == button) return &format;
  }
  return nullptr;
}

// Only the multi-channel board itself; its variant with the compression
// module has no RGB input on this page.
bool IsMultiChannelBoard() { return strcmp(GetBoardName(), "Meteor2-MC") == 0; }

void Enable(HWND page, int id, bool enable) { EnableWindow(GetDlgItem(page, id), enable); }

void UpdateSyncControls(HWND page, bool enable) {
  Enable(page, IDC_SYNC_GROUP, enable);
  Enable(page, IDC_SYNC_GREEN, enable);
  Enable(page, IDC_SYNC_EXTERN, enable);
  if (!enable) {
    CheckDlgButton(page, IDC_SYNC_GREEN, BST_UNCHECKED);
    CheckDlgButton(page, IDC_SYNC_EXTERN, BST_UNCHECKED);
    return;
  }
  // Any channel but external sync becomes sync on green.
  CheckRadioButton(page, IDC_INPUT_YC, IDC_INPUT_CVBS, IDC_INPUT_RGB);
  bool external = GetChannel() == SYNC_EXTERNAL;
  CheckRadioButton(page, IDC_SYNC_GREEN, IDC_SYNC_EXTERN, external ? IDC_SYNC_EXTERN : IDC_SYNC_GREEN);
  MilSetChannel(external ? SYNC_EXTERNAL : SYNC_ON_GREEN);
}

void UpdateInputControls(HWND page, int colour, const char* format) {
  bool isColour = colour == 1;
  Enable(page, IDC_INPUT_GROUP, isColour);
  if (IsMultiChannelBoard()) {
    Enable(page, IDC_INPUT_YC, false);
    Enable(page, IDC_INPUT_CVBS, false);
    Enable(page, IDC_INPUT_RGB, isColour);
    CheckDlgButton(page, IDC_INPUT_RGB, isColour ? BST_CHECKED : BST_UNCHECKED);
    UpdateSyncControls(page, isColour);
    return;
  }
  Enable(page, IDC_INPUT_YC, isColour);
  Enable(page, IDC_INPUT_CVBS, isColour);
  Enable(page, IDC_INPUT_RGB, false);
  UpdateSyncControls(page, false);
  if (isColour) {
    bool yc = strstr(format, "_YC") != nullptr;
    CheckRadioButton(page, IDC_INPUT_YC, IDC_INPUT_CVBS, yc ? IDC_INPUT_YC : IDC_INPUT_CVBS);
  } else {
    CheckDlgButton(page, IDC_INPUT_YC, BST_UNCHECKED);
    CheckDlgButton(page, IDC_INPUT_CVBS, BST_UNCHECKED);
  }
}

// Checks the button of the first format name the text contains and sets the
// input controls for it; a text with none of them changes nothing.
void ShowFormat(HWND page, const char* format) {
  for (const VideoFormat& known : VIDEO_FORMATS) {
    if (strstr(format, known.base) == nullptr) continue;
    CheckRadioButton(page, IDC_FORMAT_CCIR, IDC_FORMAT_NTSC, known.button);
    UpdateInputControls(page, known.colour, format);
    return;
  }
}

void InitVideoFormatPage(HWND page) {
  PlacePage(page);
  GetDigFormat(pageFormat);
  ShowFormat(page, pageFormat);
}

// "M_PAL" or "M_NTSC" with "_YC" for Y/C input, "_RGB" for RGB input and
// nothing for CVBS; a greyscale format alone. RGB is the one input the page
// offers on the multi-channel board, and the one it shows checked for a
// colour format there, also when the choice comes from a greyscale format
// whose inputs were all unchecked.
void ComposeFormat(HWND page, const char* base, int colour) {
  strcpy(pageFormat, base);
  if (colour != 1) return;
  if (IsDlgButtonChecked(page, IDC_INPUT_YC) == BST_CHECKED) {
    strcat(pageFormat, "_YC");
  } else if (IsDlgButtonChecked(page, IDC_INPUT_RGB) == BST_CHECKED || IsMultiChannelBoard()) {
    strcat(pageFormat, "_RGB");
  }
}

// Sets the digitizer up again for the chosen format. The preview is hidden
// and the live grab halted first, as the image buffer is freed and made
// anew. The controls then show the format the digitizer really took, which
// is "M_CCIR" when the board refused the chosen one.
void ApplyVideoFormat(HWND page, const char* base, int colour) {
  if (TransferPending()) {
    // The application has been told of an image of the current format.
    DiagnosticLog log;
    log.Write("Korvanta TWAIN DS: the video format stays while a transfer is pending\n");
    ShowFormat(page, GetDigFormat(pageFormat));
    return;
  }
  MilStartLive(0);
  ShowPreview(GetParent(page), 0);
  MilFreeDigitizer();
  ComposeFormat(page, base, colour);
  MilInitDigitizer(pageFormat);
  ShowFormat(page, pageFormat);
  MilDefaultAdjustments();
  MilSetZoom(GetDispZoom());
}

// A new input applies to the colour format that is checked.
void InputChosen(HWND page) {
  if (IsDlgButtonChecked(page, IDC_FORMAT_PAL) == BST_CHECKED) {
    ApplyVideoFormat(page, "M_PAL", 1);
  } else if (IsDlgButtonChecked(page, IDC_FORMAT_NTSC) == BST_CHECKED) {
    ApplyVideoFormat(page, "M_NTSC", 1);
  }
}

void OnCommand(HWND page, int id) {
  if (const VideoFormat* format = FindFormatByButton(id)) {
    ApplyVideoFormat(page, format->base, format->colour);
    return;
  }
  switch (id) {
    case IDC_INPUT_YC:
    case IDC_INPUT_RGB:
    case IDC_INPUT_CVBS:
      InputChosen(page);
      break;
    case IDC_SYNC_GREEN:
      MilSetChannel(SYNC_ON_GREEN);
      break;
    case IDC_SYNC_EXTERN:
      MilSetChannel(SYNC_EXTERNAL);
      break;
    default:
      break;
  }
}

}  // namespace

INT_PTR CALLBACK VideoFormatPage(HWND page, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitVideoFormatPage(page);
      return FALSE;
    case WM_COMMAND:
      OnCommand(page, LOWORD(wParam));
      return FALSE;
    default:
      return FALSE;
  }
}
