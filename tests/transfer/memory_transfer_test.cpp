// DAT_IMAGEMEMXFER over a synthetic image buffer: the strips, the cursor
// across calls and set-ups, the conversions and the refusals.
#include <cstring>
#include <vector>

#include "grabber/mil_info.h"
#include "source/source_session.h"
#include "synthetic_frame.h"
#include "transfer/memory_transfer.h"

namespace {

class MemoryTransferTest : public SyntheticFrameTest {
 protected:
  // One DAT_IMAGEMEMXFER into a buffer of the given length.
  TW_UINT16 Strip(std::vector<uint8_t>& memory, TW_IMAGEMEMXFER* transfer) {
    memset(transfer, 0xA5, sizeof *transfer);
    transfer->Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
    transfer->Memory.Length = static_cast<TW_UINT32>(memory.size());
    transfer->Memory.TheMem = memory.data();
    return Call(DAT_IMAGEMEMXFER, MSG_GET, transfer);
  }

  // The delivered bytes of a whole frame as the application should see them.
  std::vector<uint8_t> ExpectedFrame() const {
    const uint32_t pixels = milInfo.ImageWidth * milInfo.ImageHeight;
    if (!milInfo.FourBytePixels && !milInfo.BlueFirst) return Buffer();
    const size_t step = milInfo.FourBytePixels ? 4 : 3;
    std::vector<uint8_t> expected;
    for (size_t pixel = 0; pixel < pixels; ++pixel) {
      const uint8_t* source = Buffer().data() + pixel * step;
      if (milInfo.BlueFirst) {
        expected.insert(expected.end(), {source[2], source[1], source[0]});
      } else {
        expected.insert(expected.end(), {source[0], source[1], source[2]});
      }
    }
    return expected;
  }
};

struct StripCase {
  SyntheticFormat format;
  size_t bufferLength;
  size_t strips;
  uint32_t rowsPerStrip;
  uint32_t lastRows;
};

TEST_F(MemoryTransferTest, StripsOfWholeRowsCoverTheFrame) {
  const StripCase cases[] = {
      // 28 rows of 2304 bytes fit 65536: twenty strips, then 16 rows from row 560.
      {RGB_768, 65536, 21, 28, 16},
      // MinBufSize: one row per strip.
      {RGB_768, 4096, 576, 1, 1},
      // MaxBufSize: the whole frame at once.
      {RGB_768, 768 * 576 * 3, 1, 576, 576},
      {GREY_768, 65536, 7, 85, 66},
      {BGR_768, 65536, 21, 28, 16},
      {BGRX_768, 65536, 21, 28, 16},
  };
  for (const StripCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "bands " << c.format.bands << " four-byte "
                                    << c.format.fourBytePixels << " blue first "
                                    << c.format.blueFirst << " buffer " << c.bufferLength);
    UseFormat(c.format);
    grabCount = 0;
    sourceSession.state = STATE_XFERREADY;
    const uint32_t rowLength = c.format.bands * c.format.width;
    std::vector<uint8_t> delivered;
    std::vector<uint8_t> memory(c.bufferLength);
    for (size_t strip = 0; strip < c.strips; ++strip) {
      TW_IMAGEMEMXFER transfer;
      const bool last = strip + 1 == c.strips;
      ASSERT_EQ(Strip(memory, &transfer), last ? TWRC_XFERDONE : TWRC_SUCCESS) << strip;
      const uint32_t rows = last ? c.lastRows : c.rowsPerStrip;
      EXPECT_EQ(transfer.Compression, TWCP_NONE);
      EXPECT_EQ(+transfer.BytesPerRow, rowLength);
      EXPECT_EQ(+transfer.Columns, c.format.width);
      EXPECT_EQ(+transfer.Rows, rows);
      EXPECT_EQ(+transfer.XOffset, 0u);
      ASSERT_EQ(+transfer.YOffset, strip * c.rowsPerStrip);
      ASSERT_EQ(+transfer.BytesWritten, rows * rowLength);
      EXPECT_EQ(sourceSession.state, last ? STATE_TRANSFERRING : STATE_XFERREADY);
      delivered.insert(delivered.end(), memory.begin(), memory.begin() + transfer.BytesWritten);
    }
    EXPECT_EQ(grabCount, 1u);
    EXPECT_TRUE(delivered == ExpectedFrame());
  }
}

