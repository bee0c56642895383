// A capability query through DS_Entry with the log off and with the log to
// its file, and a whole MSG_OPENDS + MSG_CLOSEDS on the simulated board.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "comparisons.h"
#include "grabber/imaging_library.h"
#include "grabber/mil_constants.h"
#include "grabber/mil_info.h"
#include "source/source_session.h"

namespace {

// The log's file goes to a folder of the benchmark's own, emptied at the end.
class LogFolder {
 public:
  explicit LogFolder(bool toFile) : toFile_(toFile) {
    if (!toFile_) return;
    path_ =
        std::filesystem::temp_directory_path() / ("twain_bench_log." + std::to_string(getpid()));
    std::filesystem::create_directories(path_);
    snprintf(sourceSession.moduleDirectory, sizeof sourceSession.moduleDirectory, "%s",
             path_.c_str());
    logFile_ = (path_ / "KORVANTA.LOG").string();
  }
  ~LogFolder() {
    if (toFile_) std::filesystem::remove_all(path_);
  }
  const std::string& logFile() const { return logFile_; }

 private:
  bool toFile_;
  std::filesystem::path path_;
  std::string logFile_;
};

// The source open on the grey format, the log as chosen.
class OpenWithLog : public Operation {
 public:
  OpenWithLog(BenchSource& source, bool logToFile) : source_(source), folder_(logToFile) {
    ready_ = source.Open(BENCH_GREY);
    sourceSession.dumpMode = logToFile ? DUMP_TO_FILE : 0;
  }
  ~OpenWithLog() override {
    sourceSession.dumpMode = 0;
    source_.Close();
  }
  bool Ready() const override { return ready_; }

 protected:
  BenchSource& source_;
  LogFolder folder_;
  bool ready_ = false;
};

// DAT_CAPABILITY / MSG_GET of ICAP_XFERMECH, a three-item enumeration, and
// the application freeing the container.
class CapabilityGet : public OpenWithLog {
 public:
  using OpenWithLog::OpenWithLog;
  void Run() override {
    TW_CAPABILITY capability{ICAP_XFERMECH, TWON_DONTCARE16, nullptr};
    source_.Control(DAT_CAPABILITY, MSG_GET, &capability);
    if (capability.hContainer == nullptr) abort();
    GlobalFree(capability.hContainer);
  }
};

// The container alone: one block of the enumeration's size, filled and
// freed; with the log, also one append to the log file.
class CapabilityBaseline : public OpenWithLog {
 public:
  CapabilityBaseline(BenchSource& source, bool logToFile)
      : OpenWithLog(source, logToFile), logToFile_(logToFile) {}
  void Run() override {
    constexpr size_t size = sizeof(TW_ENUMERATION) - sizeof(TW_UINT8) + 3 * sizeof(TW_UINT16);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    auto* enumeration = static_cast<TW_ENUMERATION*>(GlobalLock(block));
    enumeration->ItemType = TWTY_UINT16;
    enumeration->NumItems = 3;
    enumeration->CurrentIndex = 0;
    enumeration->DefaultIndex = 0;
    for (TW_UINT16 item = 0; item < 3; ++item) {
      memcpy(enumeration->ItemList + item * sizeof item, &item, sizeof item);
    }
    GlobalUnlock(block);
    GlobalFree(block);
    if (logToFile_) {
      FILE* file = fopen(folder_.logFile().c_str(), "a+");
      fputs("Dispatching DG_CONTROL / DAT_1 / MSG_1 \n", file);
      fflush(file);
      fclose(file);
    }
  }

 private:
  bool logToFile_;
};

// MSG_OPENDS + MSG_CLOSEDS: library start-up, registry read, digitizer,
// display and image buffer, the grab-memory probe, the stored adjustments.
class OpenClose : public Operation {
 public:
  explicit OpenClose(BenchSource& source) : source_(source) {}
  void Run() override {
    if (!source_.Open(BENCH_GREY)) abort();
    source_.Close();
  }

 private:
  BenchSource& source_;
};

// What the probe of the set-up cannot do without on this board: taking its
// grab memory in one-megabyte buffers until refused, and giving it back.
class GrabMemoryBaseline : public Operation {
 public:
  explicit GrabMemoryBaseline(BenchSource& source) : source_(source) {
    ready_ = source.Open(BENCH_GREY);
    if (ready_) imagingLibrary.MappControl(MIL_ERROR_REPORTS, MIL_REPORTS_OFF);
  }
  ~GrabMemoryBaseline() override { source_.Close(); }
  bool Ready() const override { return ready_; }
  void Run() override {
    MIL_ID held[100];
    size_t count = 0;
    while (count < 100) {
      MIL_ID buffer = imagingLibrary.MbufAlloc1d(milInfo.MilSystem, 1024 * 1024, MIL_UNSIGNED_8,
                                                 MIL_GRAB_PROBE_ATTRIBUTE, nullptr);
      if (buffer == 0) break;
      held[count++] = buffer;
    }
    while (count > 0) imagingLibrary.MbufFree(held[--count]);
  }

 private:
  BenchSource& source_;
  bool ready_ = false;
};

const bool registered = [] {
  RegisterComparison(
      {"capability-get/log-off", Make<CapabilityGet>(false), Make<CapabilityBaseline>(false), 0});
  RegisterComparison(
      {"capability-get/log-file", Make<CapabilityGet>(true), Make<CapabilityBaseline>(true), 0});
  RegisterComparison({"open-close/grey", Make<OpenClose>(), Make<GrabMemoryBaseline>(), 0});
  return true;
}();

}  // namespace
