// The system block of the diagnostic log, for support: what the screen, the
// operating system and the memory looked like when the digitizer was set up.
#include "grabber/system_dump.h"

#include "grabber/mil_info.h"
#include "platform/win32.h"
#include "source/diagnostic_log.h"

namespace {

// Printed as a signed number, wide enough for the address space of any host.
long Kilobytes(SIZE_T bytes) { return static_cast<long>(bytes / 1024); }

}  // namespace

void DumpSystemSettings() {
  DiagnosticLog log;
  log.Write("------------------------------------------ \n");
  log.Write("Dumping system Settings \n");
  log.Write("------------------------------------------ \n");

  log.Write("VGA: \n");
  HDC screen = GetDC(nullptr);
  log.Write("VGA Driver version = %d \n", GetDeviceCaps(screen, DRIVERVERSION));
  log.Write("VGA resolution = %d x %d x %d @ %d Hz\n", GetDeviceCaps(screen, HORZRES),
            GetDeviceCaps(screen, VERTRES), GetDeviceCaps(screen, BITSPIXEL),
            GetDeviceCaps(screen, VREFRESH));
  ReleaseDC(nullptr, screen);

  log.Write("Operating system: \n");
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  log.Write("Windows %d.%d Build %d %.*s\n", static_cast<int>(version.dwMajorVersion),
            static_cast<int>(version.dwMinorVersion), static_cast<int>(version.dwBuildNumber),
            static_cast<int>(sizeof version.szCSDVersion), version.szCSDVersion);

  log.Write("Memory: \n");
  MEMORYSTATUS memory = {};
  GlobalMemoryStatus(&memory);
  if (memory.dwLength != sizeof memory) {
    log.Write("MEMORYSTATUS stuct size does not match, BUG!! \n");
  }
  log.Write("Physical memory: avail %ld kB, total %ld kB, Load %d \n",
            Kilobytes(memory.dwAvailPhys), Kilobytes(memory.dwTotalPhys),
            static_cast<int>(memory.dwMemoryLoad));
  log.Write("Virtual  memory: avail %ld kB, total %ld kB\n", Kilobytes(memory.dwAvailVirtual),
            Kilobytes(memory.dwTotalVirtual));
  log.Write("Grab memory: %d kB \n", static_cast<int>(milInfo.GrabMemoryKb));
}
