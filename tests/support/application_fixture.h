// One application driving the loaded source module through DS_Entry, as a
// Source Manager passes its triplets on: the application's identity, the
// source's identity with the Id a Source Manager gave it, and the DG_CONTROL
// triplets that every such session sends.
#pragma once

#include "host_fixture.h"

// The Id the Source Manager gave the source.
constexpr TW_UINT32 SOURCE_ID = 42;

class ApplicationTest : public HostFixture {
 protected:
  // Loads the module again, so that its attach reads this test's registry,
  // and takes the source's identity, with SOURCE_ID.
  void AttachSource();

  // A DG_CONTROL triplet from the application; the entry point answers every
  // one of them TWRC_SUCCESS, so this checks that and gives nothing back.
  void Call(TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data);
  // DAT_STATUS / MSG_GET: the condition code, which it clears.
  TW_UINT16 Status();

  // MSG_OPENDS with the application's identity and the Source Manager's
  // copy of the source's identity; the condition code afterwards.
  TW_UINT16 Open();
  TW_UINT16 Close();

  // CAP_XFERCOUNT through DAT_CAPABILITY / MSG_SET.
  void SetXferCount(TW_INT16 count);

  // A stored setting for the next open: a value of the settings key, written
  // after a first open made the key with its seventeen values.
  void StoreSetting(const char* name, DWORD type, const void* data, DWORD size);
  void StoreDigFormat(const char* format);

  LoadedSource source_;
  TW_IDENTITY application_ = ApplicationIdentity(7);
  TW_IDENTITY dataSource_{};  // the source's identity with the Id a Source Manager gave it
};
