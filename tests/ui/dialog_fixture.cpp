#include "dialog_fixture.h"

#include <cstdio>

#include "grabber/mil_info.h"
#include "settings/grabber_settings.h"
#include "settings/registry_settings.h"
#include "source/entry_point.h"
#include "source/source_session.h"
#include "ui/tab_pages.h"

namespace {

constexpr char SETTINGS_KEY[] = "SOFTWARE\\Korvanta\\Twain\\Meteor2";
constexpr char SOURCE_KEY[] = "SOFTWARE\\Korvanta\\Twain\\";

}  // namespace

void DialogTest::SetUp() {
  GrabberTest::SetUp();
  if (HasFatalFailure()) return;
  // The log goes to the debugger output, which the host captures; Dump is
  // read at attach.
  DWORD dump = DUMP_TO_DEBUGGER;
  SetRegistryValue(SOURCE_KEY, "Dump", REG_DWORD, &dump, sizeof dump);
  ASSERT_TRUE(HandleModuleNotification(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH));

  // Loaded by its path first, so the source's LoadLibraryA("TWAIN_32.DLL")
  // finds it.
  sourceManager_.Load();
  if (HasFatalFailure()) return;

  ASSERT_EQ(CreateRegistryDefaults(), 0);
  dataSource_ = sourceSession.sourceIdentity;
  dataSource_.Id = 42;
}

void DialogTest::TearDown() {
  Control(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  // Nothing of the session outlives it: no window, pen or device context;
  // and no imaging-library object was used after it was freed or freed
  // while a grab still wrote into it.
  EXPECT_EQ(HostLiveWindowCount(), 0u) << "a window outlived the session";
  EXPECT_EQ(HostLiveGdiObjectCount(), 0u) << "a GDI object outlived the session";
  EXPECT_EQ(HostOpenDeviceContextCount(), 0u) << "a device context was left open";
  if (sim.ReadCallLog != nullptr) {
    std::string log = CallLog();
    EXPECT_EQ(log.find("continuous grab"), std::string::npos) << log;
    EXPECT_EQ(log.find("unknown"), std::string::npos) << log;
  }
  HostDestroyAllWindows();
  sourceManager_.Unload();
  HandleModuleNotification(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH);
  GrabberTest::TearDown();
}

void DialogTest::StoreSetting(const char* name, uint32_t value) {
  DWORD data = value;
  SetRegistryValue(SETTINGS_KEY, name, REG_DWORD, &data, sizeof data);
}

void DialogTest::StoreFormat(const char* format) {
  SetRegistryValue(SETTINGS_KEY, "DigFormat", REG_SZ, format, DWORD(strlen(format) + 1));
}

void DialogTest::OpenSession(int32_t boardType) {
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
  OpenSession(boardType);
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

void DialogTest::ClearLogs() {
  GrabberTest::ClearLogs();
  sourceManager_.ClearNotifications();
}

SimDisplayState DialogTest::DisplayState() const {
  SimDisplayState state{};
  EXPECT_EQ(sim.GetDisplayState(milInfo.MilDisplay, &state), 1);
  return state;
}
