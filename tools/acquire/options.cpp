// Command-line parsing for acquire: long options with "--name value" or
// "--name=value", a few short ones, and checks of every value.
#include "tools/acquire/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tools/acquire/twain_names.h"

namespace {

const char HELP[] =
    "Usage: acquire [OPTION]...\n"
    "Acquire images from a TWAIN data source through the Source Manager TWAIN_32.DLL.\n"
    "\n"
    "  -L, --list              list the data sources and exit\n"
    "  -d, --source NAME|N     the source to open, by product name or by its number\n"
    "                          in --list; by default the only source there is\n"
    "  -m, --mode MODE         transfer mechanism: native (a .bmp file built from the\n"
    "                          source's bitmap), memory (strips assembled into a .png\n"
    "                          file) or file (the source writes its own TIFF file);\n"
    "                          by default the source's current ICAP_XFERMECH\n"
    "  -c, --count N           images to acquire (CAP_XFERCOUNT): 1 to 32767, or -1\n"
    "                          for as many as the source delivers, which needs --limit\n"
    "  -l, --limit N           stop after N images, ending the source's pending\n"
    "                          transfers (DAT_PENDINGXFERS / MSG_RESET)\n"
    "  -o, --output PATTERN    file name of each image; %d becomes the image number\n"
    "                          (from 1). A name without %d gets -N before its\n"
    "                          extension when several images are expected. Default:\n"
    "                          image-%d.bmp, image-%d.png or image-%d.tif by mechanism\n"
    "      --set CAP=VALUE     set a capability before acquiring, e.g.\n"
    "                          --set ICAP_PIXELTYPE=TWPT_RGB, --set CAP_XFERCOUNT=3;\n"
    "                          VALUE is a number, a named value (TWPT_RGB or rgb),\n"
    "                          TRUE/FALSE, or a decimal for TWTY_FIX32; repeatable,\n"
    "                          applied in order after --mode and --count\n"
    "      --get CAP           report a capability (after every --set) and exit\n"
    "                          without acquiring; repeatable\n"
    "      --buffer BYTES      memory transfer buffer size; default the source's\n"
    "                          preferred size (DAT_SETUPMEMXFER), kept within its\n"
    "                          minimum and maximum\n"
    "      --timeout SECONDS   how long to wait for the source's MSG_XFERREADY\n"
    "                          (default 10)\n"
    "      --ui                enable the source with its user interface and wait\n"
    "                          for the user to press its Transfer button (give a\n"
    "                          --timeout long enough for the user)\n"
    "  -h, --help              show this help and exit\n"
    "\n"
    "CAP is a capability name (CAP_XFERCOUNT, ICAP_PIXELTYPE, ICAP_XFERMECH, ...) or\n"
    "its number (0x0101).\n"
    "\n"
    "Each step is reported on its own line; strips and images show their progress\n"
    "and every image ends with a summary of its geometry, bytes and time. On a\n"
    "failure the condition code (DAT_STATUS) and its meaning are printed and the\n"
    "exit status is 1; a wrong command line exits with 2.\n"
    "\n"
    "Environment: TWAIN_DS_DIR names the folder in which the Source Manager looks\n"
    "for data sources (*.ds); by default the folder of TWAIN_32.DLL.\n";

struct Flag {
  const char* longName;
  char shortName;
  bool takesValue;
};

const Flag FLAGS[] = {
    {"list", 'L', false}, {"source", 'd', true}, {"mode", 'm', true},  {"count", 'c', true},
    {"limit", 'l', true}, {"output", 'o', true}, {"set", 0, true},     {"get", 0, true},
    {"buffer", 0, true},  {"timeout", 0, true},  {"help", 'h', false}, {"ui", 0, false},
};

bool ParseLong(const std::string& text, long low, long high, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long number = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || number < low || number > high) return false;
  *value = number;
  return true;
}

bool Refuse(std::string* error, const std::string& message) {
  *error = message;
  return false;
}

