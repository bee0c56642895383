// Two acquisitions in one process, as an application that acquires twice
// does. Wine's Source Manager keeps a data source loaded after MSG_CLOSEDS,
// so the second session meets the module again without a new process attach.
//
//   two_sessions.exe [acquire's options]
//
// Each session runs acquire's whole course with those options; the images of
// the first go to "first-<output>", of the second to "second-<output>".
#include <cstdio>
#include <string>

#include "tools/acquire/acquisition.h"
#include "tools/acquire/options.h"

int main(int argc, char* argv[]) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, &options, &error) || options.output.empty()) {
    std::fprintf(stderr, "two_sessions: %s\n", error.empty() ? "give --output" : error.c_str());
    return 2;
  }
  const std::string output = options.output;
  for (const char* session : {"first", "second"}) {
    std::printf("== %s session\n", session);
    std::fflush(stdout);
    options.output = std::string(session) + "-" + output;
    int status = RunAcquire(options);
    if (status != 0) return status;
  }
  return 0;
}
