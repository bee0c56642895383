#include "application_fixture.h"

#include <cstring>

void ApplicationTest::AttachSource() {
  source_.Unload();
  source_.Load();
  ASSERT_TRUE(source_.loaded());
  TW_IDENTITY attach{};
  source_(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &attach);
  dataSource_ = attach;
  dataSource_.Id = SOURCE_ID;
}

void ApplicationTest::Call(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data) {
  EXPECT_EQ(source_(&application_, DG_CONTROL, DAT, MSG, data), TWRC_SUCCESS);
}

TW_UINT16 ApplicationTest::Status() {
  TW_STATUS status{0xFFFF, 0xFFFF};
  Call(DAT_STATUS, MSG_GET, &status);
  return status.ConditionCode;
}

TW_UINT16 ApplicationTest::Open() {
  Call(DAT_IDENTITY, MSG_OPENDS, &dataSource_);
  return Status();
}

TW_UINT16 ApplicationTest::Close() {
  Call(DAT_IDENTITY, MSG_CLOSEDS, &dataSource_);
  return Status();
}

void ApplicationTest::SetXferCount(TW_INT16 count) {
  TW_HANDLE container = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
  ASSERT_NE(container, nullptr);
  auto* value = static_cast<TW_ONEVALUE*>(GlobalLock(container));
  value->ItemType = TWTY_INT16;
  value->Item = TW_UINT32(TW_UINT16(count));
  GlobalUnlock(container);
  TW_CAPABILITY capability{CAP_XFERCOUNT, TWON_ONEVALUE, container};
  Call(DAT_CAPABILITY, MSG_SET, &capability);
  GlobalFree(container);
  ASSERT_EQ(Status(), TWCC_SUCCESS);
}

void ApplicationTest::StoreSetting(const char* name, DWORD type, const void* data, DWORD size) {
  ASSERT_EQ(Open(), TWCC_SUCCESS);
  ASSERT_EQ(Close(), TWCC_SUCCESS);
  SetRegistryValue("SOFTWARE\\Korvanta\\Twain\\Meteor2", name, type, data, size);
}

void ApplicationTest::StoreDigFormat(const char* format) {
  StoreSetting("DigFormat", REG_SZ, format, DWORD(strlen(format) + 1));
}
