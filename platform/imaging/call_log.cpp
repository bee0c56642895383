// The call log and the library's error reports.
#include <cstdio>
#include <cstring>

#include "exports.h"
#include "simulator.h"

namespace sim {

std::string Arg(const char* text) {
  if (text == nullptr) return "null";
  return std::string("\"") + text + "\"";
}

std::string Arg(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Arg(const void* pointer) {
  if (pointer == nullptr) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%p", pointer);
  return text;
}

void CallRecord::Error(const std::string& text) {
  error_ = " error: " + text;
  ++sim_.errorCount;
  if (sim_.errorReports) {
    std::fprintf(stderr, "MIL.DLL error: %s: %s\n", line_.substr(0, line_.find('(')).c_str(),
                 text.c_str());
  }
}

CallRecord::~CallRecord() {
  sim_.callLog += line_;
  sim_.callLog += result_;
  sim_.callLog += error_;
  sim_.callLog += '\n';
}

}  // namespace sim

using namespace sim;

MILAPI size_t SimReadCallLog(char* buffer, size_t size) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  if (buffer != nullptr && size > 0) {
    size_t copied = sim.callLog.size() < size - 1 ? sim.callLog.size() : size - 1;
    std::memcpy(buffer, sim.callLog.data(), copied);
    buffer[copied] = '\0';
  }
  return sim.callLog.size();
}

MILAPI void SimClearCallLog(void) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  sim.callLog.clear();
}

MILAPI uint32_t SimErrorCount(void) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  return sim.errorCount;
}

MILAPI int32_t SimErrorReportsOn(void) {
  Simulator& sim = State();
  Lock lock(sim.mutex);
  return sim.errorReports ? 1 : 0;
}
