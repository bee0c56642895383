// The simulator's configuration: defaults, the MILSIM_* environment variables
// (read at MappAlloc and MsysAlloc), and the testing calls that set an item
// for good until SimReset.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "exports.h"
#include "simulator.h"

namespace sim {
namespace {

struct FaultName {
  const char* name;
  int32_t fault;
};

const FaultName kFaultNames[] = {
    {"no-system", SIM_FAULT_NO_SYSTEM},
    {"no-grab-memory", SIM_FAULT_NO_GRAB_MEMORY},
    {"no-display", SIM_FAULT_NO_DISPLAY},
    {"no-image-buffer", SIM_FAULT_NO_IMAGE_BUFFER},
    {"no-pixel-address", SIM_FAULT_NO_PIXEL_ADDRESS},
};

void ReportBadVariable(const char* name, const char* value, const char* why) {
  std::fprintf(stderr, "MIL.DLL simulator: ignoring %s=\"%s\": %s\n", name, value, why);
}

// A whole decimal or 0x-hexadecimal number.
bool ParseNumber(const char* text, long long* number) {
  if (*text == '\0') return false;
  errno = 0;
  char* end = nullptr;
  *number = std::strtoll(text, &end, 0);
  return errno == 0 && *end == '\0';
}

// Splits a comma-separated list; blanks around the items are dropped.
std::vector<std::string> SplitList(const char* text) {
  std::vector<std::string> items;
  std::string item;
  for (const char* p = text;; ++p) {
    if (*p == ',' || *p == '\0') {
      size_t first = item.find_first_not_of(' ');
      size_t last = item.find_last_not_of(' ');
      if (first != std::string::npos) items.push_back(item.substr(first, last - first + 1));
      item.clear();
      if (*p == '\0') break;
    } else {
      item += *p;
    }
  }
  return items;
}

bool ValidFormats(const std::vector<std::string>& formats) {
  for (const std::string& format : formats) {
    if (FindCameraFormat(format.c_str()) == nullptr) return false;
  }
  return true;
}

bool ParseFaults(const char* text, int32_t* faults) {
  *faults = 0;
  for (const std::string& item : SplitList(text)) {
    bool known = false;
    for (const FaultName& entry : kFaultNames) {
      if (item == entry.name) {
        *faults |= entry.fault;
        known = true;
      }
    }
    if (!known) return false;
  }
  return true;
}

bool ParseLayout(const char* text, int32_t* bits) {
  long long number = 0;
  if (ParseNumber(text, &number)) {
    if (number < 0 || (number & ~static_cast<long long>(LAYOUT_MASK)) != 0) return false;
    *bits = static_cast<int32_t>(number);
    return true;
  }
  *bits = LayoutBitsFromName(text);
  return *bits >= 0;
}

// The value of a variable, or null when it is not set.
const char* Variable(const char* name) { return std::getenv(name); }

}  // namespace

void ResetConfiguration(Simulator& sim) {
  sim.config = Configuration();
  sim.configured = 0;
  sim.errorReports = true;
}

void ReadEnvironment(Simulator& sim) {
  Configuration defaults;
  Configuration& config = sim.config;
  long long number = 0;
  const char* value = nullptr;

  if (!(sim.configured & ITEM_BOARD_TYPE)) {
    config.boardType = defaults.boardType;
    if ((value = Variable("MILSIM_BOARD_TYPE")) != nullptr) {
      if (ParseNumber(value, &number)) {
        config.boardType = static_cast<int32_t>(number);
      } else {
        ReportBadVariable("MILSIM_BOARD_TYPE", value, "not a number");
      }
    }
  }
  if (!(sim.configured & ITEM_BOARD_REVISION)) {
    config.boardRevision = defaults.boardRevision;
    if ((value = Variable("MILSIM_BOARD_REVISION")) != nullptr) {
      if (ParseNumber(value, &number)) {
        config.boardRevision = static_cast<int32_t>(number);
      } else {
        ReportBadVariable("MILSIM_BOARD_REVISION", value, "not a number");
      }
    }
  }
  if (!(sim.configured & ITEM_FORMATS)) {
    config.formatsConfigured = false;
    config.formats.clear();
    if ((value = Variable("MILSIM_FORMATS")) != nullptr) {
      std::vector<std::string> formats = SplitList(value);
      if (ValidFormats(formats)) {
        config.formatsConfigured = true;
        config.formats = formats;
      } else {
        ReportBadVariable("MILSIM_FORMATS", value, "not a list of camera formats");
      }
    }
  }
  if (!(sim.configured & ITEM_PIXEL_LAYOUT)) {
    config.pixelLayout = defaults.pixelLayout;
    if ((value = Variable("MILSIM_PIXEL_LAYOUT")) != nullptr) {
      int32_t bits = 0;
      if (ParseLayout(value, &bits)) {
        config.pixelLayout = bits;
      } else {
        ReportBadVariable("MILSIM_PIXEL_LAYOUT", value, "not a layout name or layout bits");
      }
    }
  }
  if (!(sim.configured & ITEM_GRAB_MEMORY)) {
    config.grabMemoryBytes = defaults.grabMemoryBytes;
    if ((value = Variable("MILSIM_GRAB_MEMORY_KB")) != nullptr) {
      if (ParseNumber(value, &number) && number >= 0 && number <= 0xFFFFFFFFll) {
        config.grabMemoryBytes = static_cast<uint64_t>(number) * 1024;
      } else {
        ReportBadVariable("MILSIM_GRAB_MEMORY_KB", value, "not a number of kilobytes");
      }
    }
  }
  if (!(sim.configured & ITEM_INSTANT)) {
    config.instant = defaults.instant;
    if ((value = Variable("MILSIM_INSTANT")) != nullptr) {
      if (ParseNumber(value, &number) && (number == 0 || number == 1)) {
        config.instant = number == 1;
      } else {
        ReportBadVariable("MILSIM_INSTANT", value, "not 0 or 1");
      }
    }
  }
  if (!(sim.configured & ITEM_FAULTS)) {
    config.faults = defaults.faults;
    if ((value = Variable("MILSIM_FAULTS")) != nullptr) {
      int32_t faults = 0;
      if (ParseFaults(value, &faults)) {
        config.faults = faults;
      } else {
        ReportBadVariable("MILSIM_FAULTS", value, "not a list of fault names");
      }
    }
  }
}

}  // namespace sim

