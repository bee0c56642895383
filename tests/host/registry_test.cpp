// The registry: keys and values, sizes and errors, enumeration, persistence.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "host_fixture.h"

namespace {

HKEY CreateKey(HKEY parent, const char* path, DWORD* disposition = nullptr) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, disposition),
            ERROR_SUCCESS);
  return key;
}

LSTATUS SetDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
}

LSTATUS SetText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        DWORD(strlen(text) + 1));
}

DWORD QueryDword(HKEY key, const char* name) {
  DWORD value = 0, size = 4, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  return value;
}

std::string QueryText(HKEY key, const char* name) {
  char text[256] = {};
  DWORD size = sizeof text, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_SZ));
  return text;
}

std::string TemporaryFolder() {
  char pattern[] = "/tmp/host-registry-XXXXXX";
  return mkdtemp(pattern);
}

}  // namespace

class RegistryTest : public HostFixture {};

TEST_F(RegistryTest, CreateReportsDispositionAndOpensExistingKeys) {
  DWORD disposition = 0;
  HKEY key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta\\Twain", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  RegCloseKey(key);
  key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta\\Twain", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  RegCloseKey(key);

  HKEY opened = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta", 0, KEY_READ, &opened),
            ERROR_SUCCESS);
  HKEY child = nullptr;
  EXPECT_EQ(RegOpenKeyExA(opened, "Twain", 0, KEY_READ, &child), ERROR_SUCCESS);
  RegCloseKey(child);
  RegCloseKey(opened);
}

TEST_F(RegistryTest, MissingKeysAndValues) {
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Nobody", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta");
  DWORD size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "Dump", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "Dump"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(key, "Nothing"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, ValueTypesRoundTrip) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta\\Twain\\Meteor2");
  EXPECT_EQ(SetDword(key, "DigFormat", 3), ERROR_SUCCESS);
  EXPECT_EQ(SetText(key, "Camera", "RS-170"), ERROR_SUCCESS);
  const BYTE lut[5] = {0, 1, 2, 0xfe, 0xff};
  EXPECT_EQ(RegSetValueExA(key, "LutValues", 0, REG_BINARY, lut, 5), ERROR_SUCCESS);
  const BYTE quad[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(RegSetValueExA(key, "Big", 0, 11, quad, 8), ERROR_SUCCESS);

  EXPECT_EQ(QueryDword(key, "DigFormat"), 3u);
  EXPECT_EQ(QueryText(key, "Camera"), "RS-170");
  BYTE data[16];
  DWORD size = sizeof data, type = 0;
  ASSERT_EQ(RegQueryValueExA(key, "LutValues", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_BINARY));
  ASSERT_EQ(size, 5u);
  EXPECT_EQ(memcmp(data, lut, 5), 0);
  size = sizeof data;
  ASSERT_EQ(RegQueryValueExA(key, "Big", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, 11u);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(memcmp(data, quad, 8), 0);
  RegCloseKey(key);
}

TEST_F(RegistryTest, SizeRules) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta");
  SetText(key, "Name", "twelve chars");
  DWORD size = 0, type = 0;
  // No data buffer: the size only.
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 13u);
  // Too small: ERROR_MORE_DATA and the size needed.
  char small[4];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 13u);
  // A data buffer without a size is refused.
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(small), nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(RegistryTest, NamesIgnoreCase) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Korvanta\\TWAIN");
  SetDword(key, "Dump", 42);
  RegCloseKey(key);
  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\korvanta\\twain", 0, KEY_READ, &again),
            ERROR_SUCCESS);
  EXPECT_EQ(QueryDword(again, "DUMP"), 42u);
  SetDword(again, "dump", 66);  // the same value, set again
  DWORD values = 0;
  RegQueryInfoKeyA(again, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  EXPECT_EQ(values, 1u);
  EXPECT_EQ(QueryDword(again, "Dump"), 66u);
  RegCloseKey(again);
}

TEST_F(RegistryTest, ValuesEnumerateInCreationOrder) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Order");
  const char* names[] = {"Zeta", "Alpha", "Mid", "beta"};
  for (DWORD i = 0; i < 4; ++i) SetDword(key, names[i], i);
  SetDword(key, "Alpha", 99);  // setting again keeps the place
  RegDeleteValueA(key, "Mid");
  const char* expected[] = {"Zeta", "Alpha", "beta"};
  for (DWORD i = 0; i < 3; ++i) {
    char name[32];
    DWORD nameSize = sizeof name, type = 0, value = 0, size = 4;
    ASSERT_EQ(RegEnumValueA(key, i, name, &nameSize, nullptr, &type,
                            reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, expected[i]);
    EXPECT_EQ(nameSize, strlen(expected[i]));
    EXPECT_EQ(type, DWORD(REG_DWORD));
  }
  char name[32];
  DWORD nameSize = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 3, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  nameSize = 4;  // "Zeta" needs five with its zero
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  RegCloseKey(key);
}

TEST_F(RegistryTest, QueryInfoKeyCountsAndMaxima) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Info");
  RegCloseKey(CreateKey(key, "Short"));
  RegCloseKey(CreateKey(key, "LongerName"));
  SetText(key, "A", "123456789");
  SetDword(key, "LongValueName", 1);
  DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxData = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr,
                             &values, &maxName, &maxData, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 2u);
  EXPECT_EQ(maxSubKey, 10u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(maxName, 13u);
  EXPECT_EQ(maxData, 10u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, DeleteKeyOnlyWithoutSubKeys) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Gone\\Child");
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Gone"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Gone\\Child"), ERROR_SUCCESS);
  // The open handle now stands for a deleted key.
  EXPECT_EQ(SetDword(key, "X", 1), ERROR_KEY_DELETED);
  RegCloseKey(key);
  HKEY missing = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Gone\\Child", 0, KEY_READ, &missing),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Gone"), ERROR_SUCCESS);
}

