#include "simulator_fixture.h"

#include <vector>

namespace {

template <class Proc>
void Resolve(HMODULE module, const char* name, Proc* proc) {
  *proc = reinterpret_cast<Proc>(GetProcAddress(module, name));
  ASSERT_NE(*proc, nullptr) << name << " is not exported by MIL.DLL";
}

}  // namespace

#define RESOLVE_MIL(name) Resolve(module_, #name, &mil.name)
#define RESOLVE_SIM(name) Resolve(module_, "Sim" #name, &sim.name)

void SimulatorTest::SetUp() {
  HostFixture::SetUp();
  module_ = LoadLibraryA("MIL.DLL");
  ASSERT_NE(module_, nullptr) << "MIL.DLL not found beside the test program";
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
  RESOLVE_MIL(MdigLut);
  RESOLVE_MIL(MdigReference);
  RESOLVE_MIL(MdigHookFunction);
  RESOLVE_MIL(MdispAlloc);
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
  RESOLVE_SIM(Reset);
  RESOLVE_SIM(SetBoardType);
  RESOLVE_SIM(SetBoardRevision);
  RESOLVE_SIM(SetSupportedFormats);
  RESOLVE_SIM(SetPixelLayout);
  RESOLVE_SIM(SetGrabMemoryKb);
  RESOLVE_SIM(SetInstant);
  RESOLVE_SIM(SetFault);
  RESOLVE_SIM(ReadCallLog);
  RESOLVE_SIM(ClearCallLog);
  RESOLVE_SIM(ErrorCount);
  RESOLVE_SIM(ErrorReportsOn);
  RESOLVE_SIM(GetDigitizerState);
  RESOLVE_SIM(GetDisplayState);
  RESOLVE_SIM(GetDisplayControl);
  RESOLVE_SIM(FrameCount);
  RESOLVE_SIM(ObjectCount);
  RESOLVE_SIM(GrabMemoryUsed);
  RESOLVE_SIM(ExpectedPixel);
  if (HasFatalFailure()) return;
  sim.Reset();
  sim.SetInstant(1);
  application_ = mil.MappAlloc(M_DEFAULT_FLAG, nullptr);
  system_ = mil.MsysAlloc(SYSTEM_DESCRIPTOR, 0, 0, nullptr);
  ASSERT_NE(system_, 0);
}

void SimulatorTest::TearDown() {
  if (sim.Reset != nullptr) sim.Reset();
  if (module_ != nullptr) FreeLibrary(module_);
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

std::string SimulatorTest::CallLog() const {
  std::vector<char> text(sim.ReadCallLog(nullptr, 0) + 1);
  sim.ReadCallLog(text.data(), text.size());
  return text.data();
}

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
