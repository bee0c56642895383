// Containers as applications read them: exact bytes and allocation sizes,
// the readers' heap copies, and TW_FIX32 conversion.
#include <cstring>
#include <vector>

#include "capabilities/containers.h"
#include "host_fixture.h"

namespace {

using ContainersTest = HostFixture;

std::vector<TW_UINT8> Bytes(TW_HANDLE container) {
  const TW_UINT8* data = static_cast<const TW_UINT8*>(GlobalLock(container));
  std::vector<TW_UINT8> bytes(data, data + GlobalSize(container));
  GlobalUnlock(container);
  return bytes;
}

TEST_F(ContainersTest, OneValueIsSixBytesWithTheItemAtTheStartOfItem) {
  struct Case {
    TW_UINT16 itemType;
    TW_UINT32 value;  // its first ItemSize bytes are the item
    std::vector<TW_UINT8> bytes;
  };
  const Case cases[] = {
      {TWTY_BOOL, TWAIN_TRUE, {0x06, 0x00, 0x01, 0x00, 0x00, 0x00}},
      {TWTY_UINT16, 2, {0x04, 0x00, 0x02, 0x00, 0x00, 0x00}},
      {TWTY_INT16, 0xFFFF, {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x00}},
      // Bytes beyond the item are never copied into Item.
      {TWTY_UINT8, 0xAABBCC7F, {0x03, 0x00, 0x7F, 0x00, 0x00, 0x00}},
      {TWTY_UINT32, 0x12345678, {0x05, 0x00, 0x78, 0x56, 0x34, 0x12}},
      {TWTY_FIX32, 300, {0x07, 0x00, 0x2C, 0x01, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.itemType);
    TW_HANDLE container = BuildOneValue(c.itemType, &c.value);
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(Bytes(container), c.bytes);
    EXPECT_EQ(HostLockedGlobalBlocks(), 0u);
    GlobalFree(container);
  }
}

TEST_F(ContainersTest, EnumerationAndArrayBlocksHaveTwoBytesBeyondTheirItems) {
  const TW_UINT16 three[] = {0, 1, 2};
  TW_HANDLE enumeration = BuildEnumeration(3, 2, 1, TWTY_UINT16, three);
  ASSERT_NE(enumeration, nullptr);
  EXPECT_EQ(GlobalSize(enumeration), 22u);
  const std::vector<TW_UINT8> enumerationBytes = {
      0x04, 0x00,              // ItemType
      0x03, 0x00, 0x00, 0x00,  // NumItems
      0x02, 0x00, 0x00, 0x00,  // CurrentIndex
      0x01, 0x00, 0x00, 0x00,  // DefaultIndex
      0x00, 0x00, 0x01, 0x00, 0x02, 0x00,
      0x00, 0x00};
  EXPECT_EQ(Bytes(enumeration), enumerationBytes);

  TW_UINT16 eighteen[18];
  for (int i = 0; i < 18; ++i) eighteen[i] = TW_UINT16(0x1100 + i);
  TW_HANDLE array = BuildArray(18, TWTY_UINT16, eighteen);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(GlobalSize(array), 44u);
  std::vector<TW_UINT8> arrayBytes = Bytes(array);
  EXPECT_EQ(std::vector<TW_UINT8>(arrayBytes.begin(), arrayBytes.begin() + 6),
            (std::vector<TW_UINT8>{0x04, 0x00, 0x12, 0x00, 0x00, 0x00}));
  EXPECT_EQ(memcmp(arrayBytes.data() + 6, eighteen, sizeof eighteen), 0);

  // An empty list is a header and the two bytes.
  TW_HANDLE empty = BuildArray(0, TWTY_UINT32, nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GlobalSize(empty), 8u);
  EXPECT_EQ(HostLockedGlobalBlocks(), 0u);
  GlobalFree(enumeration);
  GlobalFree(array);
  GlobalFree(empty);
}

TEST_F(ContainersTest, ItemSizesAndTypesWithoutASize) {
  const size_t sizes[] = {1, 2, 4, 1, 2, 4, 2, 4};
  for (TW_UINT16 itemType = TWTY_INT8; itemType <= TWTY_FIX32; ++itemType) {
    EXPECT_EQ(ItemSize(itemType), sizes[itemType]) << itemType;
  }
  // Frames, strings and unknown codes are not sized, and no container of
  // them is built: nothing is allocated.
  const TW_UINT8 item[256] = {};
  for (TW_UINT16 itemType : {TWTY_FRAME, TWTY_STR32, TWTY_STR255, TW_UINT16(0x77)}) {
    EXPECT_EQ(ItemSize(itemType), 0u) << itemType;
    size_t allocations = HostGlobalAllocCount();
    EXPECT_EQ(BuildOneValue(itemType, item), nullptr);
    EXPECT_EQ(BuildEnumeration(1, 0, 0, itemType, item), nullptr);
    EXPECT_EQ(BuildArray(1, itemType, item), nullptr);
    EXPECT_EQ(HostGlobalAllocCount(), allocations);
  }
}

TEST_F(ContainersTest, AFailedAllocationBuildsNothing) {
  const TW_UINT16 value = 1;
  HostFailGlobalAlloc(1);
  EXPECT_EQ(BuildOneValue(TWTY_UINT16, &value), nullptr);
  HostFailGlobalAlloc(1);
  EXPECT_EQ(BuildEnumeration(1, 0, 0, TWTY_UINT16, &value), nullptr);
  HostFailGlobalAlloc(1);
  EXPECT_EQ(BuildArray(1, TWTY_UINT16, &value), nullptr);
}

TEST_F(ContainersTest, ReadersHandOutHeapCopiesOfTheItems) {
  const TW_INT16 minusOne = -1;
  TW_HANDLE oneValue = BuildOneValue(TWTY_INT16, &minusOne);
  ItemBlock item;
  EXPECT_EQ(ReadOneValue(oneValue, &item), TWTY_INT16);
  ASSERT_NE(item, nullptr);
  TW_INT16 read;
  memcpy(&read, item.get(), sizeof read);
  EXPECT_EQ(read, -1);

  const TW_UINT32 items[] = {7, 8, 9, 10};
  TW_HANDLE enumeration = BuildEnumeration(4, 3, 1, TWTY_UINT32, items);
  TW_UINT32 numItems = 0, currentIndex = 0, defaultIndex = 0;
  ItemBlock copy;
  EXPECT_EQ(ReadEnumeration(enumeration, &numItems, &currentIndex, &defaultIndex, &copy),
            TWTY_UINT32);
  EXPECT_EQ(numItems, 4u);
  EXPECT_EQ(currentIndex, 3u);
  EXPECT_EQ(defaultIndex, 1u);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(memcmp(copy.get(), items, sizeof items), 0);

  TW_HANDLE array = BuildArray(4, TWTY_UINT32, items);
  ItemBlock arrayCopy;
  EXPECT_EQ(ReadArray(array, &numItems, &arrayCopy), TWTY_UINT32);
  EXPECT_EQ(numItems, 4u);
  ASSERT_NE(arrayCopy, nullptr);
  EXPECT_EQ(memcmp(arrayCopy.get(), items, sizeof items), 0);

  EXPECT_EQ(HostLockedGlobalBlocks(), 0u);
  GlobalFree(oneValue);
  GlobalFree(enumeration);
  GlobalFree(array);
}

TEST_F(ContainersTest, ReadersRefuseBlocksShorterThanTheirItems) {
  // An enumeration header that announces more items than the block holds,
  // one whose count would overflow a size computation, a one-value block of
  // four bytes, an unsized item type, and handles that are no global block.
  HGLOBAL shortList = GlobalAlloc(GHND, 20);
  TW_UINT8* data = static_cast<TW_UINT8*>(GlobalLock(shortList));
  const TW_UINT16 uint16Type = TWTY_UINT16;
  const TW_UINT32 eight = 8;  // needs 22 bytes as an array, 30 as an enumeration
  memcpy(data, &uint16Type, 2);
  memcpy(data + 2, &eight, 4);
  GlobalUnlock(shortList);
  HGLOBAL hugeList = GlobalAlloc(GHND, 22);
  data = static_cast<TW_UINT8*>(GlobalLock(hugeList));
  const TW_UINT32 huge = 0xFFFFFFFF;
  memcpy(data, &uint16Type, 2);
  memcpy(data + 2, &huge, 4);
  GlobalUnlock(hugeList);
  HGLOBAL shortValue = GlobalAlloc(GHND, 4);
  const TW_UINT16 frame = TWTY_FRAME;
  HGLOBAL frameValue = GlobalAlloc(GHND, 6 + 16);
  data = static_cast<TW_UINT8*>(GlobalLock(frameValue));
  memcpy(data, &frame, 2);
  GlobalUnlock(frameValue);
  TW_UINT8 notGlobal[32] = {};

  TW_UINT32 numItems = 1, currentIndex = 1, defaultIndex = 1;
  ItemBlock copy;
  for (TW_HANDLE list : {TW_HANDLE(shortList), TW_HANDLE(hugeList), TW_HANDLE(nullptr),
                         TW_HANDLE(notGlobal)}) {
    ReadEnumeration(list, &numItems, &currentIndex, &defaultIndex, &copy);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(numItems, 0u);
    ReadArray(list, &numItems, &copy);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(numItems, 0u);
  }
  for (TW_HANDLE value : {TW_HANDLE(shortValue), TW_HANDLE(frameValue), TW_HANDLE(nullptr),
                          TW_HANDLE(notGlobal)}) {
    ReadOneValue(value, &copy);
    EXPECT_EQ(copy, nullptr);
  }
  EXPECT_EQ(HostLockedGlobalBlocks(), 0u);
  GlobalFree(shortList);
  GlobalFree(hugeList);
  GlobalFree(shortValue);
  GlobalFree(frameValue);
}

TEST_F(ContainersTest, ToFix32RoundsToTheNearestSixtyFiveThousandFiveHundredThirtySixth) {
  struct Case {
    double x;
    TW_INT16 whole;
    TW_UINT16 frac;
  };
  const Case cases[] = {
      {0.0, 0, 0},           {300.0, 300, 0},       {768.0, 768, 0},
      {576.0, 576, 0},       {0.5, 0, 32768},       {1.25, 1, 16384},
      {1.0 / 131072, 0, 1},  // half of the smallest step rounds up
      {32767.99999, 32767, 65535},
      // Beyond the TW_FIX32 range the value saturates instead of wrapping.
      {40000.0, 32767, 65535},  {4294967295.0, 32767, 65535},
  };
  for (const Case& c : cases) {
    TW_FIX32 fix = ToFix32(c.x);
    EXPECT_EQ(fix.Whole, c.whole) << c.x;
    EXPECT_EQ(fix.Frac, c.frac) << c.x;
  }
}

}  // namespace