TEST_F(RegistryTest, BadHandles) {
  int notAKey = 0;
  HKEY bad = reinterpret_cast<HKEY>(&notAKey);
  HKEY result = nullptr;
  EXPECT_EQ(RegOpenKeyExA(bad, "X", 0, KEY_READ, &result), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &result),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, MemoryRegistryIsNeverSaved) {
  EXPECT_STREQ(HostRegistryFile(), "");
  HKEY key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta");
  SetDword(key, "Dump", 1);
  RegCloseKey(key);
  HostUseMemoryRegistry();  // a fresh, empty tree
  HKEY gone = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta", 0, KEY_READ, &gone),
            ERROR_FILE_NOT_FOUND);
}

class RegistryFileTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    folder_ = TemporaryFolder();
    file_ = folder_ + "/sub/registry";
  }
  void TearDown() override {
    HostUseMemoryRegistry();
    std::string command = "rm -rf '" + folder_ + "'";
    EXPECT_EQ(system(command.c_str()), 0);
    HostFixture::TearDown();
  }
  std::string folder_, file_;
};

TEST_F(RegistryFileTest, SavedAfterEveryChangeAndReadBack) {
  HostUseFileRegistry(file_.c_str());
  EXPECT_EQ(HostRegistryFile(), file_);
  HKEY key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta\\Twain\\Meteor2");
  SetDword(key, "WhiteRef0", 0xC0);
  SetText(key, "Odd \"name\"\\", "line one\nline \"two\"\t\x01 end");
  const BYTE raw[3] = {0, 0x80, 0xff};
  RegSetValueExA(key, "LutValues", 0, REG_BINARY, raw, 3);
  RegSetValueExA(key, "NoZero", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
  RegSetValueExA(key, "Empty", 0, REG_BINARY, nullptr, 0);
  RegCloseKey(key);
  std::string text = ReadFileText(file_);
  EXPECT_NE(text.find("[SOFTWARE\\\\Korvanta\\\\Twain\\\\Meteor2]"), std::string::npos) << text;
  EXPECT_NE(text.find("\"WhiteRef0\"=dword:000000c0"), std::string::npos) << text;

  HostUseFileRegistry(file_.c_str());  // forget the tree; read the file again
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\korvanta\\twain\\meteor2", 0, KEY_READ,
                          &key),
            ERROR_SUCCESS);
  EXPECT_EQ(QueryDword(key, "WhiteRef0"), 0xC0u);
  EXPECT_EQ(QueryText(key, "Odd \"name\"\\"), "line one\nline \"two\"\t\x01 end");
  BYTE data[8];
  DWORD size = sizeof data, type = 0;
  ASSERT_EQ(RegQueryValueExA(key, "LutValues", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(memcmp(data, raw, 3), 0);
  size = sizeof data;
  ASSERT_EQ(RegQueryValueExA(key, "NoZero", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(size, 3u);
  size = sizeof data;
  ASSERT_EQ(RegQueryValueExA(key, "Empty", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  // The order of creation survives the file.
  const char* expected[] = {"WhiteRef0", "Odd \"name\"\\", "LutValues", "NoZero", "Empty"};
  for (DWORD i = 0; i < 5; ++i) {
    char name[64];
    DWORD nameSize = sizeof name;
    ASSERT_EQ(RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, expected[i]);
  }
  RegCloseKey(key);

  // Deletions are saved too.
  ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta\\Twain\\Meteor2"), ERROR_SUCCESS);
  HostUseFileRegistry(file_.c_str());
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta\\Twain\\Meteor2", 0, KEY_READ,
                          &key),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryFileTest, PlaceFromEnvironment) {
  setenv("TWAIN_HOST_REGISTRY", file_.c_str(), 1);
  HostUseFileRegistry(nullptr);
  EXPECT_EQ(HostRegistryFile(), file_);
  unsetenv("TWAIN_HOST_REGISTRY");

  const char* oldConfig = getenv("XDG_CONFIG_HOME");
  std::string saved = oldConfig ? oldConfig : "";
  setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  HostUseFileRegistry(nullptr);
  EXPECT_EQ(HostRegistryFile(), folder_ + "/frame-grabber-twain/registry");
  if (oldConfig) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");
}

TEST_F(RegistryFileTest, CorruptFileStartsEmpty) {
  ASSERT_EQ(system(("mkdir -p '" + folder_ + "/sub'").c_str()), 0);
  {
    std::ofstream file(file_);
    file << "frame-grabber-twain registry 1\n[SOFTWARE\\\\Korvanta]\n\"Dump\"=dword:zz\n";
  }
  HostUseFileRegistry(file_.c_str());
  testing::internal::CaptureStderr();
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("corrupt"), std::string::npos) << message;
  EXPECT_FALSE(ReadFileText(file_ + ".corrupt").empty());

  // Garbage without even the header.
  {
    std::ofstream file(file_, std::ios::binary);
    file << std::string("\x7f" "ELF\x01\x02\x00\xff[[[", 12);
  }
  HostUseFileRegistry(file_.c_str());
  testing::internal::CaptureStderr();
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  testing::internal::GetCapturedStderr();
  // And the registry goes on working.
  key = CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Korvanta");
  EXPECT_EQ(SetDword(key, "Dump", 1), ERROR_SUCCESS);
  RegCloseKey(key);
}
