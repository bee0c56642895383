// Resources and version resources, of the test module, of the program and of
// the source module Twain_32.ds.
#include <gtest/gtest.h>

#include <elf.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host_fixture.h"

namespace {

std::string ResourceText(HMODULE module, LPCSTR name, LPCSTR type) {
  HRSRC resource = FindResourceA(module, name, type);
  if (resource == nullptr) return "<none>";
  const char* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
  return std::string(data, SizeofResource(module, resource)).c_str();
}

struct VersionInfo {
  explicit VersionInfo(const std::string& file) {
    DWORD handle = 1;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    error = GetLastError();
    EXPECT_EQ(handle, 0u);
    if (size == 0) return;
    block.resize(size);
    ok = GetFileVersionInfoA(file.c_str(), 0, size, block.data());
  }
  std::string Text(const char* path) {
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path, &value, &length)) return "<none>";
    EXPECT_EQ(length, strlen(static_cast<char*>(value)) + 1);
    return static_cast<char*>(value);
  }
  std::vector<WORD> Translations() {
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length)) return {};
    const WORD* words = static_cast<const WORD*>(value);
    return std::vector<WORD>(words, words + length / 2);
  }
  std::vector<BYTE> block;
  bool ok = false;
  DWORD error = 0;
};

// The names a shared object exports: the defined global symbols of .dynsym.
std::set<std::string> DynamicExports(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::set<std::string> names;
  if (image.size() < sizeof(Elf64_Ehdr)) return names;
  const Elf64_Ehdr* header = reinterpret_cast<const Elf64_Ehdr*>(image.data());
  const Elf64_Shdr* sections = reinterpret_cast<const Elf64_Shdr*>(image.data() + header->e_shoff);
  for (int i = 0; i < header->e_shnum; ++i) {
    if (sections[i].sh_type != SHT_DYNSYM) continue;
    const Elf64_Sym* symbols = reinterpret_cast<const Elf64_Sym*>(image.data() + sections[i].sh_offset);
    const char* strings = image.data() + sections[sections[i].sh_link].sh_offset;
    size_t count = sections[i].sh_size / sizeof(Elf64_Sym);
    for (size_t s = 1; s < count; ++s) {
      int binding = ELF64_ST_BIND(symbols[s].st_info);
      if (symbols[s].st_shndx != SHN_UNDEF && (binding == STB_GLOBAL || binding == STB_WEAK))
        names.insert(strings + symbols[s].st_name);
    }
  }
  return names;
}

}  // namespace

class ResourcesTest : public HostFixture {};

TEST_F(ResourcesTest, FindsResourcesByNameIdAndType) {
  HMODULE module = LoadLibraryA("HostTestModule.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(ResourceText(module, "GREETING", RT_RCDATA), "hello");
  EXPECT_EQ(ResourceText(module, "greeting", RT_RCDATA), "hello");  // names ignore case
  EXPECT_EQ(ResourceText(module, MAKEINTRESOURCEA(7), RT_RCDATA), "seven");
  EXPECT_EQ(ResourceText(module, "#7", RT_RCDATA), "seven");
  EXPECT_EQ(ResourceText(module, MAKEINTRESOURCEA(1), "probe"), "probe data");

  EXPECT_EQ(FindResourceA(module, "NOTHERE", RT_RCDATA), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(110), RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));

  // Resource data is DWORD-aligned, as in a Windows image.
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), RT_VERSION);
  ASSERT_NE(resource, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(LockResource(LoadResource(module, resource))) % 4, 0u);
  FreeLibrary(module);
}

TEST_F(ResourcesTest, NullModuleIsTheProgram) {
  EXPECT_EQ(ResourceText(nullptr, "ProgramData", RT_RCDATA), "the program's own");
  EXPECT_EQ(ResourceText(GetModuleHandleA(nullptr), "PROGRAMDATA", RT_RCDATA),
            "the program's own");
  EXPECT_EQ(ResourceText(nullptr, "GREETING", RT_RCDATA), "<none>");
}

TEST_F(ResourcesTest, ModuleWithoutResources) {
  HMODULE module = LoadLibraryA("PlainModule.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(FindResourceA(module, "GREETING", RT_RCDATA), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
  FreeLibrary(module);

  VersionInfo none("PlainModule.dll");
  EXPECT_TRUE(none.block.empty());
  EXPECT_EQ(none.error, DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
  VersionInfo missing("NoSuchModule.dll");
  EXPECT_TRUE(missing.block.empty());
  EXPECT_EQ(missing.error, DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(ResourcesTest, VersionResourceOfTestModule) {
  // The file is read without being loaded: no DllMain runs.
  VersionInfo info("hosttestmodule.dll");
  ASSERT_TRUE(info.ok);
  EXPECT_EQ(HostDebugOutput(), std::string());

  LPVOID value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.block.data(), "\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00020003u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00040005u);
  EXPECT_EQ(fixed->dwFileType, 2u);

  EXPECT_EQ(info.Translations(), (std::vector<WORD>{0x0409, 0x04B0, 0x0407, 0x04E4}));
  EXPECT_EQ(info.Text("\\StringFileInfo\\040904b0\\ProductVersion"), "2, 3, 0, 0");
  EXPECT_EQ(info.Text("\\StringFileInfo\\040904B0\\FileDescription"), "Host loader test module");
  EXPECT_EQ(info.Text("\\StringFileInfo\\040704e4\\ProductVersion"), "zwei");
  // Queried twice, the same text.
  EXPECT_EQ(info.Text("\\StringFileInfo\\040904b0\\ProductVersion"), "2, 3, 0, 0");
  EXPECT_EQ(info.Text("\\StringFileInfo\\040904b0\\CompanyName"), "<none>");
  EXPECT_EQ(info.Text("\\StringFileInfo\\041104b0\\ProductVersion"), "<none>");

  // A block too small for the raw resource is refused.
  std::vector<BYTE> small(16);
  EXPECT_FALSE(GetFileVersionInfoA("HostTestModule.dll", 0, DWORD(small.size()), small.data()));
}

TEST_F(ResourcesTest, VersionResourceOfTheSourceModule) {
  VersionInfo info(OutputDirectory() + "/Twain_32.ds");
  ASSERT_TRUE(info.ok) << "error " << info.error;
  EXPECT_EQ(info.Translations(), (std::vector<WORD>{0x0409, 0x04B0}));
  EXPECT_EQ(info.Text("\\StringFileInfo\\040904b0\\ProductVersion"), "1, 1, 0, 0");
  EXPECT_EQ(info.Text("\\StringFileInfo\\040904b0\\FileDescription"),
            "Twain driver for Matrox frame grabber");
  // Found by the module search as well, whatever the case.
  VersionInfo searched("TWAIN_32.DS");
  EXPECT_TRUE(searched.ok);
}

TEST_F(ResourcesTest, SourceModuleExportsOnlyItsEntryPoints) {
  std::set<std::string> exports = DynamicExports(OutputDirectory() + "/Twain_32.ds");
  EXPECT_EQ(exports, (std::set<std::string>{"DS_Entry", "DllMain", "HostModuleResources",
                                            "HostModuleResourcesSize"}));
}
