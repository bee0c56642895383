// The capability store: its initial content and order, replacement, copies,
// values, the MSG_SET steps, reset and release, and allocation failures.
#include <cstring>

#include "capability_fixture.h"

namespace {

using CapabilityStoreTest = CapabilityTest;

TW_UINT16 Uint16Item(const ItemBlock& item) {
  TW_UINT16 value;
  memcpy(&value, item.get(), sizeof value);
  return value;
}

TEST_F(CapabilityStoreTest, InitialStoreHoldsSixteenCapabilitiesInOrder) {
  const TW_UINT16 order[] = {ICAP_UNITS,        ICAP_XFERMECH,     ICAP_PIXELFLAVOR,
                             ICAP_PIXELTYPE,    CAP_XFERCOUNT,     ICAP_COMPRESSION,
                             ICAP_IMAGEFILEFORMAT, ICAP_BITDEPTH,  ICAP_PLANARCHUNKY,
                             ICAP_XRESOLUTION,  ICAP_YRESOLUTION,  CAP_AUTOFEED,
                             CAP_FEEDERLOADED,  CAP_FEEDERENABLED, CAP_UICONTROLLABLE,
                             CAP_SUPPORTEDCAPS};
  const CapabilityRecord* record = capabilityStore.head;
  for (TW_UINT16 capabilityId : order) {
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->capabilityId, capabilityId);
    ContainerContent expected = InitialContent(capabilityId);
    EXPECT_EQ(record->containerKind, expected.containerKind);
    EXPECT_EQ(ReadContent(record->container, record->containerKind), expected)
        << std::hex << capabilityId;
    record = record->next;
  }
  EXPECT_EQ(record, nullptr);
  EXPECT_EQ(HostLiveGlobalBlocks(), liveBlocksAtStart_ + 16);
}

TEST_F(CapabilityStoreTest, SupportedCapsListsTheTableInOrderWithoutTheFileFormat) {
  TW_UINT16 list[CAPABILITY_COUNT];
  ASSERT_EQ(BuildSupportedCapsList(list), 18u);
  const TW_UINT16 expected[] = {0x0001, 0x0100, 0x0101, 0x0102, 0x0103, 0x1002,
                                0x1003, 0x1007, 0x1005, 0x100E, 0x1111, 0x1112,
                                0x1118, 0x1119, 0x111C, 0x111F, 0x1120, 0x112B};
  EXPECT_EQ(memcmp(list, expected, sizeof expected), 0);
  EXPECT_EQ(CapabilityTable[CAPABILITY_COUNT].capabilityId, 0);
  EXPECT_EQ(CapabilityTable[CAPABILITY_COUNT].handler, nullptr);
}

TEST_F(CapabilityStoreTest, StoringReplacesInPlaceAndAppendsNewCapabilities) {
  const CapabilityRecord* second = capabilityStore.head->next;
  ASSERT_EQ(second->capabilityId, ICAP_XFERMECH);
  size_t live = HostLiveGlobalBlocks();

  const TW_UINT16 memory = TWSX_MEMORY;
  TW_HANDLE replacement = BuildOneValue(TWTY_UINT16, &memory);
  EXPECT_EQ(StoreCapability(ICAP_XFERMECH, TWON_ONEVALUE, replacement), 0);
  // The old container was freed, the record kept its place and took the new
  // kind.
  EXPECT_EQ(HostLiveGlobalBlocks(), live);
  EXPECT_EQ(capabilityStore.head->next, second);
  EXPECT_EQ(second->container, replacement);
  EXPECT_EQ(second->containerKind, TWON_ONEVALUE);

  const TW_UINT16 value = 3;
  TW_HANDLE added = BuildOneValue(TWTY_UINT16, &value);
  EXPECT_EQ(StoreCapability(0x8001, TWON_ONEVALUE, added), 0);
  const CapabilityRecord* last = capabilityStore.head;
  while (last->next != nullptr) last = last->next;
  EXPECT_EQ(last->capabilityId, 0x8001);
  EXPECT_EQ(last->container, added);

  // A null container changes nothing.
  EXPECT_EQ(StoreCapability(ICAP_XFERMECH, TWON_ENUMERATION, nullptr), 1);
  EXPECT_EQ(second->container, replacement);
  EXPECT_EQ(second->containerKind, TWON_ONEVALUE);
}

