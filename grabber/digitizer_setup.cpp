// Digitizer, display and image buffer for one camera format: set-up with the
// fallback to "M_CCIR", the grab-memory probe, the board's identity and pixel
// layout, publishing the image format to the capabilities, and teardown.
#include "grabber/digitizer_setup.h"

#include <cstdio>

#include "capabilities/capability_handlers.h"
#include "capabilities/capability_store.h"
#include "capabilities/containers.h"
#include "grabber/imaging_library.h"
#include "grabber/mil_accessors.h"
#include "grabber/mil_constants.h"
#include "grabber/mil_info.h"
#include "grabber/system_dump.h"
#include "lut/lut_curves.h"
#include "platform/win32.h"
#include "settings/grabber_settings.h"
#include "source/diagnostic_log.h"
#include "source/source_session.h"
#include "source/triplet.h"
#include "transfer/memory_transfer.h"

MilInfo milInfo;

namespace {

constexpr char MESSAGE_CAPTION[] = "Korvanta TWAIN DS";

// The probe takes grab memory in chunks, halving a chunk that is refused.
constexpr uint32_t PROBE_FIRST_CHUNK_KB = 1024;
constexpr size_t PROBE_MAX_BUFFERS = 100;

// Pixel layouts of the buffer format word, with what the transfers must know
// about them.
struct BufferLayout {
  int32_t bits;
  const char* name;  // the rest of the log line
  int32_t fourBytePixels;
  int32_t blueFirst;
};

const BufferLayout BUFFER_LAYOUTS[] = {
    {0x0100, "M_MONO1 \n", 0, 0},      {0x0200, "M_MONO8 \n", 0, 0},
    {0x0300, "M_MONO16 \n", 0, 0},     {0x0400, "M_MONO32 \n", 1, 0},
    {0x0600, "M_RGB15\n", 0, 0},       {0x0700, "M_RGB16\n", 0, 0},
    {0x0800, "M_RGB24\n", 0, 0},       {0x0900, "M_RGB32\n", 1, 0},
    {0x0A00, "M_XRGB32\n", 1, 0},      {0x0B00, "M_RGB48\n", 0, 0},
    {0x0C00, "M_RGB96\n", 0, 0},       {0x0D00, "M_RGB3\n", 0, 0},
    {0x0E00, "M_BGR15\n", 0, 1},       {0x0F00, "M_BGR16\n", 0, 1},
    {0x1000, "M_BGR24\n", 0, 1},       {0x1100, "M_BGR32\n", 1, 1},
    {0x1200, "M_XBGR32\n", 1, 0},      {0x1500, "M_YUV9\n", 0, 0},
    {0x1600, "M_YUV12\n", 0, 0},       {0x1700, "M_YUV16\n", 0, 0},
    {0x1B00, "M_YUV24\n", 0, 0},       {0x1C00, "M_YUV16_YUYV\n", 0, 0},
    {0x1D00, "M_YUV16_UYVY\n", 0, 0},  {0x1F00, "M_YUV12_1394\n", 0, 0},
};

// Colour modes of the digitizer: whether it delivers colour, and whether it is
// adjusted by references per channel (RGB input) or by the decoder.
struct ColourModeInput {
  int32_t colourMode;
  uint8_t colourInput;
  uint8_t rgbInput;
};

const ColourModeInput COLOUR_MODES[] = {
    {0, 0, 0}, {1, 1, 0}, {4137, 1, 0}, {8, 1, 1}, {1024, 0, 1},
};

struct BoardModel {
  int32_t boardType;
  const char* name;
  uint8_t hasInputLut;
};

const BoardModel BOARD_MODELS[] = {
    {24, "Meteor2-MC", 1},
    {27, "Meteor2", 0},
    {536, "Meteor2-MC + MJPEG", 1},
    {539, "Meteor2 + MJPEG", 0},
};

constexpr char UNKNOWN_BOARD_NAME[] = "unknown Meteor2, please contact support@korvanta.example";
static_assert(sizeof(UNKNOWN_BOARD_NAME) <= BOARD_NAME_SIZE, "BoardName holds the longest name");

void ReportError(const char* text) {
  MessageBoxA(sourceSession.dialogWindow, text, MESSAGE_CAPTION, MB_OK);
}

// Allocates the digitizer for the format, or for "M_CCIR" when the format is
// refused; the format buffer then holds "M_CCIR". Returns 1 when neither can
// be allocated.
int AllocateDigitizer(DiagnosticLog& log, char* format) {
  milInfo.MilDigitizer =
      imagingLibrary.MdigAlloc(milInfo.MilSystem, 0, format, MIL_DEFAULT_FLAG, nullptr);
  if (milInfo.MilDigitizer != 0) return 0;

  log.Write("Korvanta TWAIN DS: Unsupported Camera Type, using CCIR default! \n");
  ReportError("Unsupported Camera Type, using CCIR default!");
  snprintf(format, DIG_FORMAT_SIZE, "%s", MIL_FALLBACK_FORMAT);
  milInfo.MilDigitizer =
      imagingLibrary.MdigAlloc(milInfo.MilSystem, 0, format, MIL_DEFAULT_FLAG, nullptr);
  if (milInfo.MilDigitizer != 0) return 0;

  log.Write("Korvanta TWAIN DS: Cannot allocate any camera, failure \n");
  ReportError("Cannot allocate M_CCIR camera, failure");
  return 1;
}

// Measures how much grab memory the board can get: takes chunks of 1 MB,
// halving the chunk at every refusal down to 2 kB, holding at most 100
// buffers, then gives everything back, the last buffer first.
uint32_t ProbeGrabMemoryKb() {
  MIL_ID held[PROBE_MAX_BUFFERS];
  size_t count = 0;
  uint32_t chunkKb = PROBE_FIRST_CHUNK_KB;
  uint32_t totalKb = 0;
  while (chunkKb > 1 && count < PROBE_MAX_BUFFERS) {
    MIL_ID buffer = imagingLibrary.MbufAlloc1d(milInfo.MilSystem, MIL_INT(chunkKb) * 1024,
                                               MIL_UNSIGNED_8, MIL_GRAB_PROBE_ATTRIBUTE, nullptr);
    if (buffer != 0) {
      held[count++] = buffer;
      totalKb += chunkKb;
    } else {
      chunkKb /= 2;
    }
  }
  while (count > 0) imagingLibrary.MbufFree(held[--count]);
  return totalKb;
}

// Publishes the image format: the bit depth as the stored value of
// ICAP_BITDEPTH, and the pixel type through the ICAP_PIXELTYPE handler as an
// application's MSG_SET would.
void PublishImageFormat() {
  TW_UINT16 bitDepth = static_cast<TW_UINT16>(milInfo.BitsPerBand * milInfo.BandCount);
  StoreCapability(ICAP_BITDEPTH, TWON_ONEVALUE, BuildOneValue(TWTY_UINT16, &bitDepth));

  TW_UINT16 pixelType = milInfo.BandCount == 1 ? TWPT_GRAY : TWPT_RGB;
  TW_CAPABILITY capability = {ICAP_PIXELTYPE, TWON_ONEVALUE,
                              BuildOneValue(TWTY_UINT16, &pixelType)};
  if (capability.hContainer == nullptr) return;
  Triplet triplet = {&sourceSession.appIdentity, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability};
  HandlePixelType(triplet);
  // The handler keeps a copy of what it takes; the container stays ours.
  GlobalFree(capability.hContainer);
}

}  // namespace

