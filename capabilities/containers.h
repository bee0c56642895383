// TWAIN containers in movable global memory: TW_ONEVALUE, TW_ENUMERATION and
// TW_ARRAY as the source builds and reads them, and TW_FIX32 conversion.
#pragma once

#include <memory>

#include "platform/twain.h"
#include "platform/win32.h"

// A heap copy of container items, handed from the reader to its caller.
typedef std::unique_ptr<TW_UINT8[]> ItemBlock;

// Allocates a heap block for items; null when memory is exhausted.
ItemBlock AllocateItems(size_t bytes);

// Size in bytes of one item of a TWTY_ type. Types the source does not size
// (TWTY_FRAME, the string types, unknown codes) give 0; containers of such
// items are neither built nor accepted.
size_t ItemSize(TW_UINT16 itemType);

// Each builder returns a new movable global block that belongs to the caller,
// or null when the item type has no size or memory is exhausted. Nothing stays
// allocated or locked on failure.
TW_HANDLE BuildOneValue(TW_UINT16 itemType, const void* value);
TW_HANDLE BuildEnumeration(TW_UINT32 numItems, TW_UINT32 currentIndex, TW_UINT32 defaultIndex,
                           TW_UINT16 itemType, const void* items);
TW_HANDLE BuildArray(TW_UINT32 numItems, TW_UINT16 itemType, const void* items);

// Each reader returns the container's item type and gives a heap copy of its
// items. A container that cannot be locked, is shorter than its header and
// items, or holds items without a size gives a null copy and no items.
TW_UINT16 ReadOneValue(TW_HANDLE container, ItemBlock* item);
TW_UINT16 ReadEnumeration(TW_HANDLE container, TW_UINT32* numItems, TW_UINT32* currentIndex,
                          TW_UINT32* defaultIndex, ItemBlock* items);
TW_UINT16 ReadArray(TW_HANDLE container, TW_UINT32* numItems, ItemBlock* items);

// Rounds x (at least 0) to the nearest 1/65536; values beyond the TW_FIX32
// range saturate.
TW_FIX32 ToFix32(double x);

// Keeps a container locked for the life of the scope, so that no way out of
// a reader leaves it locked. data() is null when the handle cannot be locked.
class ContainerLock {
 public:
  explicit ContainerLock(TW_HANDLE container);
  ~ContainerLock();
  ContainerLock(const ContainerLock&) = delete;
  ContainerLock& operator=(const ContainerLock&) = delete;

  const TW_UINT8* data() const { return data_; }
  // The bytes the block holds, as the platform reports them.
  size_t size() const { return size_; }

 private:
  TW_HANDLE container_;
  const TW_UINT8* data_;
  size_t size_;
};

// Whether a locked container is long enough for the fixed part of its kind:
// the 6 bytes of a TW_ONEVALUE, the 14-byte header of a TW_ENUMERATION or the
// 6-byte header of a TW_ARRAY.
bool ContainerHasHeader(const ContainerLock& lock, TW_UINT16 containerKind);

// Whether a locked container of the given kind (TWON_ONEVALUE,
// TWON_ENUMERATION or TWON_ARRAY) holds its whole header, an item type the
// source sizes and every item its NumItems announces.
bool ContainerIsWhole(const ContainerLock& lock, TW_UINT16 containerKind);