TEST_F(CapabilityStoreTest, CopiesAreNewBlocksTheCallerOwns) {
  TW_UINT16 kind = 0;
  TW_HANDLE stored = FindCapability(ICAP_XFERMECH, &kind);
  TW_HANDLE first = CopyCapabilityContainer(ICAP_XFERMECH);
  TW_HANDLE second = CopyCapabilityContainer(ICAP_XFERMECH);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, stored);
  EXPECT_NE(second, stored);
  EXPECT_NE(first, second);
  EXPECT_EQ(ReadContent(first, kind), ReadContent(second, kind));
  GlobalFree(first);
  EXPECT_EQ(StoredContent(ICAP_XFERMECH), ReadContent(second, kind));
  GlobalFree(second);
  EXPECT_EQ(StoredContent(ICAP_XFERMECH),
            Enumeration(TWTY_UINT16, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}));

  EXPECT_EQ(CopyCapabilityContainer(ICAP_PHYSICALWIDTH), nullptr);
}

TEST_F(CapabilityStoreTest, CurrentAndDefaultValues) {
  const TW_UINT16 items[] = {1, 2};
  StoreCapability(ICAP_PIXELTYPE, TWON_ENUMERATION,
                  BuildEnumeration(2, 1, 0, TWTY_UINT16, items));
  ItemBlock item;
  EXPECT_EQ(GetCurrentValue(ICAP_PIXELTYPE, &item), TWTY_UINT16);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(Uint16Item(item), 2);
  EXPECT_EQ(GetDefaultValue(ICAP_PIXELTYPE, &item), TWTY_UINT16);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(Uint16Item(item), 1);

  // A one-value capability has one value for both.
  EXPECT_EQ(GetDefaultValue(ICAP_BITDEPTH, &item), TWTY_UINT16);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(Uint16Item(item), 8);

  // No value: an array, a capability without record, an index beyond the
  // items.
  GetCurrentValue(CAP_SUPPORTEDCAPS, &item);
  EXPECT_EQ(item, nullptr);
  GetCurrentValue(ICAP_PHYSICALHEIGHT, &item);
  EXPECT_EQ(item, nullptr);
  StoreCapability(ICAP_PIXELTYPE, TWON_ENUMERATION,
                  BuildEnumeration(2, 2, 5, TWTY_UINT16, items));
  GetCurrentValue(ICAP_PIXELTYPE, &item);
  EXPECT_EQ(item, nullptr);
  GetDefaultValue(ICAP_PIXELTYPE, &item);
  EXPECT_EQ(item, nullptr);
  EXPECT_EQ(HostLockedGlobalBlocks(), 0u);
}

TEST_F(CapabilityStoreTest, SelectingTheCurrentOrAnAbsentValueChangesNothing) {
  TW_UINT16 kind;
  TW_HANDLE stored = FindCapability(ICAP_PIXELTYPE, &kind);
  struct Case {
    TW_UINT32 item;
    const char* what;
  };
  const Case cases[] = {
      {TWPT_GRAY, "already current"},
      {TWPT_BW, "not among the items"},
      {0x00010002, "upper bytes set: matches no 16-bit item"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TW_HANDLE application = AppOneValue(TWTY_UINT16, c.item);
    MarkConditionCode();
    size_t allocations = HostGlobalAllocCount();
    EXPECT_EQ(SelectEnumerationValue({ICAP_PIXELTYPE, TWON_ONEVALUE, application}),
              TWRC_SUCCESS);
    EXPECT_EQ(HostGlobalAllocCount(), allocations);
    EXPECT_EQ(FindCapability(ICAP_PIXELTYPE, &kind), stored);
    EXPECT_EQ(RecordedCode(), UNTOUCHED);
    GlobalFree(application);
  }
  EXPECT_EQ(StoredContent(ICAP_PIXELTYPE), Enumeration(TWTY_UINT16, {TWPT_GRAY, TWPT_RGB}));
}

TEST_F(CapabilityStoreTest, SelectingAnotherValueKeepsItemsAndDefault) {
  TW_HANDLE application = AppOneValue(TWTY_UINT16, TWSX_MEMORY);
  EXPECT_EQ(SelectEnumerationValue({ICAP_XFERMECH, TWON_ONEVALUE, application}), TWRC_SUCCESS);
  EXPECT_EQ(StoredContent(ICAP_XFERMECH),
            Enumeration(TWTY_UINT16, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}, 2, 0));
  // The application's container is still its own, unchanged.
  EXPECT_TRUE(HostIsGlobalBlock(application));
  EXPECT_EQ(ReadContent(application, TWON_ONEVALUE), OneValue(TWTY_UINT16, TWSX_MEMORY));
  GlobalFree(application);
}

