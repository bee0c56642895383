// Modules: LoadLibraryA, FreeLibrary, GetProcAddress, GetModuleFileNameA,
// GetModuleHandleA; resources (FindResourceA, LoadResource, LockResource,
// SizeofResource); version resources (GetFileVersionInfoSizeA,
// GetFileVersionInfoA, VerQueryValueA).
//
// Differs from Windows: a module is an ELF shared object and an HMODULE is the
// layer's record of it, not its load address; a module's resources are the
// .res bytes it exports as HostModuleResources; modules still loaded at exit
// get no process detach; GetProcAddress takes no ordinals.
#include <dirent.h>
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/host/testing.h"
#include "platform/host/win32_modules.h"

namespace {

// One resource of a module's .res block.
struct ResourceEntry {
  bool typeIsId;
  WORD typeId;
  std::u16string typeName;
  bool nameIsId;
  WORD nameId;
  std::u16string name;
  WORD language;
  const BYTE* data;
  DWORD size;
};

struct Module {
  std::string path;  // full path of the file
  void* library;     // dlopen handle
  struct link_map* map;
  unsigned references;
  bool program;
  bool resourcesRead;
  std::vector<ResourceEntry> resources;
};

struct Loader {
  std::recursive_mutex mutex;  // held through DllMain, as the loader lock is
  std::vector<Module*> modules;
  Module* program = nullptr;
  std::set<std::string> hiddenModules;                       // file names, lower case
  std::map<std::string, std::set<std::string>> hiddenExports;  // by lower-case file name
};

Loader& TheLoader() {
  static Loader* loader = new Loader;  // outlives every static destructor
  return *loader;
}

std::string Lower(std::string text) {
  for (char& c : text) c = char(tolower((unsigned char)c));
  return text;
}

std::string FileNameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ProgramPath() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  path[length] = '\0';
  return path;
}

std::string FullPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? resolved : path;
}

bool IsFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A file in a folder, its name matched exactly first, then without case.
bool FindInFolder(const std::string& folder, const std::string& name, std::string* path) {
  std::string exact = folder == "/" ? "/" + name : folder + "/" + name;
  if (IsFile(exact)) {
    *path = exact;
    return true;
  }
  DIR* directory = opendir(folder.c_str());
  if (directory == nullptr) return false;
  bool found = false;
  while (struct dirent* entry = readdir(directory)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      std::string candidate = folder == "/" ? "/" + std::string(entry->d_name)
                                            : folder + "/" + entry->d_name;
      if (IsFile(candidate)) {
        *path = candidate;
        found = true;
        break;
      }
    }
  }
  closedir(directory);
  return found;
}

// A name without an extension means a ".dll", as on Windows; a trailing dot
// means none.
std::string WithExtension(const std::string& name) {
  std::string file = FileNameOf(name);
  if (!file.empty() && file.back() == '.') return name.substr(0, name.size() - 1);
  if (file.find('.') == std::string::npos) return name + ".dll";
  return name;
}

// The module search: a name with a folder as it is; otherwise the program's
// folder, the current folder, then every folder of PATH.
bool SearchModuleFile(const char* fileName, std::string* path) {
  std::string name = WithExtension(fileName);
  if (name.find('/') != std::string::npos) {
    if (!FindInFolder(FolderOf(name), FileNameOf(name), path)) return false;
    *path = FullPath(*path);
    return true;
  }
  std::vector<std::string> folders;
  folders.push_back(FolderOf(ProgramPath()));
  char current[PATH_MAX];
  if (getcwd(current, sizeof current)) folders.push_back(current);
  if (const char* searchPath = getenv("PATH")) {
    std::string list = searchPath;
    size_t start = 0;
    for (;;) {
      size_t colon = list.find(':', start);
      std::string folder = list.substr(start, colon - start);
      folders.push_back(folder.empty() ? "." : folder);
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
  }
  for (const std::string& folder : folders) {
    if (FindInFolder(folder, name, path)) {
      *path = FullPath(*path);
      return true;
    }
  }
  return false;
}

bool IsHidden(Loader& loader, const std::string& name) {
  return loader.hiddenModules.count(Lower(FileNameOf(name))) != 0 ||
         loader.hiddenModules.count(Lower(FileNameOf(WithExtension(name)))) != 0;
}

struct link_map* LinkMapOf(void* library) {
  struct link_map* map = nullptr;
  if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
  return map;
}

// A symbol of the module itself, not of a library it depends on.
void* OwnSymbol(void* library, struct link_map* map, const char* name) {
  void* address = dlsym(library, name);
  if (address == nullptr) return nullptr;
  Dl_info info;
  struct link_map* owner = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
      owner != map)
    return nullptr;
  return address;
}