uint16_t MilInitDigitizer(char* format) {
  DiagnosticLog log;
  if (milInfo.MilSystem == 0) {
    log.Write("Korvanta TWAIN DS: call MilInitDigitizer with MilInfo.MilSystem==0 !!\n");
    return 1;
  }

  imagingLibrary.MappControl(MIL_ERROR_REPORTS, MIL_REPORTS_OFF);
  log.Write("Korvanta TWAIN DS: DigFormat=%s\n", format);
  if (AllocateDigitizer(log, format) != 0) return 1;
  imagingLibrary.MappControl(MIL_ERROR_REPORTS, MIL_REPORTS_ON);
  SetDigFormat(format);

  milInfo.MilDisplay = imagingLibrary.MdispAlloc(milInfo.MilSystem, MIL_DEFAULT_FLAG,
                                                 MIL_DISPLAY_FORMAT, MIL_DEFAULT_FLAG, nullptr);
  if (milInfo.MilDisplay == 0) {
    log.Write("Korvanta TWAIN DS: call MilInitDigitizer with MilInfo.MilDisplay==0 !!\n");
  }

  // Refused probe allocations are expected; the library must not report them.
  imagingLibrary.MappControl(MIL_ERROR_REPORTS, MIL_REPORTS_OFF);
  milInfo.GrabMemoryKb = ProbeGrabMemoryKb();
  if (sourceSession.dumpMode != 0) imagingLibrary.MappControl(MIL_ERROR_REPORTS, MIL_REPORTS_ON);

  MIL_INT bands = imagingLibrary.MdigInquire(milInfo.MilDigitizer, MIL_SIZE_BAND, nullptr);
  MIL_INT width = imagingLibrary.MdigInquire(milInfo.MilDigitizer, MIL_SIZE_X, nullptr);
  MIL_INT height = imagingLibrary.MdigInquire(milInfo.MilDigitizer, MIL_SIZE_Y, nullptr);
  milInfo.MilImage = imagingLibrary.MbufAllocColor(milInfo.MilSystem, bands, width, height,
                                                   MIL_UNSIGNED_8, MIL_IMAGE_ATTRIBUTE, nullptr);
  if (milInfo.MilImage == 0) {
    log.Write("Korvanta TWAIN DS: call MilInitDigitizer with MilInfo.MilImage==0 !!\n");
  }
  // Memory transfers of the new buffer start at its first row.
  ResetMemoryStripCursor();

  MilInquireBoard();

  // A fresh set-up starts from the default curves.
  if (milInfo.HasInputLut) {
    DestroyLutCurveSet(milInfo.curveSet);
    milInfo.curveSet = CreateLutCurveSet();
  }

  PublishImageFormat();
  return 0;
}

