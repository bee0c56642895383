#include "host_fixture.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

void HostFixture::SetUp() {
  HostUseMemoryRegistry();
  HostClearDebugOutput();
  HostClearMessageBoxes();
  HostClearHidden();
  HostFailGlobalAlloc(0);
  liveBlocksAtStart_ = HostLiveGlobalBlocks();
}

void HostFixture::TearDown() {
  HostFailGlobalAlloc(0);
  HostClearHidden();
  EXPECT_EQ(HostLockedGlobalBlocks(), 0u) << "a global block was left locked";
  EXPECT_EQ(HostLiveGlobalBlocks(), liveBlocksAtStart_) << "a global block leaked";
}

std::string OutputDirectory() { return TWAIN_OUTPUT_DIR; }

std::string ReadFileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void SetRegistryValue(const char* keyPath, const char* name, DWORD type, const void* data,
                      DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

LoadedSource::LoadedSource(std::string path) : path_(std::move(path)) { Load(); }

LoadedSource::~LoadedSource() { Unload(); }

void LoadedSource::Load() {
  module_ = LoadLibraryA(path_.c_str());
  if (module_ != nullptr) {
    entry_ = reinterpret_cast<DSENTRYPROC>(GetProcAddress(module_, "DS_Entry"));
  }
}

void LoadedSource::Unload() {
  if (module_ != nullptr) FreeLibrary(module_);
  module_ = nullptr;
  entry_ = nullptr;
}

TW_IDENTITY ApplicationIdentity(TW_UINT32 id) {
  TW_IDENTITY identity{};
  identity.Id = id;
  identity.ProtocolMajor = 1;
  identity.ProtocolMinor = 9;
  identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
  snprintf(identity.ProductName, sizeof identity.ProductName, "Test application %u", id);
  return identity;
}
