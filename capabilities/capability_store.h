// The capability store: one container per stored capability, and the
// operations that read it, replace its containers and take an application's
// MSG_SET container apart.
#pragma once

#include "capabilities/containers.h"
#include "platform/twain.h"
#include "source/condition_codes.h"

// The text every capability refusal is recorded with.
extern const char CAPABILITY_FAILURE_TEXT[];

// Records code with the capability failure text; returns TWRC_FAILURE.
TW_UINT16 RefuseCapability(ConditionCode code);

struct CapabilityRecord {
  TW_UINT16 capabilityId;
  TW_UINT16 containerKind;  // TWON_ARRAY, TWON_ENUMERATION or TWON_ONEVALUE
  TW_HANDLE container;      // owned by the record, never null
  CapabilityRecord* next;
};

// A singly linked list in creation order; head is null while no store exists
// (before InitCapabilities and after ReleaseCapabilities).
struct CapabilityStore {
  CapabilityRecord* head;
};

extern CapabilityStore capabilityStore;

bool CapabilityStoreExists();

// The stored container (still owned by the store) and its kind; null when the
// capability has no record.
TW_HANDLE FindCapability(TW_UINT16 capabilityId, TW_UINT16* containerKind);

// Hands a container to the store: it replaces (and frees) the capability's
// stored container in place, or is appended as a new record. The store takes
// the handle in every case; when no record can be made the container is
// freed. A null handle changes nothing. Returns 0 when stored, 1 otherwise.
int StoreCapability(TW_UINT16 capabilityId, TW_UINT16 containerKind, TW_HANDLE container);

// A new container of the same kind and content as the stored one, owned by
// the caller; null when there is no record or memory is exhausted.
TW_HANDLE CopyCapabilityContainer(TW_UINT16 capabilityId);

// The current or default item of a stored TW_ONEVALUE or TW_ENUMERATION as a
// heap copy of one item, and its item type; a null copy when there is no
// value (no record, an array, an index beyond the items, no memory).
TW_UINT16 GetCurrentValue(TW_UINT16 capabilityId, ItemBlock* item);
TW_UINT16 GetDefaultValue(TW_UINT16 capabilityId, ItemBlock* item);

// MSG_SET of an application's TW_ONEVALUE on a capability stored as a
// TW_ENUMERATION: the stored item equal to the application's Item becomes
// current; a value that is not among the items changes nothing.
TW_UINT16 SelectEnumerationValue(const TW_CAPABILITY& capability);

// MSG_SET that keeps a copy of the application's TW_ONEVALUE or
// TW_ENUMERATION as the capability's stored container. The application's
// container stays the application's.
TW_UINT16 StoreApplicationContainer(const TW_CAPABILITY& capability);
