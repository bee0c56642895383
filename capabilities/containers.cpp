// TWAIN containers in movable global memory, and TW_FIX32 conversion.
#include "capabilities/containers.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

// Bytes before the items: ItemType and NumItems, and for an enumeration the
// two indexes.
constexpr size_t ONEVALUE_SIZE = sizeof(TW_ONEVALUE);
constexpr size_t ENUMERATION_HEADER = offsetof(TW_ENUMERATION, ItemList);
constexpr size_t ARRAY_HEADER = offsetof(TW_ARRAY, ItemList);

// Enumerations and arrays are allocated two bytes beyond their items; the two
// bytes are never written (applications have always received blocks of this
// size).
constexpr size_t LIST_SLACK = 2;

// The fixed part of a container kind; 0 for kinds the source does not use.
size_t HeaderSize(TW_UINT16 containerKind) {
  switch (containerKind) {
    case TWON_ONEVALUE:
      return ONEVALUE_SIZE;
    case TWON_ENUMERATION:
      return ENUMERATION_HEADER;
    case TWON_ARRAY:
      return ARRAY_HEADER;
    default:
      return 0;
  }
}

// header + numItems x itemSize + slack, or 0 when it does not fit a size_t.
size_t ListBlockSize(size_t header, TW_UINT32 numItems, size_t itemSize) {
  uint64_t bytes = uint64_t(header) + uint64_t(numItems) * itemSize + LIST_SLACK;
  if (bytes > SIZE_MAX) return 0;
  return size_t(bytes);
}

// Allocates a zeroed movable block and locks it; null (nothing allocated)
// when either step fails.
TW_UINT8* AllocateLocked(size_t bytes, TW_HANDLE* container) {
  *container = nullptr;
  HGLOBAL block = GlobalAlloc(GHND, bytes);
  if (block == nullptr) return nullptr;
  TW_UINT8* data = static_cast<TW_UINT8*>(GlobalLock(block));
  if (data == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  *container = block;
  return data;
}

// Allocates and locks the block of an enumeration or an array, writes
// ItemType and NumItems (both kinds keep them at the same place) and copies
// the items after the header. Null, with nothing allocated, when the item
// type has no size, the size does not fit or memory is exhausted.
TW_UINT8* AllocateList(size_t header, TW_UINT32 numItems, TW_UINT16 itemType, const void* items,
                       TW_HANDLE* container) {
  *container = nullptr;
  size_t size = ItemSize(itemType);
  if (size == 0) return nullptr;
  size_t bytes = ListBlockSize(header, numItems, size);
  if (bytes == 0) return nullptr;
  TW_UINT8* data = AllocateLocked(bytes, container);
  if (data == nullptr) return nullptr;
  TW_ARRAY* list = reinterpret_cast<TW_ARRAY*>(data);
  list->ItemType = itemType;
  list->NumItems = numItems;
  if (numItems > 0) memcpy(data + header, items, size_t(numItems) * size);
  return data;
}

TW_UINT16 ReadUint16(const TW_UINT8* at) {
  TW_UINT16 value;
  memcpy(&value, at, sizeof value);
  return value;
}

TW_UINT32 ReadUint32(const TW_UINT8* at) {
  TW_UINT32 value;
  memcpy(&value, at, sizeof value);
  return value;
}

// A heap copy of bytes; null when memory is exhausted.
ItemBlock CopyItems(const TW_UINT8* items, size_t bytes) {
  ItemBlock copy = AllocateItems(bytes);
  if (copy != nullptr && bytes > 0) memcpy(copy.get(), items, bytes);
  return copy;
}

}  // namespace

ItemBlock AllocateItems(size_t bytes) {
  // A zero-byte copy (an empty list) is still a block, so that a null copy
  // always means failure.
  return ItemBlock(new (std::nothrow) TW_UINT8[bytes > 0 ? bytes : 1]);
}

size_t ItemSize(TW_UINT16 itemType) {
  switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8:
      return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
      return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32:
      return 4;
    default:
      return 0;
  }
}

ContainerLock::ContainerLock(TW_HANDLE container)
    : container_(container), data_(nullptr), size_(0) {
  if (container_ == nullptr) return;
  data_ = static_cast<const TW_UINT8*>(GlobalLock(container_));
  if (data_ != nullptr) size_ = GlobalSize(container_);
}

ContainerLock::~ContainerLock() {
  if (data_ != nullptr) GlobalUnlock(container_);
}

bool ContainerHasHeader(const ContainerLock& lock, TW_UINT16 containerKind) {
  size_t header = HeaderSize(containerKind);
  return lock.data() != nullptr && header > 0 && lock.size() >= header;
}

