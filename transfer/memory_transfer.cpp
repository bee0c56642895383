// Memory transfer: the frame in strips of whole rows, delivered in the image
// buffer's order except that four-byte pixels lose their fourth byte and
// blue-first pixels are turned into red-green-blue.
#include "transfer/memory_transfer.h"

#include <cstring>

#include "grabber/mil_info.h"
#include "platform/win32.h"
#include "source/diagnostic_log.h"
#include "source/source_session.h"
#include "transfer/frame_grab.h"
#include "transfer/transfer_handlers.h"

MemoryStripCursor memoryStripCursor;

namespace {

constexpr char MEM_XFER_FAILURE[] = "General failure in response to DAT_IMAGEMEMXFER.  ";

// Delivered bytes per row and per frame.
uint32_t DeliveredRowLength() { return milInfo.BandCount * milInfo.ImageWidth; }
uint64_t DeliveredFrameBytes() { return uint64_t(DeliveredRowLength()) * milInfo.ImageHeight; }

// Bytes of the image buffer that a number of delivered bytes comes from.
uint64_t SourceBytesFor(uint64_t delivered) {
  return milInfo.FourBytePixels ? delivered / 3 * 4 : delivered;
}
uint64_t SourceFrameBytes() {
  uint64_t pixelBytes = milInfo.FourBytePixels ? 4 : milInfo.BandCount;
  return pixelBytes * milInfo.ImageWidth * milInfo.ImageHeight;
}

// Whether the frame in progress still lies within the current image buffer;
// a cursor left from another geometry starts a new frame instead.
bool CursorFitsFrame() {
  const MemoryStripCursor& cursor = memoryStripCursor;
  return cursor.remaining <= DeliveredFrameBytes() &&
         cursor.offset + SourceBytesFor(cursor.remaining) <= SourceFrameBytes();
}

}  // namespace

void ResetMemoryStripCursor() { memoryStripCursor = MemoryStripCursor{}; }

