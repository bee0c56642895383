// Test support shared by every suite: a fixture that gives each test a fresh
// in-memory registry and checks at its end that no global block was left
// locked or leaked, and helpers to load modules as a Source Manager does.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/host/testing.h"
#include "platform/twain.h"
#include "platform/win32.h"

// Fresh registry and captured output for each test; fails the test when a
// global block it allocated is still alive or locked at its end.
class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Blocks that belong to the test itself (handed out by the source and not
  // yet freed by the test) can be declared here before TearDown.
  size_t liveBlocksAtStart_ = 0;
};

// The bin folder, where every module and program of the build lands.
std::string OutputDirectory();

// Reads a whole file; empty when it cannot be read.
std::string ReadFileText(const std::string& path);

// Sets a REG_DWORD or raw value under HKEY_CURRENT_USER\<keyPath>.
void SetRegistryValue(const char* keyPath, const char* name, DWORD type, const void* data,
                      DWORD size);

// The source module loaded through the host LoadLibraryA, as a Source Manager
// loads it, with its DS_Entry; by name from the bin folder, or by a path to a
// copy of it elsewhere.
class LoadedSource {
 public:
  explicit LoadedSource(std::string path = "Twain_32.ds");
  ~LoadedSource();
  LoadedSource(const LoadedSource&) = delete;
  LoadedSource& operator=(const LoadedSource&) = delete;

  bool loaded() const { return entry_ != nullptr; }
  HMODULE module() const { return module_; }
  TW_UINT16 operator()(pTW_IDENTITY origin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                       TW_MEMREF data) const {
    return entry_(origin, DG, DAT, MSG, data);
  }
  // Unloads the module (process detach); a later Load() attaches it again.
  void Unload();
  void Load();

 private:
  std::string path_;
  HMODULE module_ = nullptr;
  DSENTRYPROC entry_ = nullptr;
};

// Stores an export of a loaded module into *proc, with the pointer's
// function type; a missing one fails the test fatally with its name.
template <typename Proc>
void ResolveExport(HMODULE module, const char* name, Proc* proc) {
  // Through the generic function type, which converts to every other one.
  *proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  ASSERT_NE(*proc, nullptr) << name << " is not exported";
}

// An application identity with the given Id.
TW_IDENTITY ApplicationIdentity(TW_UINT32 id);
