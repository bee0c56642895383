// The source linked into a benchmark program and driven through DS_Entry, as
// a Source Manager drives the loaded module, with the simulated board in
// instant mode and an in-memory registry. Linked in process, so that a
// benchmark can read and set the session state and swap the grab.
#pragma once

#include <cstdint>

#include "platform/imaging/sim_testing.h"
#include "platform/twain.h"
#include "platform/win32.h"

// A camera format and the pixel layout of the simulator's colour buffers.
struct BenchFormat {
  const char* name;
  const char* digFormat;
  int32_t pixelLayout;  // layout bits; ignored by one-band buffers
};

constexpr BenchFormat BENCH_GREY = {"grey", "M_CCIR", 0x1000};
constexpr BenchFormat BENCH_RGB24 = {"rgb24", "M_PAL", 0x0800};  // plain three bytes
constexpr BenchFormat BENCH_BGR24 = {"bgr24", "M_PAL", 0x1000};  // blue first
constexpr BenchFormat BENCH_BGR32 = {"bgr32", "M_PAL", 0x1100};  // four bytes, blue first

struct SimulatorControls {
  SimResetProc Reset;
  SimSetInstantProc SetInstant;
  SimSetPixelLayoutProc SetPixelLayout;
};

class BenchSource {
 public:
  // Attaches the source, loads MIL.DLL for its testing calls and makes the
  // settings key with a first open and close.
  BenchSource();
  ~BenchSource();
  BenchSource(const BenchSource&) = delete;
  BenchSource& operator=(const BenchSource&) = delete;

  TW_UINT16 Control(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data);
  TW_UINT16 Image(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data);
  // DAT_STATUS / MSG_GET: the condition code, which it clears.
  TW_UINT16 Status();

  // Stores the format, opens the source on it; false (with a line on stderr)
  // when the open failed.
  bool Open(const BenchFormat& format);
  void Close();
  // CAP_XFERCOUNT -1, then MSG_ENABLEDS without user interface: state 600.
  bool EnableForTransfers();

  // Replaces the imaging library's grab with one that writes nothing, so a
  // transfer costs only the source's own work on the frame already in the
  // image buffer; the simulator's instant mode still draws a whole synthetic
  // frame at every grab.
  void UseFreeGrab();

 private:
  TW_IDENTITY application_{};
  TW_IDENTITY dataSource_{};
  HMODULE mil_ = nullptr;
  SimulatorControls sim_{};
};
