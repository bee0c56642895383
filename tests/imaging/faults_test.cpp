// Faults, configuration by environment, error reports, the call log, a
// hidden entry point and the modules' version resources.
#include <cstdlib>
#include <vector>

#include "simulator_fixture.h"

namespace {

// Sets an environment variable for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) { setenv(name, value, 1); }
  ~ScopedVariable() { unsetenv(name_); }

 private:
  const char* name_;
};

TEST_F(SimulatorTest, FaultsRefuseWhatTheyName) {
  sim.SetFault(SIM_FAULT_NO_SYSTEM, 1);
  EXPECT_EQ(mil.MsysAlloc(SYSTEM_DESCRIPTOR, 0, 0, nullptr), 0);
  sim.SetFault(SIM_FAULT_NO_SYSTEM, 0);
  EXPECT_NE(mil.MsysAlloc(SYSTEM_DESCRIPTOR, 0, 0, nullptr), 0);

  sim.SetFault(SIM_FAULT_NO_DISPLAY | SIM_FAULT_NO_IMAGE_BUFFER, 1);
  EXPECT_EQ(mil.MdispAlloc(system_, M_DEFAULT_FLAG, "M_DEFAULT", M_DEFAULT_FLAG, nullptr), 0);
  EXPECT_EQ(mil.MbufAllocColor(system_, 3, 768, 576, 8, IMAGE_ATTRIBUTE, nullptr), 0);
  EXPECT_NE(mil.MbufAllocColor(system_, 3, 256, 1, 8, LUT_ATTRIBUTE, nullptr), 0);
  EXPECT_NE(mil.MbufAlloc1d(system_, 4096, 8, GRAB_MEMORY_ATTRIBUTE, nullptr), 0);
  sim.SetFault(SIM_FAULT_NO_DISPLAY | SIM_FAULT_NO_IMAGE_BUFFER, 0);

  MIL_ID image = mil.MbufAllocColor(system_, 3, 768, 576, 8, IMAGE_ATTRIBUTE, nullptr);
  sim.SetFault(SIM_FAULT_NO_PIXEL_ADDRESS, 1);
  MIL_INT variable = -1;
  EXPECT_EQ(mil.MbufInquire(image, HOST_ADDRESS, &variable), 0);
  EXPECT_EQ(variable, 0);
  EXPECT_EQ(mil.MbufInquire(image, 1005, nullptr), 3) << "other inquiries still answer";
  sim.SetFault(SIM_FAULT_NO_PIXEL_ADDRESS, 0);
  EXPECT_NE(mil.MbufInquire(image, HOST_ADDRESS, nullptr), 0);
}

TEST_F(SimulatorTest, EnvironmentConfiguresAtAllocationUnlessATestingCallDid) {
  ScopedVariable board("MILSIM_BOARD_TYPE", "27");
  ScopedVariable revision("MILSIM_BOARD_REVISION", "0x12");
  ScopedVariable formats("MILSIM_FORMATS", "M_RS170,M_NTSC");
  ScopedVariable layout("MILSIM_PIXEL_LAYOUT", "M_XBGR32");
  ScopedVariable memory("MILSIM_GRAB_MEMORY_KB", "1024");
  ScopedVariable faults("MILSIM_FAULTS", "no-display");
  sim.Reset();
  MIL_ID application = mil.MappAlloc(M_DEFAULT_FLAG, nullptr);
  MIL_ID system = mil.MsysAlloc(SYSTEM_DESCRIPTOR, 0, 0, nullptr);
  ASSERT_NE(system, 0);
  EXPECT_EQ(mil.MsysInquire(system, 2014, nullptr), 27);
  EXPECT_EQ(mil.MsysInquire(system, 2015, nullptr), 0x12);
  EXPECT_EQ(mil.MdigAlloc(system, 0, "M_CCIR", M_DEFAULT_FLAG, nullptr), 0);
  MIL_ID digitizer = mil.MdigAlloc(system, 0, "M_NTSC", M_DEFAULT_FLAG, nullptr);
  ASSERT_NE(digitizer, 0);
  MIL_ID image = mil.MbufAllocColor(system, 3, 640, 480, 8, IMAGE_ATTRIBUTE, nullptr);
  EXPECT_EQ(mil.MbufInquire(image, 1010, nullptr) & 0x3F00, 0x1200);
  EXPECT_NE(mil.MbufAlloc1d(system, 1 << 20, 8, GRAB_MEMORY_ATTRIBUTE, nullptr), 0);
  EXPECT_EQ(mil.MbufAlloc1d(system, 1 << 20, 8, GRAB_MEMORY_ATTRIBUTE, nullptr), 0);
  EXPECT_EQ(mil.MdispAlloc(system, M_DEFAULT_FLAG, "M_DEFAULT", M_DEFAULT_FLAG, nullptr), 0);

  // A testing call wins over the environment, which is read again at
  // allocation; a variable that does not parse is ignored with a message.
  sim.SetBoardType(536);
  ScopedVariable badFaults("MILSIM_FAULTS", "no-such-fault");
  testing::internal::CaptureStderr();
  mil.MappAlloc(M_DEFAULT_FLAG, nullptr);
  std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find("MILSIM_FAULTS"), std::string::npos) << messages;
  EXPECT_EQ(mil.MsysInquire(system, 2014, nullptr), 536);
  EXPECT_NE(mil.MdispAlloc(system, M_DEFAULT_FLAG, "M_DEFAULT", M_DEFAULT_FLAG, nullptr), 0);
  mil.MappFree(application);
}