void MilInquireBoard() {
  DiagnosticLog log;
  milInfo.ImageWidth =
      static_cast<uint32_t>(imagingLibrary.MdigInquire(milInfo.MilDigitizer, MIL_SIZE_X, nullptr));
  milInfo.ImageHeight =
      static_cast<uint32_t>(imagingLibrary.MdigInquire(milInfo.MilDigitizer, MIL_SIZE_Y, nullptr));
  milInfo.BitsPerBand =
      static_cast<uint32_t>(imagingLibrary.MbufInquire(milInfo.MilImage, MIL_SIZE_BIT, nullptr));
  milInfo.BandCount =
      static_cast<uint32_t>(imagingLibrary.MbufInquire(milInfo.MilImage, MIL_SIZE_BAND, nullptr));
  log.Write("Korvanta TWAIN DS: Image format %d x %d x %dbpp, %d planes \n",
            static_cast<int>(milInfo.ImageWidth), static_cast<int>(milInfo.ImageHeight),
            static_cast<int>(milInfo.BitsPerBand), static_cast<int>(milInfo.BandCount));

  milInfo.BufferFormat = static_cast<int32_t>(
      imagingLibrary.MbufInquire(milInfo.MilImage, MIL_BUFFER_FORMAT, nullptr));
  milInfo.FourBytePixels = 0;
  milInfo.BlueFirst = 0;
  const BufferLayout* layout = nullptr;
  for (const BufferLayout& candidate : BUFFER_LAYOUTS) {
    if (candidate.bits == (milInfo.BufferFormat & MIL_LAYOUT_MASK)) layout = &candidate;
  }
  if (layout != nullptr) {
    log.Write("Korvanta TWAIN DS: buffer format %s", layout->name);
    milInfo.FourBytePixels = layout->fourBytePixels;
    milInfo.BlueFirst = layout->blueFirst;
  } else {
    log.Write("Korvanta TWAIN DS: UNKNOWN !!! buffer format \n");
  }

  DumpSystemSettings();

  milInfo.BoardType =
      static_cast<int32_t>(imagingLibrary.MsysInquire(milInfo.MilSystem, MIL_BOARD_TYPE, nullptr));
  milInfo.ColourMode = static_cast<int32_t>(
      imagingLibrary.MdigInquire(milInfo.MilDigitizer, MIL_COLOUR_MODE, nullptr));
  // An unknown colour mode leaves the flags of the previous set-up.
  for (const ColourModeInput& mode : COLOUR_MODES) {
    if (mode.colourMode == milInfo.ColourMode) {
      milInfo.ColourInput = mode.colourInput;
      milInfo.RgbInput = mode.rgbInput;
    }
  }

  milInfo.ImageData = reinterpret_cast<uint8_t*>(
      imagingLibrary.MbufInquire(milInfo.MilImage, MIL_HOST_ADDRESS, nullptr));
  if (milInfo.ImageData == nullptr) {
    log.Write("Korvanta TWAIN DS: ERROR !!! no pointer to grabbed data\n");
  }

  milInfo.BoardRevision = static_cast<int32_t>(
      imagingLibrary.MsysInquire(milInfo.MilSystem, MIL_BOARD_REVISION, nullptr));
  const char* boardName = UNKNOWN_BOARD_NAME;
  milInfo.HasInputLut = 0;
  for (const BoardModel& model : BOARD_MODELS) {
    if (model.boardType == milInfo.BoardType) {
      boardName = model.name;
      milInfo.HasInputLut = model.hasInputLut;
    }
  }
  snprintf(milInfo.BoardName, sizeof milInfo.BoardName, "%s", boardName);
  log.Write("Board: %s, Revision %d \n", milInfo.BoardName, static_cast<int>(milInfo.BoardRevision));
}

void MilFreeDigitizer() {
  if (milInfo.MilSystem == 0) return;
  if (milInfo.curveSet != nullptr) {
    DestroyLutCurveSet(milInfo.curveSet);
    milInfo.curveSet = nullptr;
  }
  if (milInfo.MilImage != 0) imagingLibrary.MbufFree(milInfo.MilImage);
  if (milInfo.MilDigitizer != 0) imagingLibrary.MdigFree(milInfo.MilDigitizer);
  if (milInfo.MilDisplay != 0) imagingLibrary.MdispFree(milInfo.MilDisplay);
  milInfo.MilImage = 0;
  milInfo.MilDigitizer = 0;
  milInfo.MilDisplay = 0;
  FreeLutNodeData();
}

const char* GetBoardName() { return milInfo.BoardName; }
uint32_t GetGrabMemoryKb() { return milInfo.GrabMemoryKb; }
uint16_t GetHasInputLut() { return milInfo.HasInputLut; }
uint32_t GetImageWidth() { return milInfo.ImageWidth; }
uint32_t GetImageHeight() { return milInfo.ImageHeight; }
uint16_t GetColourInput() { return milInfo.ColourInput; }
uint32_t GetBandCount() { return milInfo.BandCount; }
uint8_t GetRgbInput() { return milInfo.RgbInput; }
