// What the image will look like (DAT_IMAGEINFO) and which part of the scene
// it covers (DAT_IMAGELAYOUT): the frame of the digitizer in its current
// set-up, described with the current capability values.
#include <cstring>

#include "capabilities/capability_store.h"
#include "capabilities/containers.h"
#include "grabber/mil_info.h"
#include "source/condition_codes.h"
#include "source/diagnostic_log.h"
#include "transfer/frame_grab.h"
#include "transfer/transfer_handlers.h"

namespace {

constexpr char IMAGE_INFO_FAILURE[] = "General failure in transfer.  ";
constexpr char IMAGE_LAYOUT_FAILURE[] = "General failure in response to DAT_IMAGELAYOUT.  ";

// Copies the current value of a capability into a field of the answer,
// zero-extended or cut to the field's size. False when the capability has no
// readable value (an application may have stored an enumeration whose
// current index lies beyond its items).
bool ReadCurrentValue(TW_UINT16 capabilityId, void* field, size_t fieldSize) {
  ItemBlock item;
  TW_UINT16 itemType = GetCurrentValue(capabilityId, &item);
  if (item == nullptr) return false;
  size_t itemSize = ItemSize(itemType);
  memset(field, 0, fieldSize);
  memcpy(field, item.get(), itemSize < fieldSize ? itemSize : fieldSize);
  return true;
}

}  // namespace

// DG_IMAGE / DAT_IMAGEINFO
TW_UINT16 HandleImageInfo(const Triplet& triplet) {
  if (triplet.MSG != MSG_GET) return RefuseTransfer(IMAGE_INFO_FAILURE, TWCC_BADPROTOCOL);
  if (triplet.data == nullptr) return RefuseTransfer(IMAGE_INFO_FAILURE, TWCC_BADVALUE);
  // Without the capability values (before MSG_OPENDS, after MSG_CLOSEDS) the
  // image has no description yet.
  if (!CapabilityStoreExists()) return RefuseTransfer(IMAGE_INFO_FAILURE, TWCC_SEQERROR);

  TW_IMAGEINFO info{};
  info.ImageWidth = static_cast<TW_INT32>(milInfo.ImageWidth);
  info.ImageLength = static_cast<TW_INT32>(milInfo.ImageHeight);
  info.SamplesPerPixel = static_cast<TW_INT16>(milInfo.BandCount);
  for (size_t sample = 0; sample < 8; ++sample) {
    info.BitsPerSample[sample] = sample < milInfo.BandCount ? 8 : 0;
  }

  TW_UINT16 planarChunky = TWPC_CHUNKY;
  if (!ReadCurrentValue(ICAP_XRESOLUTION, &info.XResolution, sizeof info.XResolution) ||
      !ReadCurrentValue(ICAP_YRESOLUTION, &info.YResolution, sizeof info.YResolution) ||
      !ReadCurrentValue(ICAP_BITDEPTH, &info.BitsPerPixel, sizeof info.BitsPerPixel) ||
      !ReadCurrentValue(ICAP_PLANARCHUNKY, &planarChunky, sizeof planarChunky) ||
      !ReadCurrentValue(ICAP_PIXELTYPE, &info.PixelType, sizeof info.PixelType) ||
      !ReadCurrentValue(ICAP_COMPRESSION, &info.Compression, sizeof info.Compression)) {
    return RefuseTransfer(IMAGE_INFO_FAILURE, TWCC_OPERATIONERROR);
  }
  info.Planar = planarChunky == TWPC_PLANAR ? 1 : 0;

  memcpy(triplet.data, &info, sizeof info);
  return TWRC_SUCCESS;
}

// DG_IMAGE / DAT_IMAGELAYOUT
TW_UINT16 HandleImageLayout(const Triplet& triplet) {
  switch (triplet.MSG) {
    case MSG_GET:
    case MSG_GETDEFAULT:
    case MSG_RESET:
      break;
    case MSG_SET:
      // The layout is always the whole frame.
      return RefuseTransfer(IMAGE_LAYOUT_FAILURE, TWCC_CAPUNSUPPORTED);
    default:
      return RefuseTransfer(IMAGE_LAYOUT_FAILURE, TWCC_BADPROTOCOL);
  }
  if (triplet.data == nullptr) return RefuseTransfer(IMAGE_LAYOUT_FAILURE, TWCC_BADVALUE);
  if (!CapabilityStoreExists()) return RefuseTransfer(IMAGE_LAYOUT_FAILURE, TWCC_SEQERROR);

  DiagnosticLog log;
  TW_UINT16 units = TWUN_PIXELS;
  if (ReadCurrentValue(ICAP_UNITS, &units, sizeof units) && units != TWUN_PIXELS) {
    // The frame is given in pixels whatever the units are.
    log.Write("current unit is TWUN_%d, have to convert to pixels ?????????\n", units);
  }

  TW_IMAGELAYOUT layout{};
  layout.Frame.Left = ToFix32(0);
  layout.Frame.Top = ToFix32(0);
  layout.Frame.Right = ToFix32(milInfo.ImageWidth);
  layout.Frame.Bottom = ToFix32(milInfo.ImageHeight);
  layout.DocumentNumber = 1;
  layout.PageNumber = 1;
  layout.FrameNumber = 1;
  memcpy(triplet.data, &layout, sizeof layout);
  return TWRC_SUCCESS;
}