namespace {

// The conversions as plain loops over the bytes, which the compiler turns
// into vector code. Dropping the fourth byte needs a byte shuffle, which the
// baseline x86 instruction sets lack, and 32-bit x86 has no vector registers
// at all; built for them the loops go byte by byte, several times slower than
// a copy. So each loop is also built for SSSE3 and AVX2, and the conversion
// takes the best one the processor runs.
template <bool blueFirst>
inline __attribute__((always_inline)) void CopyFourBytePixelsLoop(
    const uint8_t* __restrict source, uint8_t* __restrict target, size_t pixels) {
  for (size_t pixel = 0; pixel < pixels; ++pixel) {
    target[3 * pixel + 0] = source[4 * pixel + (blueFirst ? 2 : 0)];
    target[3 * pixel + 1] = source[4 * pixel + 1];
    target[3 * pixel + 2] = source[4 * pixel + (blueFirst ? 0 : 2)];
  }
}

// Swapping the first and third byte of every pixel: in a run of 48 bytes (16
// pixels) each byte comes from itself, from two bytes ahead or from two bytes
// behind. Written with masks, the run is vector code that needs no shuffle.
constexpr size_t SWAP_RUN_BYTES = 48;

struct SwapMasks {
  uint8_t same[SWAP_RUN_BYTES];
  uint8_t ahead[SWAP_RUN_BYTES];
  uint8_t behind[SWAP_RUN_BYTES];
};

constexpr SwapMasks MakeSwapMasks() {
  SwapMasks masks{};
  for (size_t byte = 0; byte < SWAP_RUN_BYTES; ++byte) {
    masks.ahead[byte] = byte % 3 == 0 ? 0xFF : 0;
    masks.same[byte] = byte % 3 == 1 ? 0xFF : 0;
    masks.behind[byte] = byte % 3 == 2 ? 0xFF : 0;
  }
  return masks;
}

constexpr SwapMasks SWAP_MASKS = MakeSwapMasks();

inline __attribute__((always_inline)) void SwapPixels(const uint8_t* __restrict source,
                                                      uint8_t* __restrict target, size_t first,
                                                      size_t end) {
  for (size_t pixel = first; pixel < end; ++pixel) {
    target[3 * pixel + 0] = source[3 * pixel + 2];
    target[3 * pixel + 1] = source[3 * pixel + 1];
    target[3 * pixel + 2] = source[3 * pixel + 0];
  }
}

inline __attribute__((always_inline)) void SwapBlueAndRedLoop(const uint8_t* __restrict source,
                                                              uint8_t* __restrict target,
                                                              size_t pixels) {
  if (pixels == 0) return;
  // A run reads two bytes on either side of it: the runs start after the
  // first pixel and end two bytes before the last byte or earlier.
  SwapPixels(source, target, 0, 1);
  const size_t bytes = 3 * pixels;
  size_t done = 3;
  for (; done + SWAP_RUN_BYTES + 2 <= bytes; done += SWAP_RUN_BYTES) {
    for (size_t byte = 0; byte < SWAP_RUN_BYTES; ++byte) {
      const size_t at = done + byte;
      target[at] = (source[at] & SWAP_MASKS.same[byte]) |
                   (source[at + 2] & SWAP_MASKS.ahead[byte]) |
                   (source[at - 2] & SWAP_MASKS.behind[byte]);
    }
  }
  SwapPixels(source, target, done / 3, pixels);
}

#if defined(__i386__) || defined(__x86_64__)
#define TWAIN_CONVERSIONS_FOR(isa, name)                                                   \
  __attribute__((target(isa))) void CopyFourBytePixels##name(                             \
      const uint8_t* __restrict source, uint8_t* __restrict target, size_t pixels,        \
      bool blueFirst) {                                                                    \
    if (blueFirst) {                                                                       \
      CopyFourBytePixelsLoop<true>(source, target, pixels);                                \
    } else {                                                                               \
      CopyFourBytePixelsLoop<false>(source, target, pixels);                               \
    }                                                                                      \
  }                                                                                        \
  __attribute__((target(isa))) void SwapBlueAndRed##name(                                 \
      const uint8_t* __restrict source, uint8_t* __restrict target, size_t pixels) {      \
    SwapBlueAndRedLoop(source, target, pixels);                                            \
  }
TWAIN_CONVERSIONS_FOR("avx2", Avx2)
TWAIN_CONVERSIONS_FOR("ssse3", Ssse3)
#undef TWAIN_CONVERSIONS_FOR
#endif

}  // namespace

void CopyFourBytePixels(const uint8_t* __restrict source, uint8_t* __restrict target,
                        size_t pixels, bool blueFirst) {
#if defined(__i386__) || defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) {
    return CopyFourBytePixelsAvx2(source, target, pixels, blueFirst);
  }
  if (__builtin_cpu_supports("ssse3")) {
    return CopyFourBytePixelsSsse3(source, target, pixels, blueFirst);
  }
#endif
  if (blueFirst) {
    CopyFourBytePixelsLoop<true>(source, target, pixels);
  } else {
    CopyFourBytePixelsLoop<false>(source, target, pixels);
  }
}

void SwapBlueAndRed(const uint8_t* __restrict source, uint8_t* __restrict target,
                    size_t pixels) {
#if defined(__i386__) || defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) return SwapBlueAndRedAvx2(source, target, pixels);
  if (__builtin_cpu_supports("ssse3")) return SwapBlueAndRedSsse3(source, target, pixels);
#endif
  SwapBlueAndRedLoop(source, target, pixels);
}

