// Soak: open, enable, transfer and close the loaded module many times in one
// process, as an application through a Source Manager would, and report
// whether the live global blocks, the imaging objects and the process's
// resident memory stay flat. Each cycle takes one image by the next of the
// three mechanisms on the next of two formats (grey, colour).
//
//   soak [cycles]      (default 10000)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host/testing.h"
#include "platform/imaging/sim_testing.h"
#include "platform/twain.h"
#include "platform/win32.h"

namespace {

template <typename Proc>
Proc Resolve(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

size_t ResidentKb() {
  long pages = 0, resident = 0;
  FILE* statm = fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  if (fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
  fclose(statm);
  return size_t(resident) * size_t(sysconf(_SC_PAGESIZE)) / 1024;
}

class Soak {
 public:
  bool Start() {
    HostUseMemoryRegistry();
    folder_ = std::filesystem::temp_directory_path() / ("twain_soak." + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
    fileName_ = (folder_ / "image.tif").string();

    mil_ = LoadLibraryA("MIL.DLL");
    source_ = LoadLibraryA("Twain_32.ds");
    if (mil_ == nullptr || source_ == nullptr) {
      fprintf(stderr, "MIL.DLL or Twain_32.ds is not in the program's folder\n");
      return false;
    }
    entry_ = Resolve<DSENTRYPROC>(source_, "DS_Entry");
    objectCount_ = Resolve<SimObjectCountProc>(mil_, "SimObjectCount");
    clearCallLog_ = Resolve<SimClearCallLogProc>(mil_, "SimClearCallLog");
    Resolve<SimResetProc>(mil_, "SimReset")();
    Resolve<SimSetInstantProc>(mil_, "SimSetInstant")(1);

    application_.Id = 7;
    application_.ProtocolMajor = 1;
    application_.ProtocolMinor = 9;
    application_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    snprintf(application_.ProductName, sizeof application_.ProductName, "Soak");
    entry_(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &dataSource_);
    dataSource_.Id = 42;
    // The first open makes the settings key.
    Control(DAT_IDENTITY, MSG_OPENDS, &dataSource_);
    Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
    Status();
    HostClearMessageBoxes();
    return true;
  }

  void Stop() {
    if (source_ != nullptr) FreeLibrary(source_);
    if (mil_ != nullptr) FreeLibrary(mil_);
    std::filesystem::remove_all(folder_);
  }

  // One cycle; false with a line on stderr when any step did not do its part.
  bool Cycle(unsigned n) {
    static const char* const FORMATS[] = {"M_CCIR", "M_PAL"};
    const char* format = FORMATS[n % 2];
    // The simulator logs every call for tests; that log is not the source's.
    clearCallLog_();
    StoreDigFormat(format);
    Control(DAT_IDENTITY, MSG_OPENDS, &dataSource_);
    if (!Expect(n, "MSG_OPENDS", TWCC_SUCCESS)) return false;

    TW_USERINTERFACE userInterface{TWAIN_FALSE, TWAIN_FALSE, nullptr};
    Control(DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface);
    if (!Expect(n, "MSG_ENABLEDS", TWCC_SUCCESS)) return false;

    TW_UINT16 result = TWRC_FAILURE;
    switch ((n / 2) % 3) {
      case 0: {
        TW_HANDLE image = nullptr;
        result = Image(DAT_IMAGENATIVEXFER, &image);
        GlobalFree(image);
        break;
      }
      case 1: {
        TW_SETUPMEMXFER setup{};
        Control(DAT_SETUPMEMXFER, MSG_GET, &setup);
        strip_.resize(setup.Preferred);
        TW_IMAGEMEMXFER transfer{};
        transfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, setup.Preferred, strip_.data()};
        result = Image(DAT_IMAGEMEMXFER, &transfer);
        break;
      }
      default: {
        TW_SETUPFILEXFER setup{};
        snprintf(setup.FileName, sizeof setup.FileName, "%s", fileName_.c_str());
        setup.Format = TWFF_TIFF;
        Control(DAT_SETUPFILEXFER, MSG_SET, &setup);
        result = Image(DAT_IMAGEFILEXFER, nullptr);
        break;
      }
    }
    if (result != TWRC_XFERDONE) {
      fprintf(stderr, "cycle %u (%s): transfer %u gave %u, condition code %u\n", n, format,
              (n / 2) % 3, unsigned(result), unsigned(Status()));
      return false;
    }
    TW_PENDINGXFERS pending{};
    Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    Control(DAT_USERINTERFACE, MSG_DISABLEDS, &userInterface);
    Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
    return Expect(n, "the cycle", TWCC_SUCCESS);
  }

  int LiveImagingObjects() const { return objectCount_(SIM_ALL_OBJECTS); }

 private:
  void Control(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
    entry_(&application_, DG_CONTROL, DAT, MSG, data);
  }
  TW_UINT16 Image(TW_UINT16 DAT, TW_MEMREF data) {
    return entry_(&application_, DG_IMAGE, DAT, MSG_GET, data);
  }
  TW_UINT16 Status() {
    TW_STATUS status{};
    Control(DAT_STATUS, MSG_GET, &status);
    return status.ConditionCode;
  }
  bool Expect(unsigned n, const char* step, TW_UINT16 code) {
    TW_UINT16 actual = Status();
    if (actual == code) return true;
    fprintf(stderr, "cycle %u: %s left condition code %u\n", n, step, unsigned(actual));
    return false;
  }
  void StoreDigFormat(const char* format) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta\\Twain\\Meteor2", 0, KEY_ALL_ACCESS,
                      &key) != ERROR_SUCCESS) {
      return;
    }
    RegSetValueExA(key, "DigFormat", 0, REG_SZ, reinterpret_cast<const BYTE*>(format),
                   DWORD(strlen(format) + 1));
    RegCloseKey(key);
  }