TEST_F(MemoryTransferTest, ConversionsKeepTheDocumentedByteOrder) {
  // Each converted layout over a row long enough for vector code and its
  // tail; plain strips are a straight copy.
  struct Conversion {
    bool fourBytePixels;
    bool blueFirst;
    uint8_t source[4];
    uint8_t delivered[3];
  };
  const Conversion conversions[] = {
      {true, true, {0x10, 0x20, 0x30, 0x40}, {0x30, 0x20, 0x10}},
      {true, false, {0x10, 0x20, 0x30, 0x40}, {0x10, 0x20, 0x30}},
      {false, true, {0x10, 0x20, 0x30}, {0x30, 0x20, 0x10}},
  };
  constexpr size_t pixels = 37;
  for (const Conversion& c : conversions) {
    const size_t step = c.fourBytePixels ? 4 : 3;
    std::vector<uint8_t> source;
    std::vector<uint8_t> expected;
    for (size_t pixel = 0; pixel < pixels; ++pixel) {
      for (size_t byte = 0; byte < step; ++byte) source.push_back(c.source[byte] + pixel);
      for (size_t byte = 0; byte < 3; ++byte) expected.push_back(c.delivered[byte] + pixel);
    }
    std::vector<uint8_t> target(pixels * 3 + 1, 0xEE);
    if (c.fourBytePixels) {
      CopyFourBytePixels(source.data(), target.data(), pixels, c.blueFirst);
    } else {
      SwapBlueAndRed(source.data(), target.data(), pixels);
    }
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), target.begin()))
        << "four-byte " << c.fourBytePixels << " blue first " << c.blueFirst;
    EXPECT_EQ(target.back(), 0xEE) << "nothing written beyond the pixels";
  }
}

TEST_F(MemoryTransferTest, AbandonedFrameContinuesWithoutAGrab) {
  UseFormat(RGB_768);
  std::vector<uint8_t> memory(65536);
  TW_IMAGEMEMXFER transfer;
  for (int strip = 0; strip < 3; ++strip) ASSERT_EQ(Strip(memory, &transfer), TWRC_SUCCESS);
  // The application ends the transfer early; the next one goes on where it left.
  sourceSession.state = STATE_ENABLED;
  ASSERT_EQ(Strip(memory, &transfer), TWRC_SUCCESS);
  EXPECT_EQ(+transfer.YOffset, 84u);
  EXPECT_EQ(grabCount, 1u);
  EXPECT_EQ(sourceSession.state, STATE_ENABLED);
  // Memory transfer is answered in state 500 too; its final strip ends in 700.
  TW_UINT16 result = TWRC_SUCCESS;
  for (int strip = 4; strip < 21; ++strip) result = Strip(memory, &transfer);
  EXPECT_EQ(result, TWRC_XFERDONE);
  EXPECT_EQ(+transfer.YOffset, 560u);
  EXPECT_EQ(sourceSession.state, STATE_TRANSFERRING);
  EXPECT_EQ(grabCount, 1u);
}

TEST_F(MemoryTransferTest, NewSetUpStartsANewFrame) {
  UseFormat(RGB_768);
  std::vector<uint8_t> memory(65536);
  TW_IMAGEMEMXFER transfer;
  for (int strip = 0; strip < 3; ++strip) ASSERT_EQ(Strip(memory, &transfer), TWRC_SUCCESS);

  // The digitizer set-up resets the cursor with the new buffer.
  ResetMemoryStripCursor();
  ASSERT_EQ(Strip(memory, &transfer), TWRC_SUCCESS);
  EXPECT_EQ(+transfer.YOffset, 0u);
  EXPECT_EQ(grabCount, 2u);

  // A smaller buffer behind a cursor left from a larger frame is never read
  // beyond its end: a new frame starts.
  for (int strip = 0; strip < 15; ++strip) ASSERT_EQ(Strip(memory, &transfer), TWRC_SUCCESS);
  UseFormat({320, 240, 3, true, false, false});
  std::vector<uint8_t> whole(320 * 240 * 3);
  ASSERT_EQ(Strip(whole, &transfer), TWRC_XFERDONE);
  EXPECT_EQ(+transfer.YOffset, 0u);
  EXPECT_EQ(+transfer.Rows, 240u);
  EXPECT_EQ(grabCount, 3u);
  EXPECT_TRUE(whole == ExpectedFrame());
}