TEST_F(CapabilityStoreTest, SelectRefusesWrongKindsWithBummer) {
  TW_HANDLE application = AppOneValue(TWTY_UINT16, 1);
  struct Case {
    TW_UINT16 capabilityId;
    TW_UINT16 conType;
  };
  const Case cases[] = {
      {CAP_XFERCOUNT, TWON_ONEVALUE},         // stored as a TW_ONEVALUE
      {ICAP_PHYSICALWIDTH, TWON_ONEVALUE},    // no record
      {ICAP_PIXELTYPE, TWON_ENUMERATION},     // not a TW_ONEVALUE from the application
  };
  for (const Case& c : cases) {
    MarkConditionCode();
    EXPECT_EQ(SelectEnumerationValue({c.capabilityId, c.conType, application}), TWRC_FAILURE);
    EXPECT_EQ(RecordedCode(), TWCC_BUMMER);
  }
  GlobalFree(application);
}

TEST_F(CapabilityStoreTest, ApplicationContainersAreCopiedAsTheyStand) {
  // Whatever item type and value the application sends is kept.
  TW_HANDLE oneValue = AppOneValue(TWTY_UINT32, 0xDEADBEEF);
  EXPECT_EQ(StoreApplicationContainer({CAP_AUTOFEED, TWON_ONEVALUE, oneValue}), TWRC_SUCCESS);
  EXPECT_EQ(StoredContent(CAP_AUTOFEED), OneValue(TWTY_UINT32, 0xDEADBEEF));

  TW_HANDLE enumeration = AppEnumeration(TWTY_UINT8, {9, 8, 7}, 2, 1);
  EXPECT_EQ(StoreApplicationContainer({ICAP_XFERMECH, TWON_ENUMERATION, enumeration}),
            TWRC_SUCCESS);
  EXPECT_EQ(StoredContent(ICAP_XFERMECH), Enumeration(TWTY_UINT8, {9, 8, 7}, 2, 1));

  // The store holds copies: the application's blocks stay its own.
  TW_UINT16 kind;
  EXPECT_NE(FindCapability(CAP_AUTOFEED, &kind), oneValue);
  EXPECT_NE(FindCapability(ICAP_XFERMECH, &kind), enumeration);
  GlobalFree(oneValue);
  GlobalFree(enumeration);
  EXPECT_EQ(StoredContent(ICAP_XFERMECH), Enumeration(TWTY_UINT8, {9, 8, 7}, 2, 1));
}