TEST_F(SimulatorTest, ErrorReportsPrintOnlyWhileSwitchedOn) {
  EXPECT_EQ(sim.ErrorReportsOn(), 1);
  mil.MappControl(0x40000000, 0);
  EXPECT_EQ(sim.ErrorReportsOn(), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(AllocDigitizer(27, "M_PAL_RGB"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  mil.MappControl(0x40000000, 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(AllocDigitizer(27, "M_PAL_RGB"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "MIL.DLL error: MdigAlloc: camera format not supported by this board\n");
  EXPECT_EQ(sim.ErrorCount(), 2u);

  testing::internal::CaptureStderr();
  mil.MappControl(0x40000000, 2);
  mil.MappControl(5, 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(sim.ErrorReportsOn(), 1);
  EXPECT_EQ(sim.ErrorCount(), 4u);

  // A new application starts with reports on again.
  mil.MappControl(0x40000000, 0);
  mil.MappAlloc(M_DEFAULT_FLAG, nullptr);
  EXPECT_EQ(sim.ErrorReportsOn(), 1);
}

TEST_F(SimulatorTest, CallLogHasALinePerCall) {
  MIL_ID digitizer = AllocDigitizer(24, "M_PAL");
  mil.MdigReference(digitizer, 4008, 20);
  mil.MdigInquire(digitizer, 4008, nullptr);
  mil.MdigFree(digitizer);
  mil.MdigFree(digitizer);
  EXPECT_EQ(CallLog(),
            "MappAlloc(268435456) = 1\n"
            "MsysAlloc(\"\\\\.\\M_SYSTEM_METEOR_II\", 0, 0) = 2\n"
            "MdigAlloc(2, 0, \"M_PAL\", 268435456) = 3\n"
            "MdigReference(3, 4008, 20)\n"
            "MdigInquire(3, 4008) = 20\n"
            "MdigFree(3)\n"
            "MdigFree(3) error: unknown digitizer id\n");
  sim.ClearCallLog();
  EXPECT_EQ(CallLog(), "");
  char small[8];
  EXPECT_EQ(sim.ReadCallLog(small, sizeof small), 0u);
  mil.MdigHalt(77);
  EXPECT_EQ(sim.ReadCallLog(small, sizeof small),
            std::string("MdigHalt(77) error: unknown digitizer id\n").size());
  EXPECT_STREQ(small, "MdigHal");
}

TEST_F(SimulatorTest, HiddenEntryPointDoesNotResolve) {
  HostHideExport("MIL.DLL", "MdispInquire");
  EXPECT_EQ(GetProcAddress(module_, "MdispInquire"), nullptr);
  EXPECT_NE(GetProcAddress(module_, "MdispFree"), nullptr);
  HostClearHidden();
  EXPECT_NE(GetProcAddress(module_, "MdispInquire"), nullptr);
}

TEST_F(SimulatorTest, ModulesCarryVersionResources) {
  HMODULE board = LoadLibraryA("MILMET2.DLL");
  ASSERT_NE(board, nullptr);
  FreeLibrary(board);
  for (const char* name : {"MIL.DLL", "MILMET2.DLL"}) {
    SCOPED_TRACE(name);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(name, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(name, handle, size, block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\ProductVersion", &value,
                               &length));
    EXPECT_STREQ(static_cast<const char*>(value), "9, 0, 0, 0");
  }
}

}  // namespace
