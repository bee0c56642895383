// Capability containers: reading ONEVALUE, ENUMERATION, ARRAY and RANGE from
// the bytes of a container, printing items, and encoding the item of MSG_SET.
#include "tools/acquire/capability_values.h"

#include <strings.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/acquire/twain_names.h"

namespace {

TW_UINT32 Dword(const unsigned char* at) {
  TW_UINT32 value;
  std::memcpy(&value, at, 4);
  return value;
}

TW_UINT16 Word(const unsigned char* at) {
  TW_UINT16 value;
  std::memcpy(&value, at, 2);
  return value;
}

std::string Fix32Text(TW_UINT32 raw) {
  TW_FIX32 fix;
  std::memcpy(&fix, &raw, sizeof fix);
  char text[32];
  std::snprintf(text, sizeof text, "%g", fix.Whole + fix.Frac / 65536.0);
  return text;
}

// An item of any type read from its bytes.
ContainerItem ReadItem(TW_UINT16 capability, TW_UINT16 itemType, const unsigned char* at) {
  ContainerItem item;
  size_t size = ContainerItemSize(itemType);
  if (size <= 4) {
    std::memcpy(&item.raw, at, size);
    item.text = FormatItem(capability, itemType, item.raw);
  } else if (itemType == TWTY_FRAME) {
    item.text = Fix32Text(Dword(at)) + "," + Fix32Text(Dword(at + 4)) + "," +
                Fix32Text(Dword(at + 8)) + "," + Fix32Text(Dword(at + 12));
  } else {
    const char* characters = reinterpret_cast<const char*>(at);
    item.text = "\"" + std::string(characters, strnlen(characters, size)) + "\"";
  }
  return item;
}

bool Refuse(std::string* error, const char* reason) {
  *error = reason;
  return false;
}

}  // namespace

size_t ContainerItemSize(TW_UINT16 itemType) {
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
    case TWTY_FRAME:
      return 16;
    case TWTY_STR32:
      return 34;
    case TWTY_STR64:
      return 66;
    case TWTY_STR128:
      return 130;
    case TWTY_STR255:
      return 256;
    default:
      return 0;
  }
}

bool ReadContainer(TW_UINT16 capability, TW_UINT16 containerType, const unsigned char* bytes,
                   size_t size, CapabilityContainer* container, std::string* error) {
  *container = CapabilityContainer{};
  container->type = containerType;
  if (bytes == nullptr || size < 2) return Refuse(error, "the container is empty");
  container->itemType = Word(bytes);
  size_t itemSize = ContainerItemSize(container->itemType);
  if (itemSize == 0) return Refuse(error, "the container has an unknown item type");

  switch (containerType) {
    case TWON_ONEVALUE:
      if (size < 2 + (itemSize < 4 ? 4 : itemSize))
        return Refuse(error, "the TW_ONEVALUE container is too short");
      container->items.push_back(ReadItem(capability, container->itemType, bytes + 2));
      return true;
    case TWON_ENUMERATION:
    case TWON_ARRAY: {
      size_t header = containerType == TWON_ENUMERATION ? offsetof(TW_ENUMERATION, ItemList)
                                                        : offsetof(TW_ARRAY, ItemList);
      if (size < header) return Refuse(error, "the container is too short for its header");
      TW_UINT32 count = Dword(bytes + 2);
      if (count > (size - header) / itemSize)
        return Refuse(error, "the container is too short for its items");
      for (TW_UINT32 i = 0; i < count; ++i)
        container->items.push_back(
            ReadItem(capability, container->itemType, bytes + header + size_t(i) * itemSize));
      if (containerType == TWON_ENUMERATION) {
        container->currentIndex = Dword(bytes + 6);
        container->defaultIndex = Dword(bytes + 10);
        if (container->currentIndex >= count || container->defaultIndex >= count)
          return Refuse(error, "the enumeration's current or default index is out of its list");
      }
      return true;
    }
    case TWON_RANGE:
      if (size < sizeof(TW_RANGE)) return Refuse(error, "the TW_RANGE container is too short");
      if (itemSize > 4) return Refuse(error, "a range of items wider than four bytes");
      for (size_t field = 0; field < 5; ++field)
        container->items.push_back(
            ReadItem(capability, container->itemType, bytes + 2 + 4 * field));
      return true;
    default:
      return Refuse(error, "unknown container type");
  }
}