// Application containers that would make the source read past a block,
// allocate a wrapped size or later read past its own copy are refused with
// TWCC_BADVALUE, and nothing is stored.
TEST_F(CapabilityStoreTest, UnsafeApplicationContainersAreRefused) {
  TW_UINT8 notGlobal[32] = {};
  struct Case {
    const char* what;
    TW_UINT16 conType;
    TW_HANDLE container;
  };
  const Case cases[] = {
      {"null handle", TWON_ONEVALUE, nullptr},
      {"not a global block", TWON_ONEVALUE, notGlobal},
      {"no items", TWON_ENUMERATION, AppEnumeration(TWTY_UINT16, {})},
      {"more items than the block holds", TWON_ENUMERATION,
       AppEnumeration(TWTY_UINT16, {1, 2, 3, 4}, 0, 0, 5, 22)},
      {"a count whose size overflows", TWON_ENUMERATION,
       AppEnumeration(TWTY_UINT32, {1}, 0, 0, 0x40000001)},
      {"current index beyond the items", TWON_ENUMERATION,
       AppEnumeration(TWTY_UINT16, {0, 1, 2}, 3, 0)},
      {"default index beyond the items", TWON_ENUMERATION,
       AppEnumeration(TWTY_UINT16, {0, 1, 2}, 0, 7)},
      {"enumeration of strings", TWON_ENUMERATION, AppEnumeration(TWTY_STR32, {}, 0, 0, 1, 48)},
      {"frame in a one-value", TWON_ONEVALUE, AppOneValue(TWTY_FRAME, 1)},
      {"string in a one-value", TWON_ONEVALUE, AppOneValue(TWTY_STR255, 1)},
      {"unknown item type", TWON_ONEVALUE, AppOneValue(0x0077, 1)},
      {"one-value block of four bytes", TWON_ONEVALUE, GlobalAlloc(GHND, 4)},
      {"enumeration block shorter than its header", TWON_ENUMERATION, GlobalAlloc(GHND, 10)},
  };
  const ContainerContent before = StoredContent(ICAP_XFERMECH);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MarkConditionCode();
    size_t allocations = HostGlobalAllocCount();
    EXPECT_EQ(StoreApplicationContainer({ICAP_XFERMECH, c.conType, c.container}),
              TWRC_FAILURE);
    EXPECT_EQ(RecordedCode(), TWCC_BADVALUE);
    EXPECT_EQ(HostGlobalAllocCount(), allocations);
    EXPECT_EQ(StoredContent(ICAP_XFERMECH), before);
    if (c.container != notGlobal) GlobalFree(c.container);
  }
}

TEST_F(CapabilityStoreTest, OtherApplicationContainerKindsAreAProtocolError) {
  TW_HANDLE array = AppArray(TWTY_UINT16, {1, 2});
  MarkConditionCode();
  EXPECT_EQ(StoreApplicationContainer({CAP_FEEDERENABLED, TWON_ARRAY, array}), TWRC_FAILURE);
  EXPECT_EQ(RecordedCode(), TWCC_BADPROTOCOL);
  EXPECT_EQ(StoredContent(CAP_FEEDERENABLED), OneValue(TWTY_BOOL, TWAIN_FALSE));
  GlobalFree(array);
}

// A copy that cannot be allocated leaves the stored container in place,
// records nothing and leaks nothing.
TEST_F(CapabilityStoreTest, FailedAllocationsKeepTheStoredContainer) {
  TW_UINT16 kind;
  TW_HANDLE storedMech = FindCapability(ICAP_XFERMECH, &kind);
  TW_HANDLE storedFeeder = FindCapability(CAP_FEEDERENABLED, &kind);
  TW_HANDLE oneValue = AppOneValue(TWTY_BOOL, TWAIN_TRUE);
  TW_HANDLE select = AppOneValue(TWTY_UINT16, TWSX_FILE);
  TW_HANDLE enumeration = AppEnumeration(TWTY_UINT16, {TWSX_FILE});
  size_t live = HostLiveGlobalBlocks();
  MarkConditionCode();

  HostFailGlobalAlloc(1);
  EXPECT_EQ(StoreApplicationContainer({CAP_FEEDERENABLED, TWON_ONEVALUE, oneValue}),
            TWRC_FAILURE);
  HostFailGlobalAlloc(1);
  EXPECT_EQ(StoreApplicationContainer({ICAP_XFERMECH, TWON_ENUMERATION, enumeration}),
            TWRC_FAILURE);
  HostFailGlobalAlloc(1);
  EXPECT_EQ(SelectEnumerationValue({ICAP_XFERMECH, TWON_ONEVALUE, select}), TWRC_FAILURE);
  HostFailGlobalAlloc(1);
  EXPECT_EQ(ResetCapability(ICAP_XFERMECH), TWRC_FAILURE);
  HostFailGlobalAlloc(1);
  EXPECT_EQ(CopyCapabilityContainer(ICAP_XFERMECH), nullptr);

  EXPECT_EQ(RecordedCode(), UNTOUCHED);
  EXPECT_EQ(HostLiveGlobalBlocks(), live);
  EXPECT_EQ(FindCapability(ICAP_XFERMECH, &kind), storedMech);
  EXPECT_EQ(FindCapability(CAP_FEEDERENABLED, &kind), storedFeeder);
  EXPECT_EQ(StoredContent(ICAP_XFERMECH),
            Enumeration(TWTY_UINT16, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}));
  EXPECT_EQ(StoredContent(CAP_FEEDERENABLED), OneValue(TWTY_BOOL, TWAIN_FALSE));
  GlobalFree(oneValue);
  GlobalFree(select);
  GlobalFree(enumeration);
}