Module* ProgramModule(Loader& loader) {
  if (loader.program == nullptr) {
    Module* program = new Module();
    program->path = ProgramPath();
    program->library = dlopen(nullptr, RTLD_NOW);
    program->map = LinkMapOf(program->library);
    program->references = 1;
    program->program = true;
    loader.program = program;
  }
  return loader.program;
}

// The module an HMODULE stands for; null for the program itself.
Module* ModuleOf(Loader& loader, HMODULE handle) {
  if (handle == nullptr) return ProgramModule(loader);
  Module* module = reinterpret_cast<Module*>(handle);
  if (module == loader.program) return module;
  if (std::find(loader.modules.begin(), loader.modules.end(), module) == loader.modules.end())
    return nullptr;
  return module;
}

Module* LoadedModuleByPath(Loader& loader, const std::string& path) {
  for (Module* module : loader.modules)
    if (module->path == path) return module;
  return nullptr;
}

Module* LoadedModuleByName(Loader& loader, const std::string& name) {
  std::string file = FileNameOf(WithExtension(name));
  for (Module* module : loader.modules)
    if (strcasecmp(FileNameOf(module->path).c_str(), file.c_str()) == 0) return module;
  return nullptr;
}

// --- Resources ----------------------------------------------------------------

WORD Word(const BYTE* at) {
  WORD value;
  memcpy(&value, at, 2);
  return value;
}

DWORD Dword(const BYTE* at) {
  DWORD value;
  memcpy(&value, at, 4);
  return value;
}

// Reads a type or name of a resource header: 0xFFFF and an ordinal, or a
// zero-terminated UTF-16 string.
bool ReadNameOrId(const BYTE* header, size_t headerSize, size_t* offset, bool* isId, WORD* id,
                  std::u16string* name) {
  if (*offset + 4 > headerSize) return false;
  if (Word(header + *offset) == 0xFFFF) {
    *isId = true;
    *id = Word(header + *offset + 2);
    *offset += 4;
    return true;
  }
  *isId = false;
  for (;;) {
    if (*offset + 2 > headerSize) return false;
    WORD c = Word(header + *offset);
    *offset += 2;
    if (c == 0) return true;
    *name += char16_t(c);
  }
}

// The .res block: resource headers each followed by its data, DWORD-aligned.
std::vector<ResourceEntry> ParseResources(const BYTE* block, size_t size) {
  std::vector<ResourceEntry> entries;
  size_t offset = 0;
  while (offset + 32 <= size) {
    DWORD dataSize = Dword(block + offset);
    DWORD headerSize = Dword(block + offset + 4);
    if (headerSize < 32 || offset + headerSize + size_t(dataSize) > size) break;
    const BYTE* header = block + offset;
    ResourceEntry entry{};
    size_t at = 8;
    if (!ReadNameOrId(header, headerSize, &at, &entry.typeIsId, &entry.typeId, &entry.typeName) ||
        !ReadNameOrId(header, headerSize, &at, &entry.nameIsId, &entry.nameId, &entry.name))
      break;
    at = (at + 3) & ~size_t(3);
    if (at + 16 > headerSize) break;
    entry.language = Word(header + at + 6);
    entry.data = header + headerSize;
    entry.size = dataSize;
    // The leading empty entry of every .res file is no resource.
    if (!(entry.typeIsId && entry.typeId == 0)) entries.push_back(entry);
    offset = (offset + headerSize + dataSize + 3) & ~size_t(3);
  }
  return entries;
}

const std::vector<ResourceEntry>& ResourcesOf(Module* module) {
  if (!module->resourcesRead) {
    module->resourcesRead = true;
    const BYTE* block = static_cast<const BYTE*>(
        OwnSymbol(module->library, module->map, "HostModuleResources"));
    const unsigned long* size = static_cast<const unsigned long*>(
        OwnSymbol(module->library, module->map, "HostModuleResourcesSize"));
    if (block && size) module->resources = ParseResources(block, *size);
  }
  return module->resources;
}

bool SameResourceName(bool isId, WORD id, const std::u16string& name, LPCSTR wanted) {
  if (IS_INTRESOURCE(wanted)) return isId && id == WORD(ULONG_PTR(wanted));
  if (wanted[0] == '#') return isId && id == WORD(strtoul(wanted + 1, nullptr, 10));
  if (isId || name.size() != strlen(wanted)) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char16_t c = name[i];
    if (c >= 0x80 || tolower(int(c)) != tolower((unsigned char)wanted[i])) return false;
  }
  return true;
}