using namespace sim;

MILAPI void SimSetBoardType(int32_t boardType) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  sim.config.boardType = boardType;
  sim.configured |= ITEM_BOARD_TYPE;
}

MILAPI void SimSetBoardRevision(int32_t revision) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  sim.config.boardRevision = revision;
  sim.configured |= ITEM_BOARD_REVISION;
}

MILAPI int32_t SimSetSupportedFormats(const char* formats) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  if (formats == nullptr) {
    sim.config.formatsConfigured = false;
    sim.config.formats.clear();
  } else {
    std::vector<std::string> list = SplitList(formats);
    if (!ValidFormats(list)) return 0;
    sim.config.formatsConfigured = true;
    sim.config.formats = list;
  }
  sim.configured |= ITEM_FORMATS;
  return 1;
}

MILAPI int32_t SimSetPixelLayout(int32_t layoutBits) {
  if ((layoutBits & ~LAYOUT_MASK) != 0) return 0;
  Simulator& sim = State();
  Lock lock(sim.mutex);
  sim.config.pixelLayout = layoutBits;
  sim.configured |= ITEM_PIXEL_LAYOUT;
  return 1;
}

MILAPI void SimSetGrabMemoryKb(uint32_t kilobytes) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  sim.config.grabMemoryBytes = static_cast<uint64_t>(kilobytes) * 1024;
  sim.configured |= ITEM_GRAB_MEMORY;
}

MILAPI void SimSetInstant(int32_t on) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  sim.config.instant = on != 0;
  sim.configured |= ITEM_INSTANT;
}

MILAPI void SimSetFault(int32_t fault, int32_t on) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  if (on) {
    sim.config.faults |= fault;
  } else {
    sim.config.faults &= ~fault;
  }
  sim.configured |= ITEM_FAULTS;
}
