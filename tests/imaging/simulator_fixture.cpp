#include "simulator_fixture.h"

#define RESOLVE_MIL(name) ResolveExport(module_, #name, &mil.name)

void SimulatorTest::SetUp() {
  HostFixture::SetUp();
  LoadSimulator(&module_, &sim);
  if (HasFatalFailure()) return;
  RESOLVE_MIL(MappAlloc);
  RESOLVE_MIL(MappFree);
  RESOLVE_MIL(MappControl);
  RESOLVE_MIL(MsysAlloc);
  RESOLVE_MIL(MsysFree);
  RESOLVE_MIL(MsysInquire);
  RESOLVE_MIL(MdigAlloc);
  RESOLVE_MIL(MdigFree);
  RESOLVE_MIL(MdigGrab);
  RESOLVE_MIL(MdigGrabContinuous);
  RESOLVE_MIL(MdigHalt);
  RESOLVE_MIL(MdigInquire);
  RESOLVE_MIL(MdigChannel);
  RESOLVE_MIL(MdigControl);
  RESOLVE_MIL(MdigLut);
  RESOLVE_MIL(MdigReference);
  RESOLVE_MIL(MdigHookFunction);
  RESOLVE_MIL(MdispAlloc);
  RESOLVE_MIL(MdispSelect);
  RESOLVE_MIL(MdispSelectWindow);
  RESOLVE_MIL(MdispDeselect);
  RESOLVE_MIL(MdispControl);
  RESOLVE_MIL(MdispInquire);
  RESOLVE_MIL(MdispFree);
  RESOLVE_MIL(MdispZoom);
  RESOLVE_MIL(MbufAllocColor);
  RESOLVE_MIL(MbufAlloc1d);
  RESOLVE_MIL(MbufChildColor);
  RESOLVE_MIL(MbufFree);
  RESOLVE_MIL(MbufInquire);
  RESOLVE_MIL(MbufSave);
  RESOLVE_MIL(MgenLutRamp);
  if (HasFatalFailure()) return;
  application_ = mil.MappAlloc(M_DEFAULT_FLAG, nullptr);
  system_ = mil.MsysAlloc(SYSTEM_DESCRIPTOR, 0, 0, nullptr);
  ASSERT_NE(system_, 0);
}

void SimulatorTest::TearDown() {
  UnloadSimulator(&module_, sim);
  HostFixture::TearDown();
}

MIL_ID SimulatorTest::AllocDigitizer(int32_t boardType, const char* format) {
  sim.SetBoardType(boardType);
  return mil.MdigAlloc(system_, 0, format, M_DEFAULT_FLAG, nullptr);
}

MIL_ID SimulatorTest::AllocImage(MIL_ID digitizer) {
  MIL_INT bands = mil.MdigInquire(digitizer, 1005, nullptr);
  MIL_INT width = mil.MdigInquire(digitizer, 1002, nullptr);
  MIL_INT height = mil.MdigInquire(digitizer, 1003, nullptr);
  return mil.MbufAllocColor(system_, bands, width, height, 8, IMAGE_ATTRIBUTE, nullptr);
}

std::string SimulatorTest::CallLog() const { return sim.CallLog(); }

uint8_t SimulatorTest::PixelByte(MIL_ID image, int32_t x, int32_t y, int32_t byteInPixel) const {
  MIL_INT layout = mil.MbufInquire(image, 1010, nullptr) & 0x3F00;
  MIL_INT bands = mil.MbufInquire(image, 1005, nullptr);
  MIL_INT width = mil.MbufInquire(image, 1002, nullptr);
  int32_t bytesPerPixel = bands == 1 ? 1
                          : (layout == 0x0900 || layout == 0x0A00 || layout == 0x1100 ||
                             layout == 0x1200)
                              ? 4
                              : 3;
  const uint8_t* pixels =
      reinterpret_cast<const uint8_t*>(mil.MbufInquire(image, HOST_ADDRESS, nullptr));
  return pixels[(static_cast<size_t>(y) * width + x) * bytesPerPixel + byteInPixel];
}