const ResourceEntry* FindEntry(const std::vector<ResourceEntry>& resources, LPCSTR name,
                               LPCSTR type, DWORD* error) {
  bool typeFound = false;
  for (const ResourceEntry& entry : resources) {
    if (!SameResourceName(entry.typeIsId, entry.typeId, entry.typeName, type)) continue;
    typeFound = true;
    if (SameResourceName(entry.nameIsId, entry.nameId, entry.name, name)) return &entry;
  }
  *error = typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND;
  return nullptr;
}

// --- Version resources ----------------------------------------------------------
//
// The block GetFileVersionInfoA fills: the raw VS_VERSIONINFO, then (at its
// DWORD-aligned end) a trailer "HVER" and the block's size, then room where
// VerQueryValueA puts ANSI copies of the UTF-16 strings: a string at raw
// offset n is copied to that room's offset n / 2, so copies never overlap.

const char VERSION_TRAILER[4] = {'H', 'V', 'E', 'R'};

DWORD VersionBlockSize(DWORD rawSize) { return ((rawSize + 3) & ~3u) + 8 + rawSize; }

// The raw RT_VERSION resource of a module file, by the LoadLibraryA search.
bool ReadVersionResource(LPCSTR fileName, std::vector<BYTE>* raw, DWORD* error) {
  *error = ERROR_FILE_NOT_FOUND;
  if (fileName == nullptr) return false;
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  std::string path;
  if (IsHidden(loader, fileName) || !SearchModuleFile(fileName, &path)) return false;

  // The module is opened without being attached; a loaded one is used as it is.
  Module* module = LoadedModuleByPath(loader, path);
  Module probe{};
  bool opened = false;
  if (module == nullptr && path == FullPath(ProgramPath())) module = ProgramModule(loader);
  if (module == nullptr) {
    probe.library = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (probe.library == nullptr) {
      *error = ERROR_BAD_EXE_FORMAT;
      return false;
    }
    probe.map = LinkMapOf(probe.library);
    probe.path = path;
    module = &probe;
    opened = true;
  }
  DWORD notFound = 0;
  const ResourceEntry* entry = FindEntry(ResourcesOf(module), MAKEINTRESOURCEA(1), RT_VERSION,
                                         &notFound);
  if (entry == nullptr) {
    // Any name will do: a module has one version resource.
    for (const ResourceEntry& candidate : ResourcesOf(module))
      if (candidate.typeIsId && candidate.typeId == 16) entry = &candidate;
  }
  bool ok = entry != nullptr && entry->size >= 6;
  if (ok) raw->assign(entry->data, entry->data + entry->size);
  *error = ok ? ERROR_SUCCESS : ERROR_RESOURCE_TYPE_NOT_FOUND;
  if (opened) dlclose(probe.library);
  return ok;
}

// One node of a VS_VERSIONINFO tree.
struct VersionNode {
  size_t offset;  // from the start of the block
  WORD length;
  WORD valueLength;
  WORD type;  // 1: text
  std::u16string key;
  size_t valueOffset;
  size_t valueBytes;
  size_t childrenOffset;
};

bool ReadVersionNode(const BYTE* block, size_t offset, size_t end, VersionNode* node) {
  if (offset + 6 > end) return false;
  node->offset = offset;
  node->length = Word(block + offset);
  node->valueLength = Word(block + offset + 2);
  node->type = Word(block + offset + 4);
  if (node->length < 6 || offset + node->length > end) return false;
  size_t nodeEnd = offset + node->length;
  size_t at = offset + 6;
  node->key.clear();
  for (;;) {
    if (at + 2 > nodeEnd) return false;
    WORD c = Word(block + at);
    at += 2;
    if (c == 0) break;
    node->key += char16_t(c);
  }
  node->valueOffset = (at + 3) & ~size_t(3);
  node->valueBytes = node->type == 1 ? size_t(node->valueLength) * 2 : node->valueLength;
  if (node->valueOffset + node->valueBytes > nodeEnd) {
    node->valueBytes = nodeEnd > node->valueOffset ? nodeEnd - node->valueOffset : 0;
  }
  node->childrenOffset = (node->valueOffset + node->valueBytes + 3) & ~size_t(3);
  return true;
}

