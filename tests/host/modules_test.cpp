// Dynamic loading: the search, reference counts, DllMain, exports, hiding.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(module, path, sizeof path);
  return path;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Folders of copies of the test module, with the current folder and PATH
// pointing at two of them while the test runs.
class SearchFolders {
 public:
  SearchFolders() {
    char pattern[] = "/tmp/host-modules-XXXXXX";
    root_ = fs::canonical(mkdtemp(pattern));
    fs::create_directories(root_ / "current");
    fs::create_directories(root_ / "path");
    char current[PATH_MAX];
    savedCurrent_ = getcwd(current, sizeof current);
    const char* path = getenv("PATH");
    savedPath_ = path ? path : "";
  }
  ~SearchFolders() {
    EXPECT_EQ(chdir(savedCurrent_.c_str()), 0);
    setenv("PATH", savedPath_.c_str(), 1);
    fs::remove_all(root_);
  }
  fs::path Folder(const char* name) const { return root_ / name; }
  fs::path Copy(const char* module, const char* folder, const char* name) const {
    fs::path target = root_ / folder / name;
    fs::copy_file(fs::path(OutputDirectory()) / module, target);
    return target;
  }
  void Activate() const {
    ASSERT_EQ(chdir((root_ / "current").c_str()), 0);
    setenv("PATH", ((root_ / "path").string() + ":" + savedPath_).c_str(), 1);
  }

 private:
  fs::path root_;
  std::string savedCurrent_, savedPath_;
};

}  // namespace

class ModulesTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    modulesAtStart_ = HostLoadedModuleCount();
  }
  void TearDown() override {
    EXPECT_EQ(HostLoadedModuleCount(), modulesAtStart_) << "a module was left loaded";
    HostFixture::TearDown();
  }
  std::string InOutput(const char* name) const {
    return fs::canonical(fs::path(OutputDirectory()) / name).string();
  }
  size_t modulesAtStart_ = 0;
};

