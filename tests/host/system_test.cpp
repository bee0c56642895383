// Files, directories, debugger output, system facts, message boxes, screen.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "host_fixture.h"

namespace fs = std::filesystem;

class SystemTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    char pattern[] = "/tmp/host-system-XXXXXX";
    folder_ = fs::canonical(mkdtemp(pattern)).string();
  }
  void TearDown() override {
    fs::remove_all(folder_);
    HostFixture::TearDown();
  }
  std::string folder_;
};

TEST_F(SystemTest, TempPathFromEnvironmentWithTrailingSlash) {
  const char* saved = getenv("TMPDIR");
  std::string old = saved ? saved : "";
  char path[MAX_PATH];
  setenv("TMPDIR", folder_.c_str(), 1);
  EXPECT_EQ(GetTempPathA(sizeof path, path), DWORD(folder_.size() + 1));
  EXPECT_EQ(std::string(path), folder_ + "/");
  unsetenv("TMPDIR");
  EXPECT_EQ(GetTempPathA(sizeof path, path), 5u);
  EXPECT_STREQ(path, "/tmp/");
  char small[3];
  EXPECT_EQ(GetTempPathA(sizeof small, small), 6u);  // the size needed, with the zero
  if (saved) setenv("TMPDIR", old.c_str(), 1);
}

TEST_F(SystemTest, TempFileNamesCreateEmptyUniqueFiles) {
  char first[MAX_PATH], second[MAX_PATH];
  UINT number = GetTempFileNameA((folder_ + "/").c_str(), "TWN", 0, first);
  ASSERT_NE(number, 0u);
  UINT other = GetTempFileNameA(folder_.c_str(), "TWNXYZ", 0, second);  // no slash, long prefix
  ASSERT_NE(other, 0u);
  EXPECT_NE(std::string(first), std::string(second));
  std::regex windowsName(std::regex_replace(folder_, std::regex("[.^$|()\\[\\]{}*+?\\\\]"), "\\$&") +
                         "/TWN[0-9A-F]{1,4}\\.TMP");
  EXPECT_TRUE(std::regex_match(first, windowsName)) << first;
  EXPECT_TRUE(std::regex_match(second, windowsName)) << second;
  char expected[16];
  snprintf(expected, sizeof expected, "TWN%X.TMP", number);
  EXPECT_EQ(fs::path(first).filename().string(), expected);
  ASSERT_TRUE(fs::exists(first));
  EXPECT_EQ(fs::file_size(first), 0u);
}

TEST_F(SystemTest, TempFileNameWithNumberOnlyComposes) {
  char name[MAX_PATH];
  EXPECT_EQ(GetTempFileNameA(folder_.c_str(), "AB", 0x1A2B, name), 0x1A2Bu);
  EXPECT_EQ(std::string(name), folder_ + "/AB1A2B.TMP");
  EXPECT_FALSE(fs::exists(name));
}

TEST_F(SystemTest, TempFileNamesSkipTakenNumbers) {
  char names[20][MAX_PATH];
  for (auto& name : names) ASSERT_NE(GetTempFileNameA(folder_.c_str(), "T", 0, name), 0u);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(folder_)) files += entry.is_regular_file();
  EXPECT_EQ(files, 20u);
}

TEST_F(SystemTest, OpenFileExistAndCreate) {
  std::string file = folder_ + "/image.tif";
  OFSTRUCT info{};
  EXPECT_EQ(OpenFile(file.c_str(), &info, OF_EXIST), HFILE_ERROR);
  EXPECT_EQ(info.nErrCode, WORD(ERROR_FILE_NOT_FOUND));

  HFILE created = OpenFile(file.c_str(), &info, OF_CREATE);
  ASSERT_NE(created, HFILE_ERROR);
  EXPECT_EQ(write(created, "abc", 3), 3);
  EXPECT_EQ(_lclose(created), 0);
  EXPECT_EQ(fs::file_size(file), 3u);

  OFSTRUCT exist{};
  EXPECT_NE(OpenFile(file.c_str(), &exist, OF_EXIST), HFILE_ERROR);
  EXPECT_STREQ(exist.szPathName, file.c_str());
  EXPECT_EQ(exist.nErrCode, 0);

  // Creating again truncates; CloseHandle closes as _lclose does.
  created = OpenFile(file.c_str(), &info, OF_CREATE | OF_WRITE);
  ASSERT_NE(created, HFILE_ERROR);
  EXPECT_TRUE(CloseHandle(reinterpret_cast<HANDLE>(INT_PTR(created))));
  EXPECT_EQ(fs::file_size(file), 0u);
  EXPECT_FALSE(CloseHandle(nullptr));

  EXPECT_TRUE(DeleteFileA(file.c_str()));
  EXPECT_FALSE(DeleteFileA(file.c_str()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(SystemTest, CurrentDirectory) {
  char saved[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(sizeof saved, saved);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(length, strlen(saved));
  EXPECT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
  char now[MAX_PATH];
  GetCurrentDirectoryA(sizeof now, now);
  EXPECT_EQ(std::string(now), folder_);
  char small[2];
  EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), DWORD(folder_.size() + 1));
  EXPECT_FALSE(SetCurrentDirectoryA((folder_ + "/none").c_str()));
  EXPECT_TRUE(SetCurrentDirectoryA(saved));
}

TEST_F(SystemTest, DebugOutputIsCaptured) {
  OutputDebugStringA("first ");
  OutputDebugStringA("second\n");
  EXPECT_STREQ(HostDebugOutput(), "first second\n");
  HostClearDebugOutput();
  EXPECT_STREQ(HostDebugOutput(), "");

  setenv("TWAIN_HOST_DEBUG_STDERR", "1", 1);
  testing::internal::CaptureStderr();
  OutputDebugStringA("to stderr too\n");
  std::string copied = testing::internal::GetCapturedStderr();
  unsetenv("TWAIN_HOST_DEBUG_STDERR");
  EXPECT_EQ(copied, "to stderr too\n");
}

TEST_F(SystemTest, SystemFacts) {
  OSVERSIONINFOA version{};
  EXPECT_FALSE(GetVersionExA(&version));  // the size must be set
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(GetVersionExA(&version));
  EXPECT_EQ(version.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));
  EXPECT_GE(version.dwMajorVersion, 5u);

  MEMORYSTATUS memory{};
  GlobalMemoryStatus(&memory);
  EXPECT_EQ(memory.dwLength, sizeof memory);
  EXPECT_GT(memory.dwTotalPhys, 0u);
  EXPECT_LE(memory.dwAvailPhys, memory.dwTotalPhys);
  EXPECT_LE(memory.dwMemoryLoad, 100u);

  DWORD before = GetTickCount();
  Sleep(20);
  EXPECT_GE(GetTickCount() - before, 19u);

  SetLastError(1234);
  EXPECT_EQ(GetLastError(), 1234u);
}

TEST_F(SystemTest, MessageBoxesAreRecordedAndAnsweredOk) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "No camera", "Korvanta TWAIN DS", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MessageBox [Korvanta TWAIN DS]: No camera\n");
  ASSERT_EQ(HostMessageBoxCount(), 1u);
  EXPECT_STREQ(HostMessageBoxText(0), "No camera");
  EXPECT_STREQ(HostMessageBoxCaption(0), "Korvanta TWAIN DS");
  EXPECT_EQ(HostMessageBoxText(1), nullptr);
  HostClearMessageBoxes();
  EXPECT_EQ(HostMessageBoxCount(), 0u);
}

TEST_F(SystemTest, ScreenDeviceCaps) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1024);
  EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 768);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}