bool SameKey(const std::u16string& key, const std::string& wanted) {
  if (key.size() != wanted.size()) return false;
  for (size_t i = 0; i < key.size(); ++i)
    if (key[i] >= 0x80 || tolower(int(key[i])) != tolower((unsigned char)wanted[i])) return false;
  return true;
}

}  // namespace

// --- Dynamic loading --------------------------------------------------------------

HOSTAPI HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
  if (fileName == nullptr || *fileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  if (IsHidden(loader, fileName)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // A name without a folder is first looked for among the loaded modules.
  Module* module = nullptr;
  if (strchr(fileName, '/') == nullptr) module = LoadedModuleByName(loader, fileName);
  std::string path;
  if (module == nullptr) {
    if (!SearchModuleFile(fileName, &path)) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return nullptr;
    }
    module = LoadedModuleByPath(loader, path);
  }
  if (module != nullptr) {
    ++module->references;
    return reinterpret_cast<HMODULE>(module);
  }

  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    fprintf(stderr, "LoadLibraryA(%s): %s\n", fileName, dlerror());
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  module = new Module();
  module->path = path;
  module->library = library;
  module->map = LinkMapOf(library);
  module->references = 1;
  loader.modules.push_back(module);
  HMODULE handle = reinterpret_cast<HMODULE>(module);

  if (auto dllMain = reinterpret_cast<DLLMAINPROC>(OwnSymbol(library, module->map, "DllMain"))) {
    if (!dllMain(handle, DLL_PROCESS_ATTACH, nullptr)) {
      loader.modules.erase(std::find(loader.modules.begin(), loader.modules.end(), module));
      dlclose(library);
      delete module;
      SetLastError(ERROR_DLL_INIT_FAILED);
      return nullptr;
    }
  }
  return handle;
}