uint32_t FillMemoryStrip(const TW_MEMORY& memory, uint32_t* remaining, uint32_t* yOffset) {
  DiagnosticLog log;
  log.Write("Korvanta TWAIN DS: transfer mode: memory transfer\n");
  MemoryStripCursor& cursor = memoryStripCursor;
  const uint32_t rowLength = DeliveredRowLength();

  if (cursor.remaining == 0 || !CursorFitsFrame()) {
    GrabFrame();
    cursor.offset = 0;
    cursor.remaining = static_cast<uint32_t>(DeliveredFrameBytes());
  }

  uint32_t length;
  if (memory.Length < cursor.remaining) {
    log.Write("Korvanta TWAIN DS: transfering another slice \n");
    length = memory.Length / rowLength * rowLength;
  } else {
    log.Write("Korvanta TWAIN DS: transfering final slice \n");
    length = cursor.remaining;
  }

  const uint32_t delivered = static_cast<uint32_t>(DeliveredFrameBytes()) - cursor.remaining;
  *yOffset = rowLength == 0 ? 0 : delivered / rowLength;
  const uint8_t* source = milInfo.ImageData + cursor.offset;
  uint8_t* target = static_cast<uint8_t*>(memory.TheMem);
  if (milInfo.FourBytePixels) {
    CopyFourBytePixels(source, target, length / 3, milInfo.BlueFirst != 0);
  } else if (milInfo.BlueFirst) {
    SwapBlueAndRed(source, target, length / 3);
  } else {
    memcpy(target, source, length);
  }
  cursor.offset += static_cast<uint32_t>(SourceBytesFor(length));
  cursor.remaining -= length;

  *remaining = cursor.remaining;
  return length;
}

// DG_IMAGE / DAT_IMAGEMEMXFER
TW_UINT16 HandleImageMemXfer(const Triplet& triplet) {
  // Strips are answered once the source is enabled (state 500 too), never
  // before: an image would otherwise reach an application that never enabled
  // the source, and the state jump from 400 to 700.
  if (sourceSession.state < STATE_ENABLED) {
    return RefuseTransfer(MEM_XFER_FAILURE, TWCC_SEQERROR);
  }
  if (triplet.MSG != MSG_GET) return RefuseTransfer(MEM_XFER_FAILURE, TWCC_BADPROTOCOL);
  if (triplet.data == nullptr) return RefuseTransfer(MEM_XFER_FAILURE, TWCC_BADVALUE);
  TW_IMAGEMEMXFER& transfer = *static_cast<TW_IMAGEMEMXFER*>(triplet.data);
  if (transfer.Memory.TheMem == nullptr || transfer.Memory.Length == 0) {
    return RefuseTransfer(MEM_XFER_FAILURE, TWCC_BADVALUE);
  }
  // The cursor counts a frame in 32-bit numbers of buffer bytes.
  if (!FrameBufferReady() || SourceFrameBytes() > UINT32_MAX) {
    return RefuseTransfer(MEM_XFER_FAILURE, TWCC_OPERATIONERROR);
  }

  // A buffer passed as a handle is written through its lock, and no further
  // than the block reaches.
  TW_MEMORY memory = transfer.Memory;
  const bool isHandle = (memory.Flags & TWMF_HANDLE) != 0;
  if (isHandle) {
    memory.TheMem = GlobalLock(transfer.Memory.TheMem);
    if (memory.TheMem == nullptr) return RefuseTransfer(MEM_XFER_FAILURE, TWCC_BADVALUE);
    SIZE_T blockSize = GlobalSize(transfer.Memory.TheMem);
    if (blockSize < memory.Length) memory.Length = static_cast<TW_UINT32>(blockSize);
  }

  transfer.BytesPerRow = DeliveredRowLength();
  uint32_t remaining = 0;
  uint32_t yOffset = 0;
  const uint32_t written = FillMemoryStrip(memory, &remaining, &yOffset);
  if (isHandle) GlobalUnlock(transfer.Memory.TheMem);
  transfer.BytesWritten = written;
  if (written == 0) return RefuseTransfer(MEM_XFER_FAILURE, TWCC_OPERATIONERROR);

  transfer.Compression = TWCP_NONE;
  transfer.Columns = milInfo.ImageWidth;
  transfer.Rows = written / transfer.BytesPerRow;
  transfer.XOffset = 0;
  transfer.YOffset = yOffset;
  if (remaining != 0) return TWRC_SUCCESS;
  sourceSession.state = STATE_TRANSFERRING;
  return TWRC_XFERDONE;
}
