// The simulated imaging library loaded through the host LoadLibraryA, with its
// entry points and testing controls resolved by name, as the source and the
// other suites reach it. Each test starts from SimReset, in instant mode, with
// an application and a system allocated.
#pragma once

#include <string>

#include "host_fixture.h"
#include "simulator_controls.h"

struct MilEntryPoints {
  MappAllocProc MappAlloc;
  MappFreeProc MappFree;
  MappControlProc MappControl;
  MsysAllocProc MsysAlloc;
  MsysFreeProc MsysFree;
  MsysInquireProc MsysInquire;
  MdigAllocProc MdigAlloc;
  MdigFreeProc MdigFree;
  MdigGrabProc MdigGrab;
  MdigGrabContinuousProc MdigGrabContinuous;
  MdigHaltProc MdigHalt;
  MdigInquireProc MdigInquire;
  MdigChannelProc MdigChannel;
  MdigLutProc MdigLut;
  MdigReferenceProc MdigReference;
  MdigHookFunctionProc MdigHookFunction;
  MdispAllocProc MdispAlloc;
  MdispSelectWindowProc MdispSelectWindow;
  MdispDeselectProc MdispDeselect;
  MdispControlProc MdispControl;
  MdispInquireProc MdispInquire;
  MdispFreeProc MdispFree;
  MdispZoomProc MdispZoom;
  MbufAllocColorProc MbufAllocColor;
  MbufAlloc1dProc MbufAlloc1d;
  MbufChildColorProc MbufChildColor;
  MbufFreeProc MbufFree;
  MbufInquireProc MbufInquire;
  MbufSaveProc MbufSave;
  MgenLutRampProc MgenLutRamp;
};

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
  MilEntryPoints mil{};
  SimControls sim{};
  MIL_ID application_ = 0;
  MIL_ID system_ = 0;
};