TW_UINT16 InferContainerType(const unsigned char* bytes, size_t size) {
  if (bytes == nullptr || size < 2) return 0;
  TW_UINT16 itemType = Word(bytes);
  size_t itemSize = ContainerItemSize(itemType);
  if (itemSize == 0) return 0;
  TW_UINT32 count = size >= 6 ? Dword(bytes + 2) : 0;
  const size_t enumerationHeader = offsetof(TW_ENUMERATION, ItemList);
  const size_t arrayHeader = offsetof(TW_ARRAY, ItemList);

  // Each kind whose header is consistent with the block, and the bytes it
  // leaves unused; the kind that fills the block best wins.
  struct Candidate {
    TW_UINT16 kind;
    bool consistent;
    uint64_t needed;
  };
  bool rangeOrdered = false;
  if (itemSize <= 4 && size >= sizeof(TW_RANGE)) {
    long low = SignedItem(itemType, Dword(bytes + 2)),
         high = SignedItem(itemType, Dword(bytes + 6));
    long defaultValue = SignedItem(itemType, Dword(bytes + 14));
    long current = SignedItem(itemType, Dword(bytes + 18));
    rangeOrdered = low <= high && Dword(bytes + 10) != 0 && low <= defaultValue &&
                   defaultValue <= high && low <= current && current <= high;
  }
  const Candidate candidates[] = {
      {TWON_ONEVALUE, true, 2 + (itemSize < 4 ? 4 : itemSize)},
      {TWON_ENUMERATION,
       size >= enumerationHeader && Dword(bytes + 6) < count && Dword(bytes + 10) < count,
       enumerationHeader + uint64_t(count) * itemSize},
      {TWON_ARRAY, size >= arrayHeader, arrayHeader + uint64_t(count) * itemSize},
      {TWON_RANGE, rangeOrdered, sizeof(TW_RANGE)},
  };
  TW_UINT16 best = 0;
  uint64_t leastUnused = 0;
  for (const Candidate& candidate : candidates) {
    if (!candidate.consistent || candidate.needed > size) continue;
    uint64_t unused = size - candidate.needed;
    if (best == 0 || unused < leastUnused) {
      best = candidate.kind;
      leastUnused = unused;
    }
  }
  return best;
}

bool CurrentItem(const CapabilityContainer& container, ContainerItem* item) {
  switch (container.type) {
    case TWON_ONEVALUE:
      if (container.items.empty()) return false;
      *item = container.items[0];
      return true;
    case TWON_ENUMERATION:
      if (container.currentIndex >= container.items.size()) return false;
      *item = container.items[container.currentIndex];
      return true;
    case TWON_RANGE:
      if (container.items.size() != 5) return false;
      *item = container.items[4];
      return true;
    default:
      return false;
  }
}

long SignedItem(TW_UINT16 itemType, TW_UINT32 raw) {
  switch (itemType) {
    case TWTY_INT8:
      return TW_INT8(raw & 0xFF);
    case TWTY_INT16:
      return TW_INT16(raw & 0xFFFF);
    case TWTY_INT32:
      return TW_INT32(raw);
    case TWTY_UINT8:
      return long(raw & 0xFF);
    case TWTY_UINT16:
    case TWTY_BOOL:
      return long(raw & 0xFFFF);
    default:
      return long(raw);
  }
}

