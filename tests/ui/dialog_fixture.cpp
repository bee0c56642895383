#include "dialog_fixture.h"

#include <cstdio>
#include <sstream>

#include "grabber/mil_info.h"
#include "settings/grabber_settings.h"
#include "settings/registry_settings.h"
#include "source/entry_point.h"
#include "source/source_session.h"
#include "ui/tab_pages.h"

namespace {

template <typename Proc>
void Resolve(HMODULE module, const char* name, Proc* proc) {
  *proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
  ASSERT_NE(*proc, nullptr) << name;
}

constexpr char SETTINGS_KEY[] = "SOFTWARE\\Korvanta\\Twain\\Meteor2";
constexpr char SOURCE_KEY[] = "SOFTWARE\\Korvanta\\Twain\\";

}  // namespace

void DialogTest::SetUp() {
  HostFixture::SetUp();
  // The log goes to the debugger output, which the host captures; Dump is
  // read at attach.
  DWORD dump = DUMP_TO_DEBUGGER;
  SetRegistryValue(SOURCE_KEY, "Dump", REG_DWORD, &dump, sizeof dump);
  ASSERT_TRUE(HandleModuleNotification(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH));
  milInfo = MilInfo();
  ResetGrabberSettings();

  // Held loaded, so that the simulator's state outlives the source's loads.
  simulatorModule_ = LoadLibraryA("MIL.DLL");
  ASSERT_NE(simulatorModule_, nullptr) << "the simulator MIL.DLL is not in the bin folder";
  Resolve(simulatorModule_, "SimReset", &sim.Reset);
  Resolve(simulatorModule_, "SimSetBoardType", &sim.SetBoardType);
  Resolve(simulatorModule_, "SimSetSupportedFormats", &sim.SetSupportedFormats);
  Resolve(simulatorModule_, "SimSetInstant", &sim.SetInstant);
  Resolve(simulatorModule_, "SimReadCallLog", &sim.ReadCallLog);
  Resolve(simulatorModule_, "SimClearCallLog", &sim.ClearCallLog);
  Resolve(simulatorModule_, "SimGetDigitizerState", &sim.GetDigitizerState);
  Resolve(simulatorModule_, "SimGetDisplayState", &sim.GetDisplayState);
  Resolve(simulatorModule_, "SimObjectCount", &sim.ObjectCount);
  if (HasFatalFailure()) return;
  sim.Reset();
  sim.SetInstant(1);

  // Loaded by its path first, so the source's LoadLibraryA("TWAIN_32.DLL")
  // finds it.
  fakeSourceManager_ = LoadLibraryA(FAKE_SOURCE_MANAGER_PATH);
  ASSERT_NE(fakeSourceManager_, nullptr);
  Resolve(fakeSourceManager_, "FakeNotificationCount", &notificationCount_);
  Resolve(fakeSourceManager_, "FakeNotificationAt", &notificationAt_);
  Resolve(fakeSourceManager_, "FakeClearNotifications", &clearNotifications_);
  if (HasFatalFailure()) return;
  clearNotifications_();

  ASSERT_EQ(CreateRegistryDefaults(), 0);
  dataSource_ = sourceSession.sourceIdentity;
  dataSource_.Id = 42;
}