  HMODULE mil_ = nullptr;
  HMODULE source_ = nullptr;
  DSENTRYPROC entry_ = nullptr;
  SimObjectCountProc objectCount_ = nullptr;
  SimClearCallLogProc clearCallLog_ = nullptr;
  TW_IDENTITY application_{};
  TW_IDENTITY dataSource_{};
  std::filesystem::path folder_;
  std::string fileName_;
  std::vector<uint8_t> strip_;
};

struct Sample {
  unsigned cycle;
  size_t liveBlocks;
  size_t residentKb;
  int imagingObjects;
  size_t loadedModules;
  unsigned sourceManagerReferences;
};

// References to TWAIN_32.DLL: the source takes one at every notification.
unsigned SourceManagerReferences() {
  HMODULE module = GetModuleHandleA("TWAIN_32.DLL");
  return module == nullptr ? 0 : HostModuleReferences(module);
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned cycles = argc > 1 ? unsigned(strtoul(argv[1], nullptr, 10)) : 10000;
  // Warm-up cycles fill the allocators' caches before the first sample.
  const unsigned warmUp = cycles < 100 ? cycles / 10 : 100;
  Soak soak;
  if (!soak.Start()) return 2;

  std::vector<Sample> samples;
  const unsigned every = cycles >= 10 ? cycles / 10 : 1;
  bool failed = false;
  for (unsigned n = 0; n < cycles && !failed; ++n) {
    if (n == warmUp || (n > warmUp && (n - warmUp) % every == 0)) {
      samples.push_back({n, HostLiveGlobalBlocks(), ResidentKb(), soak.LiveImagingObjects(),
                         HostLoadedModuleCount(), SourceManagerReferences()});
    }
    failed = !soak.Cycle(n);
  }
  samples.push_back({cycles, HostLiveGlobalBlocks(), ResidentKb(), soak.LiveImagingObjects(),
                     HostLoadedModuleCount(), SourceManagerReferences()});
  soak.Stop();

  printf("%8s %12s %12s %16s %15s %12s\n", "cycle", "live blocks", "RSS (KiB)", "imaging objects",
         "loaded modules", "TWAIN_32 refs");
  for (const Sample& s : samples) {
    printf("%8u %12zu %12zu %16d %15zu %12u\n", s.cycle, s.liveBlocks, s.residentKb,
           s.imagingObjects, s.loadedModules, s.sourceManagerReferences);
  }
  const Sample& first = samples.front();
  const Sample& last = samples.back();
  const bool flat = last.liveBlocks == first.liveBlocks && last.imagingObjects == 0 &&
                    last.residentKb <= first.residentKb + first.residentKb / 20;
  printf("%s after %u cycles: live blocks %zu -> %zu, RSS %zu -> %zu KiB\n",
         failed ? "FAILED"
         : flat ? "flat"
                : "NOT flat",
         last.cycle, first.liveBlocks, last.liveBlocks, first.residentKb, last.residentKb);
  return failed || !flat ? 1 : 0;
}