std::string FormatItem(TW_UINT16 capability, TW_UINT16 itemType, TW_UINT32 raw) {
  char text[64];
  switch (itemType) {
    case TWTY_BOOL:
      return (raw & 0xFFFF) ? "TRUE" : "FALSE";
    case TWTY_FIX32:
      return Fix32Text(raw);
    case TWTY_INT8:
    case TWTY_INT16:
    case TWTY_INT32:
      std::snprintf(text, sizeof text, "%ld", SignedItem(itemType, raw));
      return text;
    default: {
      unsigned long value = static_cast<unsigned long>(SignedItem(itemType, raw));
      const char* name = capability == CAP_SUPPORTEDCAPS ? CapabilityName(TW_UINT16(value))
                                                         : CapabilityValueName(capability, value);
      if (name != nullptr)
        std::snprintf(text, sizeof text, "%s (%lu)", name, value);
      else
        std::snprintf(text, sizeof text, "%lu", value);
      return text;
    }
  }
}

std::string DescribeContainer(TW_UINT16 capability, const CapabilityContainer& container) {
  std::string text =
      std::string(ContainerName(container.type)) + " of " + ItemTypeName(container.itemType) + ": ";
  auto list = [&container]() {
    std::string items;
    for (const ContainerItem& item : container.items)
      items += (items.empty() ? "" : ", ") + item.text;
    return items;
  };
  switch (container.type) {
    case TWON_ONEVALUE:
      return text + container.items[0].text;
    case TWON_ENUMERATION:
      return text + "current " + container.items[container.currentIndex].text + ", default " +
             container.items[container.defaultIndex].text + "; values " + list();
    case TWON_RANGE:
      return text + "current " + container.items[4].text + ", default " + container.items[3].text +
             "; from " + container.items[0].text + " to " + container.items[1].text +
             " in steps of " + container.items[2].text;
    default:
      (void)capability;
      return text + list();
  }
}

bool EncodeItem(TW_UINT16 capability, TW_UINT16 itemType, const std::string& text, TW_UINT32* raw,
                std::string* error) {
  *raw = 0;
  TW_UINT32 named = 0;
  switch (itemType) {
    case TWTY_BOOL:
      if (strcasecmp(text.c_str(), "true") == 0 || text == "1" ||
          strcasecmp(text.c_str(), "yes") == 0) {
        *raw = TWAIN_TRUE;
      } else if (!(strcasecmp(text.c_str(), "false") == 0 || text == "0" ||
                   strcasecmp(text.c_str(), "no") == 0)) {
        return Refuse(error, "expected TRUE or FALSE");
      }
      return true;
    case TWTY_FIX32: {
      char* end = nullptr;
      errno = 0;
      double value = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || errno != 0 || !(value >= -32768.0 && value < 32768.0))
        return Refuse(error, "expected a decimal number from -32768 to 32767");
      long scaled = std::lround(value * 65536.0);
      TW_FIX32 fix;
      fix.Whole = TW_INT16(scaled >> 16);
      fix.Frac = TW_UINT16(scaled & 0xFFFF);
      std::memcpy(raw, &fix, sizeof fix);
      return true;
    }
    case TWTY_INT8:
    case TWTY_INT16:
    case TWTY_INT32:
    case TWTY_UINT8:
    case TWTY_UINT16:
    case TWTY_UINT32: {
      if (CapabilityValueByName(capability, text, &named)) {
        *raw = named;
        return true;
      }
      bool isSigned = itemType == TWTY_INT8 || itemType == TWTY_INT16 || itemType == TWTY_INT32;
      size_t size = ContainerItemSize(itemType);
      long long low = isSigned ? -(1LL << (8 * size - 1)) : 0;
      long long high = isSigned ? (1LL << (8 * size - 1)) - 1 : (1LL << (8 * size)) - 1;
      char* end = nullptr;
      errno = 0;
      long long value = std::strtoll(text.c_str(), &end, 0);
      if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high) {
        *error = "expected a number from " + std::to_string(low) + " to " + std::to_string(high) +
                 " or a named value";
        return false;
      }
      // Negative numbers keep only the item's own bytes, as they lie in the TW_UINT32.
      TW_UINT32 mask = size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
      *raw = TW_UINT32(value) & mask;
      return true;
    }
    default:
      *error = std::string("values of ") + ItemTypeName(itemType) + " cannot be set here";
      return false;
  }
}
