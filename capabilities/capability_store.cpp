// The capability store and the MSG_SET steps that take an application's
// container apart.
#include "capabilities/capability_store.h"

#include <cstring>
#include <new>

#include "source/condition_codes.h"

const char CAPABILITY_FAILURE_TEXT[] = "General failure in DG_CONTROL / DAT_CAPABILITY / ... triple\n";

CapabilityStore capabilityStore = {nullptr};

namespace {

CapabilityRecord* FindRecord(TW_UINT16 capabilityId) {
  for (CapabilityRecord* record = capabilityStore.head; record != nullptr; record = record->next) {
    if (record->capabilityId == capabilityId) return record;
  }
  return nullptr;
}

// One item read at its size as an unsigned number.
TW_UINT32 ItemAsUnsigned(const TW_UINT8* item, size_t size) {
  switch (size) {
    case 1:
      return item[0];
    case 2: {
      TW_UINT16 value;
      memcpy(&value, item, sizeof value);
      return value;
    }
    default: {
      TW_UINT32 value;
      memcpy(&value, item, sizeof value);
      return value;
    }
  }
}

// The current or default item of a stored enumeration.
TW_UINT16 GetEnumerationItem(TW_HANDLE container, bool current, ItemBlock* item) {
  TW_UINT32 numItems, currentIndex, defaultIndex;
  ItemBlock items;
  TW_UINT16 itemType = ReadEnumeration(container, &numItems, &currentIndex, &defaultIndex, &items);
  TW_UINT32 index = current ? currentIndex : defaultIndex;
  // An index beyond the items is no value; stored enumerations should never
  // hold one, but a reader must not run past the copy.
  if (items == nullptr || index >= numItems) return itemType;
  size_t size = ItemSize(itemType);
  *item = AllocateItems(size);
  if (*item != nullptr) memcpy(item->get(), items.get() + size_t(index) * size, size);
  return itemType;
}

TW_UINT16 GetValue(TW_UINT16 capabilityId, bool current, ItemBlock* item) {
  item->reset();
  TW_UINT16 containerKind;
  TW_HANDLE container = FindCapability(capabilityId, &containerKind);
  if (container == nullptr) return 0;
  switch (containerKind) {
    case TWON_ONEVALUE:
      return ReadOneValue(container, item);
    case TWON_ENUMERATION:
      return GetEnumerationItem(container, current, item);
    default:
      return 0;
  }
}

// Copies an application's enumeration after checking that the block holds
// what its header announces and that both indexes name one of its items.
TW_UINT16 StoreApplicationEnumeration(TW_UINT16 capabilityId, const ContainerLock& lock) {
  if (!ContainerIsWhole(lock, TWON_ENUMERATION)) return RefuseCapability(TWCC_BADVALUE);
  const TW_ENUMERATION* enumeration = reinterpret_cast<const TW_ENUMERATION*>(lock.data());
  TW_UINT32 numItems = enumeration->NumItems;
  if (numItems == 0 || enumeration->CurrentIndex >= numItems ||
      enumeration->DefaultIndex >= numItems) {
    return RefuseCapability(TWCC_BADVALUE);
  }
  TW_HANDLE copy =
      BuildEnumeration(numItems, enumeration->CurrentIndex, enumeration->DefaultIndex,
                       enumeration->ItemType, lock.data() + offsetof(TW_ENUMERATION, ItemList));
  if (StoreCapability(capabilityId, TWON_ENUMERATION, copy) != 0) return TWRC_FAILURE;
  return TWRC_SUCCESS;
}

TW_UINT16 StoreApplicationOneValue(TW_UINT16 capabilityId, const ContainerLock& lock) {
  if (!ContainerIsWhole(lock, TWON_ONEVALUE)) return RefuseCapability(TWCC_BADVALUE);
  const TW_ONEVALUE* oneValue = reinterpret_cast<const TW_ONEVALUE*>(lock.data());
  TW_HANDLE copy = BuildOneValue(oneValue->ItemType, lock.data() + offsetof(TW_ONEVALUE, Item));
  if (StoreCapability(capabilityId, TWON_ONEVALUE, copy) != 0) return TWRC_FAILURE;
  return TWRC_SUCCESS;
}

}  // namespace

TW_UINT16 RefuseCapability(ConditionCode code) {
  SetConditionCode(CAPABILITY_FAILURE_TEXT, code);
  return TWRC_FAILURE;
}

bool CapabilityStoreExists() { return capabilityStore.head != nullptr; }

