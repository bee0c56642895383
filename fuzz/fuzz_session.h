// What the fuzz targets that drive DS_Entry share: the source library linked
// in process (so the session state can be read after every call), the
// simulated board in instant mode, an in-memory registry, a private folder for
// transfer files, and the checks that hold after every call.
#pragma once

#include <cstddef>
#include <string>

#include "platform/imaging/sim_testing.h"
#include "platform/twain.h"
#include "platform/win32.h"

class FuzzSession {
 public:
  // Once per process: attach, MIL.DLL for its testing calls, the folder.
  static FuzzSession& Get();

  // Every input starts from a fresh attach and an empty registry.
  void Begin();
  // Process attach again, which reads the registry value Dump.
  void Attach();
  // Closes the source and checks that nothing is left: no global block of
  // the source alive or locked, no imaging object, state 300.
  void End();

  TW_UINT16 Call(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF data);
  TW_UINT16 CallFrom(pTW_IDENTITY origin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                     TW_MEMREF data);
  void Open();
  void Close();

  TW_IDENTITY& application() { return application_; }
  TW_IDENTITY& dataSource() { return dataSource_; }
  // The folder that transfer files may be written into.
  const std::string& folder() const { return folder_; }

 private:
  FuzzSession();

  TW_IDENTITY application_{};
  TW_IDENTITY dataSource_{};
  std::string folder_;
  HMODULE mil_ = nullptr;
  SimResetProc reset_ = nullptr;
  SimSetInstantProc setInstant_ = nullptr;
  SimObjectCountProc objectCount_ = nullptr;
  size_t liveBlocksAtBegin_ = 0;
};

// Aborts with the message when a condition does not hold, so the fuzzer
// keeps the input.
void FuzzCheck(bool condition, const char* what);
