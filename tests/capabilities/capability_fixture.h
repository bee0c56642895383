// Shared by the capability suites: a fixture with a freshly built store, and
// helpers that build application containers and read containers byte by
// byte, as an application does.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "capabilities/capability_store.h"
#include "capabilities/capability_table.h"
#include "capabilities/containers.h"
#include "grabber/mil_info.h"
#include "host_fixture.h"
#include "source/source_session.h"

// What a container holds, as an application reads it from the block.
struct ContainerContent {
  TW_UINT16 containerKind;
  TW_UINT16 itemType;
  std::vector<TW_UINT32> items;  // each read at its item size, unsigned
  TW_UINT32 currentIndex;
  TW_UINT32 defaultIndex;

  bool operator==(const ContainerContent& other) const {
    return containerKind == other.containerKind && itemType == other.itemType &&
           items == other.items && currentIndex == other.currentIndex &&
           defaultIndex == other.defaultIndex;
  }
};

inline ContainerContent OneValue(TW_UINT16 itemType, TW_UINT32 item) {
  return {TWON_ONEVALUE, itemType, {item}, 0, 0};
}
inline ContainerContent Enumeration(TW_UINT16 itemType, std::vector<TW_UINT32> items,
                                    TW_UINT32 currentIndex = 0, TW_UINT32 defaultIndex = 0) {
  return {TWON_ENUMERATION, itemType, items, currentIndex, defaultIndex};
}
inline ContainerContent Array(TW_UINT16 itemType, std::vector<TW_UINT32> items) {
  return {TWON_ARRAY, itemType, items, 0, 0};
}

inline void PrintTo(const ContainerContent& content, std::ostream* out) {
  *out << "{kind " << content.containerKind << ", type " << content.itemType << ", items";
  for (TW_UINT32 item : content.items) *out << " " << item;
  *out << ", current " << content.currentIndex << ", default " << content.defaultIndex << "}";
}

// The bytes a block of this content must have been allocated with.
inline size_t AllocationSize(const ContainerContent& content) {
  size_t items = content.items.size() * ItemSize(content.itemType);
  switch (content.containerKind) {
    case TWON_ONEVALUE:
      return 6;
    case TWON_ENUMERATION:
      return 16 + items;
    default:
      return 8 + items;
  }
}

// Reads a container of the given kind from its bytes. For a container the
// source built, also checks that the block has exactly the size the source
// allocates for such a content.
inline ContainerContent ReadContent(TW_HANDLE container, TW_UINT16 containerKind,
                                    bool builtBySource = true) {
  ContainerContent content{containerKind, 0, {}, 0, 0};
  const TW_UINT8* data = static_cast<const TW_UINT8*>(GlobalLock(container));
  EXPECT_NE(data, nullptr);
  if (data == nullptr) return content;
  memcpy(&content.itemType, data, 2);
  // A one-value's Item is read whole, so that stray upper bytes show.
  size_t size = containerKind == TWON_ONEVALUE ? 4 : ItemSize(content.itemType);
  size_t offset = 2;
  TW_UINT32 count = 1;
  if (containerKind == TWON_ENUMERATION || containerKind == TWON_ARRAY) {
    memcpy(&count, data + 2, 4);
    offset = containerKind == TWON_ENUMERATION ? 14 : 6;
  }
  if (containerKind == TWON_ENUMERATION) {
    memcpy(&content.currentIndex, data + 6, 4);
    memcpy(&content.defaultIndex, data + 10, 4);
  }
  if (offset + size_t(count) * size <= GlobalSize(container)) {
    for (TW_UINT32 i = 0; i < count; ++i) {
      TW_UINT32 item = 0;
      memcpy(&item, data + offset + size_t(i) * size, size);
      content.items.push_back(item);
    }
  } else {
    ADD_FAILURE() << "container shorter than its items";
  }
  GlobalUnlock(container);
  if (builtBySource) EXPECT_EQ(GlobalSize(container), AllocationSize(content));
  return content;
}

// The stored container of a capability as its content; kind 0 without record.
inline ContainerContent StoredContent(TW_UINT16 capabilityId) {
  TW_UINT16 kind = 0;
  TW_HANDLE container = FindCapability(capabilityId, &kind);
  if (container == nullptr) return {0, 0, {}, 0, 0};
  return ReadContent(container, kind);
}

// An application's container, built by hand in a movable block of exactly
// the bytes the layout needs (plus extra).
inline TW_HANDLE AppOneValue(TW_UINT16 itemType, TW_UINT32 item) {
  HGLOBAL block = GlobalAlloc(GHND, 6);
  TW_UINT8* data = static_cast<TW_UINT8*>(GlobalLock(block));
  memcpy(data, &itemType, 2);
  memcpy(data + 2, &item, 4);
  GlobalUnlock(block);
  return block;
}

