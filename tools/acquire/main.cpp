// acquire: a command-line TWAIN application.
#include <cstdio>
#include <string>

#include "tools/acquire/acquisition.h"
#include "tools/acquire/options.h"

int main(int argc, char* argv[]) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "acquire: %s\nTry 'acquire --help'.\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(HelpText(), stdout);
    return 0;
  }
  return RunAcquire(options);
}
