// The simulated imaging library loaded through the host LoadLibraryA, with its
// entry points and testing controls resolved by name, as the source and the
// other suites reach it. Each test starts from SimReset, in instant mode, with
// an application and a system allocated.
#pragma once

#include <string>

#include "grabber/imaging_library.h"
#include "host_fixture.h"
#include "simulator_controls.h"

constexpr MIL_INT M_DEFAULT_FLAG = 0x10000000;
constexpr char SYSTEM_DESCRIPTOR[] = "\\\\.\\M_SYSTEM_METEOR_II";
constexpr MIL_INT IMAGE_ATTRIBUTE = 44;
constexpr MIL_INT GRAB_MEMORY_ATTRIBUTE = 12;
constexpr MIL_INT LUT_ATTRIBUTE = 256;
constexpr MIL_INT HOST_ADDRESS = static_cast<MIL_INT>(0x80000000u);

class SimulatorTest : public HostFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A digitizer for the format on the given board type, and an image buffer
  // of its geometry and bands (0 when the digitizer was refused).
  MIL_ID AllocDigitizer(int32_t boardType, const char* format);
  MIL_ID AllocImage(MIL_ID digitizer);
  // The whole call log.
  std::string CallLog() const;
  // Band value of pixel (x, y) as the buffer's bytes hold it.
  uint8_t PixelByte(MIL_ID image, int32_t x, int32_t y, int32_t byteInPixel) const;

  HMODULE module_ = nullptr;
  // The library's entry points, resolved here by name and not by the
  // source's loader, so that the simulator is tested on its own.
  ImagingLibrary mil{};
  SimControls sim{};
  MIL_ID application_ = 0;
  MIL_ID system_ = 0;
};