TEST_F(CapabilityStoreTest, ResetRebuildsTheWholeInitialContainer) {
  const TW_UINT16 memory = TWSX_MEMORY;
  StoreCapability(ICAP_XFERMECH, TWON_ENUMERATION, BuildEnumeration(1, 0, 0, TWTY_UINT16, &memory));
  EXPECT_EQ(ResetCapability(ICAP_XFERMECH), TWRC_SUCCESS);
  EXPECT_EQ(StoredContent(ICAP_XFERMECH),
            Enumeration(TWTY_UINT16, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}));
  // Capabilities outside the eight resettable ones are not rebuilt.
  TW_UINT16 kind;
  TW_HANDLE compression = FindCapability(ICAP_COMPRESSION, &kind);
  EXPECT_EQ(ResetCapability(ICAP_COMPRESSION), TWRC_FAILURE);
  EXPECT_EQ(FindCapability(ICAP_COMPRESSION, &kind), compression);
}

TEST_F(CapabilityStoreTest, ABuildFailureLeavesOnlyThatCapabilityOut) {
  ReleaseCapabilities();
  HostFailGlobalAlloc(2);  // the second container: ICAP_XFERMECH
  InitCapabilities();
  TW_UINT16 kind;
  EXPECT_EQ(FindCapability(ICAP_XFERMECH, &kind), nullptr);
  size_t records = 0;
  for (const CapabilityRecord* r = capabilityStore.head; r != nullptr; r = r->next) ++records;
  EXPECT_EQ(records, 15u);
  EXPECT_EQ(capabilityStore.head->capabilityId, ICAP_UNITS);
  EXPECT_EQ(capabilityStore.head->next->capabilityId, ICAP_PIXELFLAVOR);
}

TEST_F(CapabilityStoreTest, ReleaseFreesEverythingAndInitStartsAfresh) {
  StoreCapability(CAP_XFERCOUNT, TWON_ONEVALUE, BuildOneValue(TWTY_INT16, "\x05\x00"));
  InitCapabilities();  // releases the old store first
  EXPECT_EQ(HostLiveGlobalBlocks(), liveBlocksAtStart_ + 16);
  EXPECT_EQ(StoredContent(CAP_XFERCOUNT), OneValue(TWTY_INT16, 0));
  ReleaseCapabilities();
  EXPECT_EQ(capabilityStore.head, nullptr);
  EXPECT_FALSE(CapabilityStoreExists());
  EXPECT_EQ(HostLiveGlobalBlocks(), liveBlocksAtStart_);
  ReleaseCapabilities();  // without a store: nothing happens
  EXPECT_EQ(HostLiveGlobalBlocks(), liveBlocksAtStart_);
  TW_UINT16 kind;
  EXPECT_EQ(FindCapability(CAP_XFERCOUNT, &kind), nullptr);
  ItemBlock item;
  GetCurrentValue(CAP_XFERCOUNT, &item);
  EXPECT_EQ(item, nullptr);
}

}  // namespace