HOSTAPI BOOL WINAPI FreeLibrary(HMODULE handle) {
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  Module* module = handle ? ModuleOf(loader, handle) : nullptr;
  if (module == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (module->program) return TRUE;
  if (--module->references > 0) return TRUE;
  if (auto dllMain =
          reinterpret_cast<DLLMAINPROC>(OwnSymbol(module->library, module->map, "DllMain")))
    dllMain(handle, DLL_PROCESS_DETACH, nullptr);
  loader.modules.erase(std::find(loader.modules.begin(), loader.modules.end(), module));
  dlclose(module->library);
  delete module;
  return TRUE;
}

HOSTAPI FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR procName) {
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  Module* module = ModuleOf(loader, handle);
  if (module == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (procName == nullptr || IS_INTRESOURCE(procName)) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  auto hidden = loader.hiddenExports.find(Lower(FileNameOf(module->path)));
  if (hidden != loader.hiddenExports.end() && hidden->second.count(procName)) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void* address = OwnSymbol(module->library, module->map, procName);
  if (address == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(address);
}

HOSTAPI DWORD WINAPI GetModuleFileNameA(HMODULE handle, LPSTR fileName, DWORD size) {
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  Module* module = ModuleOf(loader, handle);
  if (module == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (fileName == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const std::string& path = module->path;
  if (path.size() >= size) {
    // Cut short and still terminated, as from Windows Vista on.
    memcpy(fileName, path.c_str(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  memcpy(fileName, path.c_str(), path.size() + 1);
  return DWORD(path.size());
}

HOSTAPI HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  if (moduleName == nullptr) return reinterpret_cast<HMODULE>(ProgramModule(loader));
  Module* module = strchr(moduleName, '/') ? LoadedModuleByPath(loader, FullPath(moduleName))
                                           : LoadedModuleByName(loader, moduleName);
  if (module == nullptr) {
    std::string program = ProgramPath();
    if (strcasecmp(FileNameOf(program).c_str(), FileNameOf(moduleName).c_str()) == 0)
      return reinterpret_cast<HMODULE>(ProgramModule(loader));
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(module);
}

// --- Resources ------------------------------------------------------------------------

HOSTAPI HRSRC WINAPI FindResourceA(HMODULE handle, LPCSTR name, LPCSTR type) {
  if (name == nullptr || type == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  Module* module = ModuleOf(loader, handle);
  if (module == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DWORD error = 0;
  const ResourceEntry* entry = FindEntry(ResourcesOf(module), name, type, &error);
  if (entry == nullptr) {
    SetLastError(error);
    return nullptr;
  }
  return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

HOSTAPI HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
  if (resource == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // Resource data lives in the module's image for as long as the module.
  return const_cast<BYTE*>(reinterpret_cast<const ResourceEntry*>(resource)->data);
}

HOSTAPI LPVOID WINAPI LockResource(HGLOBAL resourceData) { return resourceData; }

HOSTAPI DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
  if (resource == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return reinterpret_cast<const ResourceEntry*>(resource)->size;
}

// --- Version resources --------------------------------------------------------------

HOSTAPI DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
  if (handle) *handle = 0;
  std::vector<BYTE> raw;
  DWORD error;
  if (!ReadVersionResource(fileName, &raw, &error)) {
    SetLastError(error);
    return 0;
  }
  return VersionBlockSize(DWORD(raw.size()));
}

HOSTAPI BOOL WINAPI GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD size, LPVOID data) {
  if (data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<BYTE> raw;
  DWORD error;
  if (!ReadVersionResource(fileName, &raw, &error)) {
    SetLastError(error);
    return FALSE;
  }
  if (size < raw.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  BYTE* block = static_cast<BYTE*>(data);
  memcpy(block, raw.data(), raw.size());
  DWORD total = VersionBlockSize(DWORD(raw.size()));
  if (size >= total) {
    size_t trailer = (raw.size() + 3) & ~size_t(3);
    memset(block + raw.size(), 0, total - raw.size());
    memcpy(block + trailer, VERSION_TRAILER, 4);
    memcpy(block + trailer + 4, &total, 4);
  }
  return TRUE;
}

HOSTAPI BOOL WINAPI VerQueryValueA(LPCVOID data, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
  if (data == nullptr || subBlock == nullptr || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const BYTE* block = static_cast<const BYTE*>(data);
  VersionNode node;
  if (!ReadVersionNode(block, 0, Word(block), &node)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // Walk the path, one child per part.
  std::string path = subBlock;
  size_t start = 0;
  bool isRoot = true;
  while (start <= path.size()) {
    size_t slash = path.find('\\', start);
    std::string part = path.substr(start, slash == std::string::npos ? std::string::npos
                                                                    : slash - start);
    start = slash == std::string::npos ? path.size() + 1 : slash + 1;
    if (part.empty()) continue;
    isRoot = false;
    size_t end = node.offset + node.length;
    size_t at = node.childrenOffset;
    bool found = false;
    VersionNode child;
    while (at + 6 <= end && ReadVersionNode(block, at, end, &child)) {
      if (SameKey(child.key, part)) {
        found = true;
        break;
      }
      at = (at + child.length + 3) & ~size_t(3);
    }
    if (!found) {
      SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
      return FALSE;
    }
    node = child;
  }

  if (isRoot || node.type != 1) {
    *buffer = const_cast<BYTE*>(block + node.valueOffset);
    if (length) *length = UINT(node.valueBytes);
    return TRUE;
  }
  // A text value: its ANSI copy in the room after the trailer.
  DWORD rawSize = Word(block);
  size_t trailer = (rawSize + 3) & ~size_t(3);
  DWORD total = 0;
  if (memcmp(block + trailer, VERSION_TRAILER, 4) == 0) memcpy(&total, block + trailer + 4, 4);
  if (total != VersionBlockSize(rawSize)) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  char* text = reinterpret_cast<char*>(const_cast<BYTE*>(block)) + trailer + 8 +
               node.valueOffset / 2;
  size_t count = 0;
  for (; count < node.valueBytes / 2; ++count) {
    WORD c = Word(block + node.valueOffset + 2 * count);
    if (c == 0) break;
    text[count] = c < 0x100 ? char(c) : '?';
  }
  text[count] = '\0';
  *buffer = text;
  if (length) *length = UINT(count + 1);
  return TRUE;
}

// --- Testing controls -------------------------------------------------------------------

HOSTAPI void HostHideModule(const char* fileName) {
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  loader.hiddenModules.insert(Lower(FileNameOf(fileName)));
}

HOSTAPI void HostHideExport(const char* fileName, const char* exportName) {
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  loader.hiddenExports[Lower(FileNameOf(fileName))].insert(exportName);
}

HOSTAPI void HostClearHidden(void) {
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  loader.hiddenModules.clear();
  loader.hiddenExports.clear();
}

HOSTAPI size_t HostLoadedModuleCount(void) {
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  return loader.modules.size();
}

HOSTAPI unsigned HostModuleReferences(HMODULE handle) {
  Loader& loader = TheLoader();
  std::lock_guard<std::recursive_mutex> lock(loader.mutex);
  Module* module = handle ? ModuleOf(loader, handle) : nullptr;
  return module ? module->references : 0;
}