TEST_F(ModulesTest, FindsModuleInProgramFolderIgnoringCase) {
  HMODULE module = LoadLibraryA("hosttestmodule.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(ModulePath(module), InOutput("HostTestModule.dll"));
  EXPECT_TRUE(FreeLibrary(module));
  // A name without an extension is a ".dll".
  module = LoadLibraryA("HostTestModule");
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModulesTest, AttachOnFirstLoadDetachOnLastFree) {
  HMODULE first = LoadLibraryA("HostTestModule.dll");
  ASSERT_NE(first, nullptr);
  std::string path = InOutput("HostTestModule.dll");
  EXPECT_EQ(Count(HostDebugOutput(), "HostTestModule: attach " + path + "\n"), 1u)
      << HostDebugOutput();
  HMODULE second = LoadLibraryA((OutputDirectory() + "/HostTestModule.dll").c_str());
  EXPECT_EQ(second, first);  // one handle per file
  EXPECT_EQ(HostModuleReferences(first), 2u);
  EXPECT_EQ(GetModuleHandleA("HOSTTESTMODULE.DLL"), first);
  EXPECT_EQ(Count(HostDebugOutput(), "attach"), 1u);

  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_EQ(Count(HostDebugOutput(), "detach"), 0u);
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(Count(HostDebugOutput(), "HostTestModule: detach " + path + "\n"), 1u);
  EXPECT_EQ(GetModuleHandleA("HostTestModule.dll"), nullptr);
  EXPECT_FALSE(FreeLibrary(first));  // no longer a module
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(ModulesTest, RefusedAttachFailsTheLoad) {
  setenv("HOST_TEST_MODULE_REFUSE", "1", 1);
  HMODULE module = LoadLibraryA("HostTestModule.dll");
  DWORD error = GetLastError();
  unsetenv("HOST_TEST_MODULE_REFUSE");
  EXPECT_EQ(module, nullptr);
  EXPECT_EQ(error, DWORD(ERROR_DLL_INIT_FAILED));
  EXPECT_EQ(Count(HostDebugOutput(), "attach"), 1u);
  EXPECT_EQ(Count(HostDebugOutput(), "detach"), 0u);
  // The next load attaches afresh.
  module = LoadLibraryA("HostTestModule.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(Count(HostDebugOutput(), "attach"), 2u);
  FreeLibrary(module);
}

TEST_F(ModulesTest, ModuleWithoutDllMainLoads) {
  HMODULE module = LoadLibraryA("PlainModule.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(HostDebugOutput(), std::string());
  EXPECT_NE(GetProcAddress(module, "HostTestModuleAdd"), nullptr);
  EXPECT_EQ(GetProcAddress(module, "DllMain"), nullptr);
  FreeLibrary(module);
}

TEST_F(ModulesTest, SearchOrderProgramFolderCurrentFolderPath) {
  SearchFolders folders;
  folders.Copy("HostTestModule.dll", "current", "HostTestModule.dll");
  folders.Copy("HostTestModule.dll", "path", "HostTestModule.dll");
  fs::path inCurrent = folders.Copy("HostTestModule.dll", "current", "OrderModule.dll");
  folders.Copy("HostTestModule.dll", "path", "OrderModule.dll");
  fs::path inPath = folders.Copy("HostTestModule.dll", "path", "PathModule.dll");
  folders.Activate();

  HMODULE module = LoadLibraryA("HostTestModule.dll");
  EXPECT_EQ(ModulePath(module), InOutput("HostTestModule.dll"));  // the program's folder first
  FreeLibrary(module);
  module = LoadLibraryA("ordermodule.dll");
  EXPECT_EQ(ModulePath(module), inCurrent.string());  // then the current folder
  FreeLibrary(module);
  module = LoadLibraryA("PathModule.dll");
  EXPECT_EQ(ModulePath(module), inPath.string());  // then PATH
  FreeLibrary(module);
  EXPECT_EQ(LoadLibraryA("NoSuchModule.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST_F(ModulesTest, PathNamesAreOpenedAsTheyAreExactNameFirst) {
  SearchFolders folders;
  fs::path upper = folders.Copy("HostTestModule.dll", "current", "DUP.DLL");
  fs::path lower = folders.Copy("HostTestModule.dll", "current", "dup.dll");
  HMODULE module = LoadLibraryA(upper.c_str());
  EXPECT_EQ(ModulePath(module), upper.string());
  FreeLibrary(module);
  module = LoadLibraryA(lower.c_str());
  EXPECT_EQ(ModulePath(module), lower.string());
  FreeLibrary(module);
  // Only a case-insensitive match: found all the same.
  module = LoadLibraryA((folders.Folder("current") / "Dup.Dll").c_str());
  EXPECT_NE(module, nullptr);
  FreeLibrary(module);
  // A path is not searched for elsewhere.
  EXPECT_EQ(LoadLibraryA((folders.Folder("path") / "HostTestModule.dll").c_str()), nullptr);
}

TEST_F(ModulesTest, ExportsAreTheModulesOwn) {
  HMODULE module = LoadLibraryA("HostTestModule.dll");
  ASSERT_NE(module, nullptr);
  auto add = reinterpret_cast<int (*)(int, int)>(GetProcAddress(module, "HostTestModuleAdd"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(2, 3), 5);
  EXPECT_EQ(GetProcAddress(module, "HostTestModuleHidden"), nullptr);  // not exported
  EXPECT_EQ(GetProcAddress(module, "malloc"), nullptr);  // a dependency's, not its own
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(1)), nullptr);  // no ordinals
  FreeLibrary(module);
}

TEST_F(ModulesTest, HiddenModulesAndExports) {
  HostHideModule("HOSTTESTMODULE.DLL");
  EXPECT_EQ(LoadLibraryA("HostTestModule.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryA((OutputDirectory() + "/HostTestModule.dll").c_str()), nullptr);
  HostClearHidden();

  HostHideExport("HostTestModule.dll", "HostTestModuleAdd");
  HMODULE module = LoadLibraryA("HostTestModule.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, "HostTestModuleAdd"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  EXPECT_NE(GetProcAddress(module, "DllMain"), nullptr);
  HostClearHidden();
  EXPECT_NE(GetProcAddress(module, "HostTestModuleAdd"), nullptr);
  FreeLibrary(module);
}

TEST_F(ModulesTest, ProgramModule) {
  std::string program = fs::canonical("/proc/self/exe").string();
  EXPECT_EQ(ModulePath(nullptr), program);
  HMODULE self = GetModuleHandleA(nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(ModulePath(self), program);
  EXPECT_TRUE(FreeLibrary(self));  // the program stays
  EXPECT_EQ(ModulePath(nullptr), program);

  // A buffer too small: cut short, terminated, its size returned.
  char small[8];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), DWORD(sizeof small));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(small), program.substr(0, 7));
}
