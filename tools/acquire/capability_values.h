// Capability containers as the source hands them over, read safely from
// their bytes, and the single item an application sends with MSG_SET.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/twain.h"

struct ContainerItem {
  TW_UINT32 raw = 0;  // an item of up to four bytes, as it lies in a TW_UINT32
  std::string text;   // the item as printed
};

struct CapabilityContainer {
  TW_UINT16 type = 0;      // TWON_ONEVALUE, TWON_ENUMERATION, TWON_ARRAY, TWON_RANGE
  TW_UINT16 itemType = 0;  // TWTY_*
  // ONEVALUE: the value; ENUMERATION and ARRAY: the list; RANGE: minimum,
  // maximum, step, default and current value.
  std::vector<ContainerItem> items;
  size_t currentIndex = 0;  // ENUMERATION
  size_t defaultIndex = 0;  // ENUMERATION
};

// Bytes of one item of the type; 0 for an unknown type.
size_t ContainerItemSize(TW_UINT16 itemType);

// Reads a container of the given kind from `size` bytes; false with a reason
// when the bytes do not hold a whole container of that kind.
bool ReadContainer(TW_UINT16 capability, TW_UINT16 containerType, const unsigned char* bytes,
                   size_t size, CapabilityContainer* container, std::string* error);

// The kind of container the bytes hold, for a source that hands a container
// back without setting ConType: of the kinds whose header is consistent
// (enumeration indexes within the list, a range ordered), the one that
// leaves the fewest bytes of the block unused; 0 when none fits.
TW_UINT16 InferContainerType(const unsigned char* bytes, size_t size);

// The current value: the one value, the enumeration's current item or the
// range's current value; false for an array.
bool CurrentItem(const CapabilityContainer& container, ContainerItem* item);

// An item as printed: "TWPT_RGB (2)", "-1", "300", "TRUE".
std::string FormatItem(TW_UINT16 capability, TW_UINT16 itemType, TW_UINT32 raw);

// One line describing the whole container.
std::string DescribeContainer(TW_UINT16 capability, const CapabilityContainer& container);

// The item of a TW_ONEVALUE for MSG_SET from a text: a number, a named value
// of the capability, TRUE/FALSE, a decimal for TWTY_FIX32.
bool EncodeItem(TW_UINT16 capability, TW_UINT16 itemType, const std::string& text, TW_UINT32* raw,
                std::string* error);

// A signed reading of an integer item (CAP_XFERCOUNT is a TWTY_INT16).
long SignedItem(TW_UINT16 itemType, TW_UINT32 raw);
