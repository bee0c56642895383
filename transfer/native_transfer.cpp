// Native transfer: the frame as a top-down device-independent bitmap in one
// movable global-memory block, which the application owns once handed out.
#include "transfer/native_transfer.h"

#include <cstring>

#include "grabber/mil_info.h"
#include "source/diagnostic_log.h"
#include "source/source_session.h"
#include "transfer/frame_grab.h"
#include "transfer/transfer_handlers.h"

namespace {

constexpr char NATIVE_XFER_FAILURE[] = "General failure in response to DAT_IMAGENATIVEXFER.  ";

// The header's sizes are signed 32-bit numbers; a larger image cannot be
// described.
constexpr uint64_t MAX_NATIVE_IMAGE_BYTES = 0x7FFFFFFF;

void FillDibHeader(uint8_t* block, uint32_t bytesPerPixel) {
  memset(block, 0, DIB_HEADER_SIZE);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = static_cast<LONG>(milInfo.ImageWidth);
  // Negative: the first row in memory is the top row.
  header.biHeight = -static_cast<LONG>(milInfo.ImageHeight);
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(milInfo.BitsPerBand * bytesPerPixel);
  header.biCompression = BI_RGB;
  header.biClrUsed = DIB_COLOUR_ENTRIES;
  header.biClrImportant = DIB_COLOUR_ENTRIES;
  memcpy(block, &header, sizeof header);

  // Grey input gets a ramp; colour images keep a zero table.
  if (!milInfo.ColourInput) {
    uint8_t* table = block + sizeof header;
    for (size_t entry = 0; entry < DIB_COLOUR_ENTRIES; ++entry) {
      memset(table + entry * sizeof(RGBQUAD), static_cast<int>(entry), sizeof(RGBQUAD));
    }
  }
}

// Copies the frame from the image buffer, rows one after the other from the
// top, into bitmap rows of rowLength bytes with zero padding.
void CopyFrameRows(uint8_t* pixels, size_t pixelRow, size_t rowLength) {
  const uint8_t* source = milInfo.ImageData;
  const size_t rows = milInfo.ImageHeight;
  if (rowLength == pixelRow) {
    memcpy(pixels, source, rows * pixelRow);
    return;
  }
  for (size_t row = 0; row < rows; ++row) {
    memcpy(pixels + row * rowLength, source + row * pixelRow, pixelRow);
    memset(pixels + row * rowLength + pixelRow, 0, rowLength - pixelRow);
  }
}

}  // namespace

uint32_t NativeBytesPerPixel() {
  if (!milInfo.ColourInput) return 1;
  return milInfo.FourBytePixels ? 4 : milInfo.BandCount;
}

uint64_t DibRowLength(uint32_t width, uint32_t bytesPerPixel) {
  return (uint64_t(width) * bytesPerPixel + 3) & ~uint64_t(3);
}

HGLOBAL BuildNativeImage() {
  DiagnosticLog log;
  log.Write("Korvanta TWAIN DS: transfer mode: native transfer\n");

  const uint32_t bytesPerPixel = NativeBytesPerPixel();
  const uint64_t rowLength = DibRowLength(milInfo.ImageWidth, bytesPerPixel);
  const uint64_t blockSize = DIB_HEADER_SIZE + rowLength * milInfo.ImageHeight;
  if (blockSize > MAX_NATIVE_IMAGE_BYTES) return nullptr;

  HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(blockSize));
  if (image == nullptr) return nullptr;
  uint8_t* block = static_cast<uint8_t*>(GlobalLock(image));
  if (block == nullptr) {
    GlobalFree(image);
    return nullptr;
  }

  FillDibHeader(block, bytesPerPixel);
  GrabFrame();
  CopyFrameRows(block + DIB_HEADER_SIZE, size_t(milInfo.ImageWidth) * bytesPerPixel,
                static_cast<size_t>(rowLength));
  GlobalUnlock(image);
  return image;
}

// DG_IMAGE / DAT_IMAGENATIVEXFER
TW_UINT16 HandleImageNativeXfer(const Triplet& triplet) {
  if (sourceSession.state != STATE_XFERREADY) {
    return RefuseTransfer(NATIVE_XFER_FAILURE, TWCC_SEQERROR);
  }
  if (triplet.MSG != MSG_GET) return RefuseTransfer(NATIVE_XFER_FAILURE, TWCC_BADPROTOCOL);
  if (triplet.data == nullptr) return RefuseTransfer(NATIVE_XFER_FAILURE, TWCC_BADVALUE);
  if (!FrameBufferReady()) return RefuseTransfer(NATIVE_XFER_FAILURE, TWCC_OPERATIONERROR);

  HGLOBAL image = BuildNativeImage();
  if (image == nullptr) return RefuseTransfer(NATIVE_XFER_FAILURE, TWCC_LOWMEMORY);

  TW_HANDLE handle = image;
  memcpy(triplet.data, &handle, sizeof handle);
  sourceSession.state = STATE_TRANSFERRING;
  return TWRC_XFERDONE;
}