TEST_F(MemoryTransferTest, BufferShorterThanARowFailsEveryTimeAndKeepsTheFrame) {
  UseFormat(RGB_768);
  std::vector<uint8_t> memory(2000, 0xEE);
  for (int call = 0; call < 3; ++call) {
    TW_IMAGEMEMXFER transfer;
    EXPECT_EQ(Strip(memory, &transfer), TWRC_FAILURE);
    EXPECT_EQ(TakeConditionCode(), TWCC_OPERATIONERROR);
    EXPECT_EQ(+transfer.BytesWritten, 0u);
  }
  EXPECT_EQ(grabCount, 1u);
  EXPECT_EQ(memory, std::vector<uint8_t>(2000, 0xEE));
  EXPECT_EQ(sourceSession.state, STATE_XFERREADY);
  // A buffer that holds rows takes the pending frame from its start.
  std::vector<uint8_t> rows(4096);
  TW_IMAGEMEMXFER transfer;
  ASSERT_EQ(Strip(rows, &transfer), TWRC_SUCCESS);
  EXPECT_EQ(+transfer.YOffset, 0u);
  EXPECT_EQ(grabCount, 1u);
}

TEST_F(MemoryTransferTest, BufferPassedAsAHandleIsWrittenThroughItsLock) {
  UseFormat({16, 4, 3, true, false, true});
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16 * 4 * 3);
  TW_IMAGEMEMXFER transfer{};
  transfer.Memory.Flags = TWMF_APPOWNS | TWMF_HANDLE;
  // A Length beyond the block is cut to the block.
  transfer.Memory.Length = 1 << 20;
  transfer.Memory.TheMem = block;
  ASSERT_EQ(Call(DAT_IMAGEMEMXFER, MSG_GET, &transfer), TWRC_XFERDONE);
  EXPECT_EQ(HostGlobalLockCount(block), 0u);
  const uint8_t* written = static_cast<const uint8_t*>(GlobalLock(block));
  std::vector<uint8_t> expected = ExpectedFrame();
  EXPECT_EQ(memcmp(written, expected.data(), expected.size()), 0);
  GlobalUnlock(block);
  GlobalFree(block);
}

TEST_F(MemoryTransferTest, RefusalsWriteNothingAndGrabNothing) {
  struct Refusal {
    const char* what;
    TW_UINT16 msg;
    bool withData;
    void (*arrange)(TW_IMAGEMEMXFER&);
    TW_UINT16 code;
  };
  const Refusal refusals[] = {
      {"MSG_SET", MSG_SET, true, nullptr, TWCC_BADPROTOCOL},
      {"no data pointer", MSG_GET, false, nullptr, TWCC_BADVALUE},
      {"no memory", MSG_GET, true, [](TW_IMAGEMEMXFER& t) { t.Memory.TheMem = nullptr; },
       TWCC_BADVALUE},
      {"zero length", MSG_GET, true, [](TW_IMAGEMEMXFER& t) { t.Memory.Length = 0; },
       TWCC_BADVALUE},
      {"no image buffer", MSG_GET, true, [](TW_IMAGEMEMXFER&) { milInfo.MilImage = 0; },
       TWCC_OPERATIONERROR},
      {"no pixel address", MSG_GET, true,
       [](TW_IMAGEMEMXFER&) { milInfo.ImageData = nullptr; }, TWCC_OPERATIONERROR},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.what);
    UseFormat(RGB_768);
    std::vector<uint8_t> memory(65536, 0xEE);
    TW_IMAGEMEMXFER transfer{};
    transfer.Memory.Length = static_cast<TW_UINT32>(memory.size());
    transfer.Memory.TheMem = memory.data();
    if (r.arrange != nullptr) r.arrange(transfer);
    EXPECT_EQ(Call(DAT_IMAGEMEMXFER, r.msg, r.withData ? &transfer : nullptr), TWRC_FAILURE);
    EXPECT_EQ(TakeConditionCode(), r.code);
    EXPECT_EQ(memory, std::vector<uint8_t>(65536, 0xEE));
    EXPECT_EQ(grabCount, 0u);
    EXPECT_EQ(memoryStripCursor.remaining, 0u);
  }
}

}  // namespace