bool ContainerIsWhole(const ContainerLock& lock, TW_UINT16 containerKind) {
  if (!ContainerHasHeader(lock, containerKind)) return false;
  size_t itemSize = ItemSize(ReadUint16(lock.data() + offsetof(TW_ONEVALUE, ItemType)));
  if (itemSize == 0) return false;
  if (containerKind == TWON_ONEVALUE) return true;
  // NumItems sits at the same place in an enumeration and an array.
  TW_UINT32 numItems = ReadUint32(lock.data() + offsetof(TW_ARRAY, NumItems));
  return uint64_t(HeaderSize(containerKind)) + uint64_t(numItems) * itemSize <= lock.size();
}

TW_HANDLE BuildOneValue(TW_UINT16 itemType, const void* value) {
  size_t size = ItemSize(itemType);
  if (size == 0) return nullptr;
  TW_HANDLE container;
  TW_UINT8* data = AllocateLocked(ONEVALUE_SIZE, &container);
  if (data == nullptr) return nullptr;
  TW_ONEVALUE* oneValue = reinterpret_cast<TW_ONEVALUE*>(data);
  oneValue->ItemType = itemType;
  oneValue->Item = 0;
  memcpy(data + offsetof(TW_ONEVALUE, Item), value, size);
  GlobalUnlock(container);
  return container;
}

TW_HANDLE BuildEnumeration(TW_UINT32 numItems, TW_UINT32 currentIndex, TW_UINT32 defaultIndex,
                           TW_UINT16 itemType, const void* items) {
  TW_HANDLE container;
  TW_UINT8* data = AllocateList(ENUMERATION_HEADER, numItems, itemType, items, &container);
  if (data == nullptr) return nullptr;
  TW_ENUMERATION* enumeration = reinterpret_cast<TW_ENUMERATION*>(data);
  enumeration->CurrentIndex = currentIndex;
  enumeration->DefaultIndex = defaultIndex;
  GlobalUnlock(container);
  return container;
}

TW_HANDLE BuildArray(TW_UINT32 numItems, TW_UINT16 itemType, const void* items) {
  TW_HANDLE container;
  if (AllocateList(ARRAY_HEADER, numItems, itemType, items, &container) == nullptr) return nullptr;
  GlobalUnlock(container);
  return container;
}

TW_UINT16 ReadOneValue(TW_HANDLE container, ItemBlock* item) {
  item->reset();
  ContainerLock lock(container);
  if (!ContainerIsWhole(lock, TWON_ONEVALUE)) return 0;
  TW_UINT16 itemType = ReadUint16(lock.data() + offsetof(TW_ONEVALUE, ItemType));
  *item = CopyItems(lock.data() + offsetof(TW_ONEVALUE, Item), ItemSize(itemType));
  return itemType;
}

TW_UINT16 ReadEnumeration(TW_HANDLE container, TW_UINT32* numItems, TW_UINT32* currentIndex,
                          TW_UINT32* defaultIndex, ItemBlock* items) {
  items->reset();
  *numItems = *currentIndex = *defaultIndex = 0;
  ContainerLock lock(container);
  if (!ContainerIsWhole(lock, TWON_ENUMERATION)) return 0;
  const TW_UINT8* data = lock.data();
  TW_UINT16 itemType = ReadUint16(data + offsetof(TW_ENUMERATION, ItemType));
  TW_UINT32 count = ReadUint32(data + offsetof(TW_ENUMERATION, NumItems));
  *items = CopyItems(data + ENUMERATION_HEADER, size_t(count) * ItemSize(itemType));
  if (*items == nullptr) return itemType;
  *numItems = count;
  *currentIndex = ReadUint32(data + offsetof(TW_ENUMERATION, CurrentIndex));
  *defaultIndex = ReadUint32(data + offsetof(TW_ENUMERATION, DefaultIndex));
  return itemType;
}

TW_UINT16 ReadArray(TW_HANDLE container, TW_UINT32* numItems, ItemBlock* items) {
  items->reset();
  *numItems = 0;
  ContainerLock lock(container);
  if (!ContainerIsWhole(lock, TWON_ARRAY)) return 0;
  const TW_UINT8* data = lock.data();
  TW_UINT16 itemType = ReadUint16(data + offsetof(TW_ARRAY, ItemType));
  TW_UINT32 count = ReadUint32(data + offsetof(TW_ARRAY, NumItems));
  *items = CopyItems(data + ARRAY_HEADER, size_t(count) * ItemSize(itemType));
  if (*items != nullptr) *numItems = count;
  return itemType;
}

TW_FIX32 ToFix32(double x) {
  double scaled = x * 65536.0 + 0.5;
  TW_INT32 v;
  if (std::isnan(scaled)) {
    v = 0;
  } else if (scaled >= 2147483647.0) {
    v = INT32_MAX;
  } else if (scaled <= -2147483648.0) {
    v = INT32_MIN;
  } else {
    v = TW_INT32(scaled);  // truncated toward zero
  }
  TW_FIX32 fix;
  fix.Whole = TW_INT16(v >> 16);
  fix.Frac = TW_UINT16(v & 0xFFFF);
  return fix;
}