inline TW_HANDLE AppEnumeration(TW_UINT16 itemType, const std::vector<TW_UINT32>& items,
                                TW_UINT32 currentIndex, TW_UINT32 defaultIndex,
                                TW_UINT32 numItems, size_t blockSize = 0) {
  size_t size = ItemSize(itemType);
  if (blockSize == 0) blockSize = 14 + items.size() * size;
  HGLOBAL block = GlobalAlloc(GHND, blockSize);
  TW_UINT8* data = static_cast<TW_UINT8*>(GlobalLock(block));
  memcpy(data, &itemType, 2);
  memcpy(data + 2, &numItems, 4);
  memcpy(data + 6, &currentIndex, 4);
  memcpy(data + 10, &defaultIndex, 4);
  for (size_t i = 0; i < items.size() && 14 + (i + 1) * size <= blockSize; ++i) {
    memcpy(data + 14 + i * size, &items[i], size);
  }
  GlobalUnlock(block);
  return block;
}

inline TW_HANDLE AppEnumeration(TW_UINT16 itemType, const std::vector<TW_UINT32>& items,
                                TW_UINT32 currentIndex = 0, TW_UINT32 defaultIndex = 0) {
  return AppEnumeration(itemType, items, currentIndex, defaultIndex, TW_UINT32(items.size()));
}

inline TW_HANDLE AppArray(TW_UINT16 itemType, const std::vector<TW_UINT32>& items) {
  size_t size = ItemSize(itemType);
  HGLOBAL block = GlobalAlloc(GHND, 6 + items.size() * size);
  TW_UINT8* data = static_cast<TW_UINT8*>(GlobalLock(block));
  TW_UINT32 count = TW_UINT32(items.size());
  memcpy(data, &itemType, 2);
  memcpy(data + 2, &count, 4);
  for (size_t i = 0; i < items.size(); ++i) memcpy(data + 6 + i * size, &items[i], size);
  GlobalUnlock(block);
  return block;
}

// The ids of CapabilityTable in its order.
inline std::vector<TW_UINT16> TableIds() {
  std::vector<TW_UINT16> ids;
  for (const CapabilityRow* row = CapabilityTable; row->handler != nullptr; ++row) {
    ids.push_back(row->capabilityId);
  }
  return ids;
}

// What InitCapabilities stores for a capability; kind 0 for none.
inline ContainerContent InitialContent(TW_UINT16 capabilityId) {
  switch (capabilityId) {
    case ICAP_UNITS:
      return Enumeration(TWTY_UINT16, {TWUN_PIXELS});
    case ICAP_XFERMECH:
      return Enumeration(TWTY_UINT16, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY});
    case ICAP_PIXELFLAVOR:
      return OneValue(TWTY_UINT16, TWPF_CHOCOLATE);
    case ICAP_PIXELTYPE:
      return Enumeration(TWTY_UINT16, {TWPT_GRAY, TWPT_RGB});
    case CAP_XFERCOUNT:
      return OneValue(TWTY_INT16, 0);
    case ICAP_COMPRESSION:
      return Enumeration(TWTY_UINT16, {TWCP_NONE});
    case ICAP_IMAGEFILEFORMAT:
      return Enumeration(TWTY_UINT16, {TWFF_TIFF});
    case ICAP_BITDEPTH:
      return OneValue(TWTY_UINT16, 8);
    case ICAP_PLANARCHUNKY:
      return Enumeration(TWTY_UINT16, {TWPC_CHUNKY});
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION:
      return OneValue(TWTY_FIX32, 300);  // Whole 300, Frac 0
    case CAP_AUTOFEED:
    case CAP_FEEDERENABLED:
      return OneValue(TWTY_BOOL, TWAIN_FALSE);
    case CAP_FEEDERLOADED:
    case CAP_UICONTROLLABLE:
      return OneValue(TWTY_BOOL, TWAIN_TRUE);
    case CAP_SUPPORTEDCAPS: {
      std::vector<TW_UINT16> ids = TableIds();
      return Array(TWTY_UINT16, std::vector<TW_UINT32>(ids.begin(), ids.end()));
    }
    default:
      return {0, 0, {}, 0, 0};
  }
}

// A fresh session record and a freshly built store for each test; at its end
// the store is released, so the host fixture's check finds every block the
// store owned freed.
class CapabilityTest : public HostFixture {
 public:
  // Records a code no capability operation uses, so that a test sees whether
  // an operation recorded one.
  static constexpr TW_UINT16 UNTOUCHED = TWCC_DENIED;

 protected:
  void SetUp() override {
    HostFixture::SetUp();
    // The session as the module's load leaves it: no application connected,
    // no condition code, no log.
    sourceSession = SourceSession{};
    sourceSession.state = STATE_LOADED;
    savedMilInfo_ = milInfo;
    InitCapabilities();
  }
  void TearDown() override {
    ReleaseCapabilities();
    EXPECT_EQ(capabilityStore.head, nullptr);
    milInfo = savedMilInfo_;
    HostFixture::TearDown();
  }

  void MarkConditionCode() { sourceSession.conditionCode.ConditionCode = UNTOUCHED; }
  TW_UINT16 RecordedCode() const { return sourceSession.conditionCode.ConditionCode; }

 private:
  MilInfo savedMilInfo_;
};
