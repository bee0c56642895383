// The command line of acquire.
#pragma once

#include <string>
#include <vector>

#include "platform/twain.h"

enum class TransferMode { SourceCurrent, Native, Memory, File };

struct CapabilityAssignment {
  TW_UINT16 capability;
  std::string value;  // as typed; encoded once the item type is known
};

struct Options {
  bool help = false;
  bool list = false;
  std::string source;  // product name or number in the list; empty: the only one
  TransferMode mode = TransferMode::SourceCurrent;
  bool countGiven = false;
  long count = 1;      // CAP_XFERCOUNT; -1 is unlimited
  long limit = 0;      // 0: no limit
  std::string output;  // file name pattern; empty: image-%d with the mode's extension
  std::vector<CapabilityAssignment> sets;
  std::vector<TW_UINT16> gets;
  unsigned long bufferSize = 0;  // memory transfer buffer; 0: the source's preferred size
  double timeoutSeconds = 10;
  bool userInterface = false;  // --ui: the source shows its dialog; the user transfers
};

// False with a message for the user when the command line is wrong.
bool ParseOptions(int argc, const char* const argv[], Options* options, std::string* error);

const char* HelpText();

// The file for image `number` (from 1): "%d" in the pattern becomes the
// number; a pattern without it gets "-<number>" before its extension when
// several images are expected; an empty pattern is "image-%d.<extension>".
std::string OutputFileName(const std::string& pattern, unsigned number, bool several,
                           const char* extension);
