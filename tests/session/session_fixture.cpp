#include "session_fixture.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

long FileSize(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? long(info.st_size) : -1;
}

void SessionTest::SetUp() {
  HostFixture::SetUp();
  // Log to the debugger output, which the host captures: Dump is read when
  // the module attaches, so the module is loaded again.
  DWORD dump = 66;
  SetRegistryValue("SOFTWARE\\Korvanta\\Twain\\", "Dump", REG_DWORD, &dump, sizeof dump);
  AttachSource();
  if (HasFatalFailure()) return;

  setenv("MILSIM_INSTANT", "1", 1);
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  tempFolder_ = OutputDirectory() + "/session_tmp/" + name;
  std::filesystem::remove_all(tempFolder_);
  std::filesystem::create_directories(tempFolder_);
  setenv("TMPDIR", tempFolder_.c_str(), 1);

  sourceManager_.Load();
}

void SessionTest::TearDown() {
  if (source_.loaded()) {
    HostClearHidden();
    Close();  // releases whatever a test left open
    source_.Unload();
  }
  sourceManager_.Unload();
  unsetenv("TMPDIR");
  std::filesystem::remove_all(tempFolder_);
  HostFixture::TearDown();
}

TW_UINT16 SessionTest::Enable(TW_BOOL showUI) {
  TW_USERINTERFACE userInterface{showUI, TWAIN_FALSE, nullptr};
  Call(DAT_USERINTERFACE, MSG_ENABLEDS, &userInterface);
  return Status();
}

TW_UINT16 SessionTest::Disable() {
  TW_USERINTERFACE userInterface{TWAIN_FALSE, TWAIN_FALSE, nullptr};
  Call(DAT_USERINTERFACE, MSG_DISABLEDS, &userInterface);
  return Status();
}

TW_UINT16 SessionTest::Pending(TW_UINT16 MSG, TW_UINT16* count) {
  TW_PENDINGXFERS pending{0xBEEF, 0};
  Call(DAT_PENDINGXFERS, MSG, &pending);
  *count = pending.Count;
  return Status();
}

TW_INT16 SessionTest::XferCount() {
  TW_CAPABILITY capability{CAP_XFERCOUNT, 0, nullptr};
  Call(DAT_CAPABILITY, MSG_GETCURRENT, &capability);
  if (capability.hContainer == nullptr) return 0x7FFF;
  auto* value = static_cast<TW_ONEVALUE*>(GlobalLock(capability.hContainer));
  EXPECT_EQ(value->ItemType, TWTY_INT16);
  TW_INT16 count = TW_INT16(value->Item & 0xFFFF);
  GlobalUnlock(capability.hContainer);
  GlobalFree(capability.hContainer);
  return count;
}