bool Apply(const Flag& flag, const std::string& value, Options* options, std::string* error) {
  std::string name = std::string("--") + flag.longName;
  std::string option = flag.longName;
  if (option == "list") {
    options->list = true;
  } else if (option == "ui") {
    options->userInterface = true;
  } else if (option == "help") {
    options->help = true;
  } else if (option == "source") {
    if (value.empty()) return Refuse(error, name + " needs a source name or number");
    options->source = value;
  } else if (option == "mode") {
    if (value == "native")
      options->mode = TransferMode::Native;
    else if (value == "memory")
      options->mode = TransferMode::Memory;
    else if (value == "file")
      options->mode = TransferMode::File;
    else
      return Refuse(error, name + " takes native, memory or file, not '" + value + "'");
  } else if (option == "count") {
    if (!ParseLong(value, -1, 32767, &options->count) || options->count == 0)
      return Refuse(error, name + " takes -1 or a number from 1 to 32767, not '" + value + "'");
    options->countGiven = true;
  } else if (option == "limit") {
    if (!ParseLong(value, 1, 1000000, &options->limit))
      return Refuse(error, name + " takes a number from 1 to 1000000, not '" + value + "'");
  } else if (option == "output") {
    if (value.empty()) return Refuse(error, name + " needs a file name");
    options->output = value;
  } else if (option == "set") {
    size_t equals = value.find('=');
    TW_UINT16 capability = 0;
    if (equals == std::string::npos || equals + 1 == value.size())
      return Refuse(error, name + " takes CAP=VALUE, not '" + value + "'");
    if (!CapabilityByName(value.substr(0, equals), &capability))
      return Refuse(error, "unknown capability '" + value.substr(0, equals) + "'");
    options->sets.push_back({capability, value.substr(equals + 1)});
  } else if (option == "get") {
    TW_UINT16 capability = 0;
    if (!CapabilityByName(value, &capability))
      return Refuse(error, "unknown capability '" + value + "'");
    options->gets.push_back(capability);
  } else if (option == "buffer") {
    long bytes = 0;
    if (!ParseLong(value, 1, 0x7FFFFFFF, &bytes))
      return Refuse(error, name + " takes a number of bytes, not '" + value + "'");
    options->bufferSize = static_cast<unsigned long>(bytes);
  } else if (option == "timeout") {
    char* end = nullptr;
    double seconds = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(seconds > 0 && seconds <= 86400))
      return Refuse(error, name + " takes a number of seconds, not '" + value + "'");
    options->timeoutSeconds = seconds;
  }
  return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const argv[], Options* options, std::string* error) {
  *options = Options{};
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    const Flag* flag = nullptr;
    std::string value;
    bool inlineValue = false;
    if (argument.rfind("--", 0) == 0) {
      std::string name = argument.substr(2);
      size_t equals = name.find('=');
      if (equals != std::string::npos) {
        value = name.substr(equals + 1);
        name = name.substr(0, equals);
        inlineValue = true;
      }
      for (const Flag& candidate : FLAGS)
        if (name == candidate.longName) flag = &candidate;
    } else if (argument.size() == 2 && argument[0] == '-') {
      for (const Flag& candidate : FLAGS)
        if (candidate.shortName != 0 && argument[1] == candidate.shortName) flag = &candidate;
    }
    if (flag == nullptr) return Refuse(error, "unknown argument '" + argument + "'");
    if (flag->takesValue && !inlineValue) {
      if (i + 1 >= argc) return Refuse(error, argument + " needs a value");
      value = argv[++i];
    } else if (!flag->takesValue && inlineValue) {
      return Refuse(error, argument + " takes no value");
    }
    if (!Apply(*flag, value, options, error)) return false;
  }
  if (options->countGiven && options->count == -1 && options->limit == 0)
    return Refuse(error, "--count -1 acquires without end: give --limit N as well");
  return true;
}

const char* HelpText() { return HELP; }

std::string OutputFileName(const std::string& pattern, unsigned number, bool several,
                           const char* extension) {
  std::string name = pattern.empty() ? std::string("image-%d.") + extension : pattern;
  std::string digits = std::to_string(number);
  size_t marker = name.find("%d");
  if (marker != std::string::npos) {
    for (; marker != std::string::npos; marker = name.find("%d", marker + digits.size()))
      name.replace(marker, 2, digits);
    return name;
  }
  if (!several) return name;
  size_t folder = name.find_last_of("/\\");
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (folder != std::string::npos && dot < folder) ||
      dot == (folder == std::string::npos ? 0 : folder + 1))
    return name + "-" + digits;
  return name.substr(0, dot) + "-" + digits + name.substr(dot);
}