void DialogTest::TearDown() {
  Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  // Nothing of the session outlives it: no window, pen or device context,
  // no imaging-library object; and no object was used after it was freed or
  // freed while a grab still wrote into it.
  EXPECT_EQ(HostLiveWindowCount(), 0u) << "a window outlived the session";
  EXPECT_EQ(HostLiveGdiObjectCount(), 0u) << "a GDI object outlived the session";
  EXPECT_EQ(HostOpenDeviceContextCount(), 0u) << "a device context was left open";
  if (sim.ObjectCount != nullptr) {
    EXPECT_EQ(sim.ObjectCount(SIM_ALL_OBJECTS), 0) << "an imaging-library object was left";
    std::string log = CallLog();
    EXPECT_EQ(log.find("continuous grab"), std::string::npos) << log;
    EXPECT_EQ(log.find("unknown"), std::string::npos) << log;
  }
  HostDestroyAllWindows();
  milInfo = MilInfo();
  ResetGrabberSettings();
  if (sim.Reset != nullptr) sim.Reset();
  if (simulatorModule_ != nullptr) FreeLibrary(simulatorModule_);
  if (clearNotifications_ != nullptr) clearNotifications_();
  if (fakeSourceManager_ != nullptr) FreeLibrary(fakeSourceManager_);
  HandleModuleNotification(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
  HostFixture::TearDown();
}

void DialogTest::StoreSetting(const char* name, uint32_t value) {
  DWORD data = value;
  SetRegistryValue(SETTINGS_KEY, name, REG_DWORD, &data, sizeof data);
}

void DialogTest::StoreFormat(const char* format) {
  SetRegistryValue(SETTINGS_KEY, "DigFormat", REG_SZ, format, DWORD(strlen(format) + 1));
}

void DialogTest::Open(int32_t boardType) {
  sim.SetBoardType(boardType);
  ASSERT_EQ(Control(DAT_IDENTITY, MSG_OPENDS, &dataSource_), TWCC_SUCCESS);
}

void DialogTest::Enable(TW_UINT16 MSG) {
  TW_USERINTERFACE userInterface{TWAIN_TRUE, TWAIN_FALSE, nullptr};
  ASSERT_EQ(Control(DAT_USERINTERFACE, MSG, &userInterface), TWCC_SUCCESS);
  ASSERT_NE(Dialog(), nullptr);
  ClearLogs();
}

void DialogTest::OpenAndEnable(int32_t boardType, const char* format) {
  StoreFormat(format);
  Open(boardType);
  if (HasFatalFailure()) return;
  Enable();
}

TW_UINT16 DialogTest::Control(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
  EXPECT_EQ(DS_Entry(&application_, DG_CONTROL, DAT, MSG, data), TWRC_SUCCESS);
  TW_STATUS status{0xFFFF, 0};
  DS_Entry(&application_, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
  return status.ConditionCode;
}

HWND DialogTest::Dialog() const { return sourceSession.dialogWindow; }

HWND DialogTest::Item(int id) const { return GetDlgItem(Dialog(), id); }

HWND DialogTest::Page() const {
  const PageRecord* record = GetPageRecord(Dialog());
  return record != nullptr ? record->page : nullptr;
}

HWND DialogTest::PageItem(int id) const { return GetDlgItem(Page(), id); }

void DialogTest::Click(int id) {
  ASSERT_TRUE(HostClickControl(Item(id))) << "control " << id << " of the dialog";
}

void DialogTest::ClickOnPage(int id) {
  ASSERT_TRUE(HostClickControl(PageItem(id))) << "control " << id << " of the page";
}

void DialogTest::ChooseTab(int index) {
  ASSERT_TRUE(HostChooseTab(Item(1034), index)) << "tab " << index;
}

bool DialogTest::Checked(HWND control) const {
  return SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool DialogTest::Enabled(HWND control) const { return IsWindowEnabled(control) != FALSE; }

std::string DialogTest::Text(HWND control) const {
  const char* text = HostWindowText(control);
  return text != nullptr ? text : "";
}

RECT DialogTest::Placement(HWND window) const {
  RECT rect{};
  GetWindowRect(window, &rect);
  HWND parent = GetParent(window);
  if (parent != nullptr) {
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ScreenToClient(parent, &corners[0]);
    ScreenToClient(parent, &corners[1]);
    rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  }
  return rect;
}

LONG DialogTest::Width(HWND window) const {
  RECT rect = Placement(window);
  return rect.right - rect.left;
}

LONG DialogTest::Height(HWND window) const {
  RECT rect = Placement(window);
  return rect.bottom - rect.top;
}

std::string DialogTest::CallLog() const {
  std::string log(sim.ReadCallLog(nullptr, 0) + 1, '\0');
  log.resize(sim.ReadCallLog(&log[0], log.size()));
  return log;
}

std::vector<std::string> DialogTest::Calls(const std::string& name) const {
  std::vector<std::string> lines;
  std::istringstream log(CallLog());
  for (std::string line; std::getline(log, line);) {
    if (line.compare(0, name.size() + 1, name + "(") == 0) lines.push_back(line);
  }
  return lines;
}

void DialogTest::ClearLogs() {
  sim.ClearCallLog();
  HostClearDebugOutput();
  HostClearMessageBoxes();
  clearNotifications_();
}

SimDigitizerState DialogTest::DigitizerState() const {
  SimDigitizerState state{};
  EXPECT_EQ(sim.GetDigitizerState(milInfo.MilDigitizer, &state), 1);
  return state;
}

SimDisplayState DialogTest::DisplayState() const {
  SimDisplayState state{};
  EXPECT_EQ(sim.GetDisplayState(milInfo.MilDisplay, &state), 1);
  return state;
}

std::string Call(const std::string& name, const std::vector<long long>& args) {
  std::string line = name + "(";
  for (size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + std::to_string(args[i]);
  return line + ")";
}
