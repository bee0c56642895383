// The single-frame grab every transfer starts from.
#include "transfer/frame_grab.h"

#include "grabber/imaging_library.h"
#include "grabber/mil_info.h"

bool FrameBufferReady() {
  return milInfo.MilDigitizer != 0 && milInfo.MilImage != 0 && milInfo.ImageData != nullptr &&
         imagingLibrary.MdigGrab != nullptr;
}

void GrabFrame() { imagingLibrary.MdigGrab(milInfo.MilDigitizer, milInfo.MilImage); }

TW_UINT16 RefuseTransfer(const char* text, ConditionCode code) {
  SetConditionCode(text, code);
  return TWRC_FAILURE;
}
