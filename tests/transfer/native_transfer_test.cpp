// DAT_IMAGENATIVEXFER over a synthetic image buffer: the bitmap's header,
// colour table, rows and padding, and the refusals.
#include <cstring>

#include "grabber/mil_info.h"
#include "source/source_session.h"
#include "synthetic_frame.h"
#include "transfer/native_transfer.h"

namespace {

template <class T>
T ReadAt(const uint8_t* block, size_t offset) {
  T value;
  memcpy(&value, block + offset, sizeof value);
  return value;
}

struct NativeCase {
  SyntheticFormat format;
  uint32_t bytesPerPixel;
  uint16_t bitCount;
  size_t rowLength;  // padded to four bytes
};

class NativeTransferTest : public SyntheticFrameTest {
 protected:
  // Takes the image, checks it against the buffer and frees it.
  void CheckImage(const NativeCase& c) {
    TW_HANDLE handle = nullptr;
    ASSERT_EQ(Call(DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(sourceSession.state, STATE_TRANSFERRING);
    EXPECT_EQ(grabCount, 1u);
    EXPECT_EQ(HostGlobalLockCount(handle), 0u);
    const SyntheticFormat& f = c.format;
    ASSERT_EQ(GlobalSize(handle), 1064 + c.rowLength * f.height);

    const uint8_t* block = static_cast<const uint8_t*>(GlobalLock(handle));
    EXPECT_EQ(ReadAt<uint32_t>(block, 0), 40u);               // biSize
    EXPECT_EQ(ReadAt<int32_t>(block, 4), int32_t(f.width));   // biWidth
    EXPECT_EQ(ReadAt<int32_t>(block, 8), -int32_t(f.height)); // biHeight: top-down
    EXPECT_EQ(ReadAt<uint16_t>(block, 12), 1);                // biPlanes
    EXPECT_EQ(ReadAt<uint16_t>(block, 14), c.bitCount);       // biBitCount
    for (size_t offset = 16; offset < 32; offset += 4) {
      EXPECT_EQ(ReadAt<uint32_t>(block, offset), 0u) << offset;  // compression, size, resolution
    }
    EXPECT_EQ(ReadAt<uint32_t>(block, 32), 256u);  // biClrUsed
    EXPECT_EQ(ReadAt<uint32_t>(block, 36), 256u);  // biClrImportant
    for (size_t entry = 0; entry < 256; ++entry) {
      uint8_t expected = f.colourInput ? 0 : static_cast<uint8_t>(entry);
      for (size_t byte = 0; byte < 4; ++byte) {
        ASSERT_EQ(block[40 + 4 * entry + byte], expected) << "entry " << entry;
      }
    }

    const size_t pixelRow = size_t(f.width) * c.bytesPerPixel;
    for (size_t row = 0; row < f.height; ++row) {
      const uint8_t* bitmapRow = block + 1064 + row * c.rowLength;
      ASSERT_EQ(memcmp(bitmapRow, Buffer().data() + row * pixelRow, pixelRow), 0) << "row " << row;
      for (size_t pad = pixelRow; pad < c.rowLength; ++pad) ASSERT_EQ(bitmapRow[pad], 0);
    }
    GlobalUnlock(handle);
    GlobalFree(handle);
  }
};

TEST_F(NativeTransferTest, BitmapHoldsTheGrabbedFrame) {
  const NativeCase cases[] = {
      {GREY_768, 1, 8, 768},
      {BGR_768, 3, 24, 2304},
      {BGRX_768, 4, 32, 3072},
      // Rows whose length is no multiple of four bytes are padded.
      {{5, 3, 1, false, false, false}, 1, 8, 8},
      {{3, 2, 3, true, false, true}, 3, 24, 12},
      {{641, 4, 3, true, false, false}, 3, 24, 1924},
  };
  for (const NativeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.format.width << " x " << c.format.height << " x "
                                    << c.bytesPerPixel);
    UseFormat(c.format);
    grabCount = 0;
    sourceSession.state = STATE_XFERREADY;
    CheckImage(c);
  }
}

TEST_F(NativeTransferTest, EachTransferGrabsANewFrame) {
  TW_HANDLE first = nullptr;
  TW_HANDLE second = nullptr;
  ASSERT_EQ(Call(DAT_IMAGENATIVEXFER, MSG_GET, &first), TWRC_XFERDONE);
  sourceSession.state = STATE_XFERREADY;
  ASSERT_EQ(Call(DAT_IMAGENATIVEXFER, MSG_GET, &second), TWRC_XFERDONE);
  EXPECT_EQ(grabCount, 2u);
  const uint8_t* a = static_cast<const uint8_t*>(GlobalLock(first));
  const uint8_t* b = static_cast<const uint8_t*>(GlobalLock(second));
  EXPECT_EQ(a[1064], PatternByte(0, 0));
  EXPECT_EQ(b[1064], PatternByte(0, 1));
  GlobalUnlock(first);
  GlobalUnlock(second);
  GlobalFree(first);
  GlobalFree(second);
}

TEST_F(NativeTransferTest, RefusalsGrabNothingAndKeepTheState) {
  struct Refusal {
    const char* what;
    SessionState state;
    TW_UINT16 msg;
    bool withData;
    void (*arrange)();
    TW_UINT16 code;
  };
  const Refusal refusals[] = {
      {"state 500", STATE_ENABLED, MSG_GET, true, nullptr, TWCC_SEQERROR},
      {"state 700", STATE_TRANSFERRING, MSG_GET, true, nullptr, TWCC_SEQERROR},
      {"MSG_GETDEFAULT", STATE_XFERREADY, MSG_GETDEFAULT, true, nullptr, TWCC_BADPROTOCOL},
      {"no data pointer", STATE_XFERREADY, MSG_GET, false, nullptr, TWCC_BADVALUE},
      {"no image buffer", STATE_XFERREADY, MSG_GET, true, [] { milInfo.MilImage = 0; },
       TWCC_OPERATIONERROR},
      {"no pixel address", STATE_XFERREADY, MSG_GET, true, [] { milInfo.ImageData = nullptr; },
       TWCC_OPERATIONERROR},
      {"no global memory", STATE_XFERREADY, MSG_GET, true, [] { HostFailGlobalAlloc(1); },
       TWCC_LOWMEMORY},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.what);
    UseFormat(GREY_768);
    sourceSession.state = r.state;
    if (r.arrange != nullptr) r.arrange();
    TW_HANDLE handle = nullptr;
    EXPECT_EQ(Call(DAT_IMAGENATIVEXFER, r.msg, r.withData ? &handle : nullptr), TWRC_FAILURE);
    EXPECT_EQ(TakeConditionCode(), r.code);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(sourceSession.state, r.state);
    EXPECT_EQ(grabCount, 0u);
    HostFailGlobalAlloc(0);
  }
}

TEST_F(NativeTransferTest, FrameTooLargeToDescribeIsLowMemory) {
  // 40000 x 20000 three-byte pixels do not fit the header's signed sizes.
  UseFormat({1, 1, 3, true, false, false});
  milInfo.ImageWidth = 40000;
  milInfo.ImageHeight = 20000;
  EXPECT_EQ(BuildNativeImage(), nullptr);
  EXPECT_EQ(grabCount, 0u);
}

}  // namespace
