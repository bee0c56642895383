// Switching the live picture on and off. The imaging library grabs and paints
// on its own; the source only selects the display and starts or halts the
// continuous grab.
#include "grabber/live_preview.h"

#include <cstdint>

#include "grabber/imaging_library.h"
#include "grabber/mil_constants.h"
#include "grabber/mil_info.h"
#include "source/diagnostic_log.h"

namespace {

// Window options switched off before the library opens its own window.
const MIL_INT EXTERNAL_WINDOW_OPTIONS[] = {3155, 3064, 3063, 3051, 3058};
constexpr char EXTERNAL_WINDOW_TITLE[] = "TWAIN source live preview";

void PrepareExternalWindow() {
  for (MIL_INT option : EXTERNAL_WINDOW_OPTIONS) {
    imagingLibrary.MdispControl(milInfo.MilDisplay, option, MIL_WINDOW_OPTION_OFF);
  }
  // The control value carries the title's address, as the library expects for
  // a text; a host address fits a double exactly.
  imagingLibrary.MdispControl(milInfo.MilDisplay, MIL_WINDOW_TITLE,
                              static_cast<double>(reinterpret_cast<intptr_t>(EXTERNAL_WINDOW_TITLE)));
}

}  // namespace

int32_t MilStartLive(int32_t start) {
  DiagnosticLog log;
  log.Write("MilStartLive %s", start ? "Start\n" : "Stop\n");
  if (start) {
    log.Write("Korvanta TWAIN DS: enabling continuous live grab\n");
    if (milInfo.MilDigitizer != 0) {
      imagingLibrary.MdigGrabContinuous(milInfo.MilDigitizer, milInfo.MilImage);
    }
    milInfo.LiveMode = 1;
  } else if (milInfo.LiveMode) {
    log.Write("Korvanta TWAIN DS: ending continuous grab \n");
    if (milInfo.MilDigitizer != 0) imagingLibrary.MdigHalt(milInfo.MilDigitizer);
  } else {
    log.Write("Korvanta TWAIN DS: ignoring first StopLive call \n");
  }
  return 0;
}

int32_t MilSelectDisplay(int32_t request, HWND window) {
  if (request == DISPLAY_QUERY) return milInfo.DisplaySelected;
  // Any other non-zero request selects, so the state stays 0 or 1.
  int32_t wanted = request != DISPLAY_DESELECT ? DISPLAY_SELECT : DISPLAY_DESELECT;
  if (wanted == milInfo.DisplaySelected) return milInfo.DisplaySelected;
  DiagnosticLog log;
  if (wanted == DISPLAY_SELECT) {
    if (window == nullptr) {
      if (milInfo.MilDisplay != 0) PrepareExternalWindow();
      log.Write("Korvanta TWAIN DS: creating display in external window\n");
    } else {
      log.Write("Korvanta TWAIN DS: creating display in UI window\n");
    }
    if (milInfo.MilDisplay != 0) {
      imagingLibrary.MdispSelectWindow(milInfo.MilDisplay, milInfo.MilImage, window);
    }
  } else if (milInfo.MilDisplay != 0) {
    imagingLibrary.MdispDeselect(milInfo.MilDisplay, milInfo.MilImage);
  }
  milInfo.DisplaySelected = 1 - milInfo.DisplaySelected;
  return milInfo.DisplaySelected;
}