TW_HANDLE FindCapability(TW_UINT16 capabilityId, TW_UINT16* containerKind) {
  CapabilityRecord* record = FindRecord(capabilityId);
  if (record == nullptr) return nullptr;
  *containerKind = record->containerKind;
  return record->container;
}

int StoreCapability(TW_UINT16 capabilityId, TW_UINT16 containerKind, TW_HANDLE container) {
  if (container == nullptr) return 1;
  CapabilityRecord* record = FindRecord(capabilityId);
  if (record != nullptr) {
    GlobalFree(record->container);
    record->container = container;
    record->containerKind = containerKind;
    return 0;
  }
  record = new (std::nothrow) CapabilityRecord{capabilityId, containerKind, container, nullptr};
  if (record == nullptr) {
    GlobalFree(container);
    return 1;
  }
  CapabilityRecord** end = &capabilityStore.head;
  while (*end != nullptr) end = &(*end)->next;
  *end = record;
  return 0;
}

TW_HANDLE CopyCapabilityContainer(TW_UINT16 capabilityId) {
  TW_UINT16 containerKind;
  TW_HANDLE container = FindCapability(capabilityId, &containerKind);
  if (container == nullptr) return nullptr;
  ItemBlock items;
  TW_UINT32 numItems, currentIndex, defaultIndex;
  TW_UINT16 itemType;
  switch (containerKind) {
    case TWON_ONEVALUE:
      itemType = ReadOneValue(container, &items);
      return items == nullptr ? nullptr : BuildOneValue(itemType, items.get());
    case TWON_ENUMERATION:
      itemType = ReadEnumeration(container, &numItems, &currentIndex, &defaultIndex, &items);
      if (items == nullptr) return nullptr;
      return BuildEnumeration(numItems, currentIndex, defaultIndex, itemType, items.get());
    case TWON_ARRAY:
      itemType = ReadArray(container, &numItems, &items);
      return items == nullptr ? nullptr : BuildArray(numItems, itemType, items.get());
    default:
      return nullptr;
  }
}

TW_UINT16 GetCurrentValue(TW_UINT16 capabilityId, ItemBlock* item) {
  return GetValue(capabilityId, true, item);
}

TW_UINT16 GetDefaultValue(TW_UINT16 capabilityId, ItemBlock* item) {
  return GetValue(capabilityId, false, item);
}

TW_UINT16 SelectEnumerationValue(const TW_CAPABILITY& capability) {
  TW_UINT16 containerKind = 0;
  TW_HANDLE stored = FindCapability(capability.Cap, &containerKind);
  if (stored == nullptr || containerKind != TWON_ENUMERATION ||
      capability.ConType != TWON_ONEVALUE) {
    return RefuseCapability(TWCC_BUMMER);
  }
  ContainerLock lock(capability.hContainer);
  if (!ContainerHasHeader(lock, TWON_ONEVALUE)) return RefuseCapability(TWCC_BADVALUE);
  // The whole Item is compared, whatever item type the application named.
  TW_UINT32 value = reinterpret_cast<const TW_ONEVALUE*>(lock.data())->Item;

  TW_UINT32 numItems, currentIndex, defaultIndex;
  ItemBlock items;
  TW_UINT16 itemType = ReadEnumeration(stored, &numItems, &currentIndex, &defaultIndex, &items);
  if (items == nullptr) return TWRC_FAILURE;
  size_t size = ItemSize(itemType);
  for (TW_UINT32 index = 0; index < numItems; ++index) {
    if (ItemAsUnsigned(items.get() + size_t(index) * size, size) != value) continue;
    if (index == currentIndex) return TWRC_SUCCESS;
    TW_HANDLE selected = BuildEnumeration(numItems, index, defaultIndex, itemType, items.get());
    if (StoreCapability(capability.Cap, TWON_ENUMERATION, selected) != 0) return TWRC_FAILURE;
    return TWRC_SUCCESS;
  }
  // A value that is not among the allowed items is ignored.
  return TWRC_SUCCESS;
}

TW_UINT16 StoreApplicationContainer(const TW_CAPABILITY& capability) {
  ContainerLock lock(capability.hContainer);
  if (lock.data() == nullptr) return RefuseCapability(TWCC_BADVALUE);
  switch (capability.ConType) {
    case TWON_ENUMERATION:
      return StoreApplicationEnumeration(capability.Cap, lock);
    case TWON_ONEVALUE:
      return StoreApplicationOneValue(capability.Cap, lock);
    default:
      return RefuseCapability(TWCC_BADPROTOCOL);
  }
}
