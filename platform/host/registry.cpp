// The registry: HKEY_CURRENT_USER as a tree in memory, read from its file at
// first use and written back whole after every change.
//
// Differs from Windows: HKEY_CURRENT_USER is the only root (the others have no
// keys and take none); no security, classes or volatile keys; a key's last
// write time is kept in memory only.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/host/testing.h"
#include "platform/host/win32_registry.h"

namespace {

struct RegistryValue {
  std::string name;
  DWORD type;
  std::vector<BYTE> data;
};

struct RegistryKey {
  std::string name;
  std::weak_ptr<RegistryKey> parent;
  std::vector<std::shared_ptr<RegistryKey>> subKeys;  // in creation order
  std::vector<RegistryValue> values;                  // in creation order
  uint64_t lastWriteTime = 0;                         // FILETIME units
  bool deleted = false;
};
typedef std::shared_ptr<RegistryKey> KeyPtr;

// What an HKEY that RegOpenKeyExA or RegCreateKeyExA returned points to.
struct OpenKey {
  KeyPtr key;
};

struct Registry {
  std::mutex mutex;
  KeyPtr root;
  bool loaded = false;
  bool memoryOnly = false;
  std::string pathOverride;  // set by HostUseFileRegistry
  std::string file;          // where the tree is saved; empty in memory
  bool saveFailureReported = false;
  std::unordered_set<OpenKey*> openKeys;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // outlives every static destructor
  return *registry;
}

const char FILE_HEADER[] = "frame-grabber-twain registry 1";

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

uint64_t FileTimeNow() {
  // 100-nanosecond intervals since 1601-01-01.
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return (uint64_t(now.tv_sec) + 11644473600ULL) * 10000000ULL + uint64_t(now.tv_nsec) / 100;
}

KeyPtr NewKey(const std::string& name, const KeyPtr& parent) {
  KeyPtr key = std::make_shared<RegistryKey>();
  key->name = name;
  key->parent = parent;
  key->lastWriteTime = FileTimeNow();
  if (parent) parent->subKeys.push_back(key);
  return key;
}

KeyPtr FindSubKey(const KeyPtr& key, const char* name) {
  for (const KeyPtr& subKey : key->subKeys)
    if (SameName(subKey->name, name)) return subKey;
  return nullptr;
}

RegistryValue* FindValue(const KeyPtr& key, const char* name) {
  for (RegistryValue& value : key->values)
    if (SameName(value.name, name)) return &value;
  return nullptr;
}

// A key path's parts; empty parts (doubled or outer backslashes) are skipped.
std::vector<std::string> SplitPath(const char* path) {
  std::vector<std::string> parts;
  std::string part;
  for (const char* c = path ? path : ""; ; ++c) {
    if (*c == '\\' || *c == '\0') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
      if (*c == '\0') break;
    } else {
      part += *c;
    }
  }
  return parts;
}

// --- The file ---------------------------------------------------------------
//
// A text file: a header line, then a "[path]" line for every key (path parts
// joined by "\\", escaped as strings are) followed by its values, one a line:
//   "name"="text"            REG_SZ holding one terminating zero
//   "name"=dword:0000002a    REG_DWORD of four bytes
//   "name"=hex:01,02         REG_BINARY
//   "name"=hex(7):01,00      any other type, or a string or dword that is not
//                            of the plain form, as raw bytes

std::string Escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20 || c == 0x7f) {
      char hex[5];
      snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads an escaped text from *cursor up to the closing quote (or to the end
// when quote is 0), moving the cursor past it.
bool Unescape(const char** cursor, char quote, std::string* out) {
  const char* c = *cursor;
  out->clear();
  for (;;) {
    if (*c == '\0') {
      if (quote != 0) return false;
      break;
    }
    if (*c == quote) {
      ++c;
      break;
    }
    if (*c != '\\') {
      *out += *c++;
      continue;
    }
    ++c;
    switch (*c) {
      case '\\': *out += '\\'; break;
      case '"': *out += '"'; break;
      case 'n': *out += '\n'; break;
      case 'r': *out += '\r'; break;
      case 't': *out += '\t'; break;
      case 'x': {
        int high = HexDigit(c[1]), low = high < 0 ? -1 : HexDigit(c[2]);
        if (low < 0) return false;
        *out += char(high * 16 + low);
        c += 2;
        break;
      }
      default: return false;
    }
    ++c;
  }
  *cursor = c;
  return true;
}

void WriteKey(FILE* file, const KeyPtr& key, const std::string& path) {
  if (!path.empty()) {
    fprintf(file, "\n[%s]\n", Escape(path).c_str());
    for (const RegistryValue& value : key->values) {
      fprintf(file, "\"%s\"=", Escape(value.name).c_str());
      const std::vector<BYTE>& data = value.data;
      size_t zeros = 0;
      for (BYTE b : data)
        if (b == 0) ++zeros;
      if (value.type == REG_SZ && !data.empty() && data.back() == 0 && zeros == 1) {
        fprintf(file, "\"%s\"\n", Escape(std::string(data.begin(), data.end() - 1)).c_str());
      } else if (value.type == REG_DWORD && data.size() == 4) {
        DWORD number;
        memcpy(&number, data.data(), 4);
        fprintf(file, "dword:%08x\n", number);
      } else {
        if (value.type == REG_BINARY) fprintf(file, "hex:");
        else fprintf(file, "hex(%x):", value.type);
        for (size_t i = 0; i < data.size(); ++i) fprintf(file, i ? ",%02x" : "%02x", data[i]);
        fprintf(file, "\n");
      }
    }
  }
  for (const KeyPtr& subKey : key->subKeys)
    WriteKey(file, subKey, path.empty() ? subKey->name : path + "\\" + subKey->name);
}

void MakeParentFolders(const std::string& file) {
  for (size_t slash = file.find('/', 1); slash != std::string::npos;
       slash = file.find('/', slash + 1))
    mkdir(file.substr(0, slash).c_str(), 0755);
}

// Called with the registry locked, after every change.
void Save(Registry& registry) {
  if (registry.memoryOnly || registry.file.empty()) return;
  MakeParentFolders(registry.file);
  std::string temporary = registry.file + ".new" + std::to_string(getpid());
  FILE* file = fopen(temporary.c_str(), "w");
  bool ok = file != nullptr;
  if (ok) {
    fprintf(file, "%s\n", FILE_HEADER);
    WriteKey(file, registry.root, "");
    ok = fflush(file) == 0 && !ferror(file);
    ok = fclose(file) == 0 && ok;
    ok = ok && rename(temporary.c_str(), registry.file.c_str()) == 0;
    if (!ok) unlink(temporary.c_str());
  }
  if (!ok && !registry.saveFailureReported) {
    fprintf(stderr, "host registry: cannot save %s: %s\n", registry.file.c_str(), strerror(errno));
    registry.saveFailureReported = true;
  }
}

bool ParseBytes(const char* text, std::vector<BYTE>* bytes) {
  bytes->clear();
  while (*text != '\0') {
    int high = HexDigit(text[0]), low = high < 0 ? -1 : HexDigit(text[1]);
    if (low < 0) return false;
    bytes->push_back(BYTE(high * 16 + low));
    text += 2;
    if (*text == ',') ++text;
    else if (*text != '\0') return false;
  }
  return true;
}

bool ParseValue(const char* line, RegistryValue* value) {
  const char* c = line + 1;
  if (!Unescape(&c, '"', &value->name) || *c++ != '=') return false;
  value->data.clear();
  if (*c == '"') {
    std::string text;
    ++c;
    if (!Unescape(&c, '"', &text) || *c != '\0') return false;
    value->type = REG_SZ;
    value->data.assign(text.begin(), text.end());
    value->data.push_back(0);
    return true;
  }
  if (strncmp(c, "dword:", 6) == 0) {
    c += 6;
    if (strlen(c) != 8) return false;
    DWORD number = 0;
    for (int i = 0; i < 8; ++i) {
      int digit = HexDigit(c[i]);
      if (digit < 0) return false;
      number = number * 16 + DWORD(digit);
    }
    value->type = REG_DWORD;
    value->data.resize(4);
    memcpy(value->data.data(), &number, 4);
    return true;
  }
  if (strncmp(c, "hex:", 4) == 0) {
    value->type = REG_BINARY;
    return ParseBytes(c + 4, &value->data);
  }
  if (strncmp(c, "hex(", 4) == 0) {
    char* end = nullptr;
    unsigned long type = strtoul(c + 4, &end, 16);
    if (end == c + 4 || end[0] != ')' || end[1] != ':' || type > 0xffffffffUL) return false;
    value->type = DWORD(type);
    return ParseBytes(end + 2, &value->data);
  }
  return false;
}

// Reads the tree from the file; returns false for a file that is not one.
bool ParseFile(FILE* file, const KeyPtr& root, int* badLine) {
  std::string line;
  KeyPtr current;
  bool headerSeen = false;
  int number = 0;
  for (int c = fgetc(file);; c = fgetc(file)) {
    if (c != '\n' && c != EOF) {
      line += char(c);
      continue;
    }
    ++number;
    *badLine = number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!headerSeen) {
      if (line.empty() && c == EOF && number == 1) return true;  // an empty file
      if (line != FILE_HEADER) return false;
      headerSeen = true;
    } else if (line.empty() || line[0] == ';') {
      // blank or comment
    } else if (line[0] == '[') {
      if (line.back() != ']') return false;
      std::string path, inner(line, 1, line.size() - 2);
      const char* cursor = inner.c_str();
      if (!Unescape(&cursor, 0, &path)) return false;
      std::vector<std::string> parts = SplitPath(path.c_str());
      if (parts.empty()) return false;
      current = root;
      for (const std::string& part : parts) {
        KeyPtr next = FindSubKey(current, part.c_str());
        current = next ? next : NewKey(part, current);
      }
    } else if (line[0] == '"') {
      RegistryValue value;
      if (!current || !ParseValue(line.c_str(), &value)) return false;
      if (RegistryValue* existing = FindValue(current, value.name.c_str())) *existing = value;
      else current->values.push_back(value);
    } else {
      return false;
    }
    line.clear();
    if (c == EOF) break;
  }
  return !ferror(file);
}

std::string DefaultRegistryFile() {
  if (const char* path = getenv("TWAIN_HOST_REGISTRY"); path && *path) return path;
  std::string folder;
  if (const char* config = getenv("XDG_CONFIG_HOME"); config && *config) folder = config;
  else if (const char* home = getenv("HOME"); home && *home) folder = std::string(home) + "/.config";
  else folder = "/tmp";
  return folder + "/frame-grabber-twain/registry";
}

// Called with the registry locked before every use of the tree.
void EnsureLoaded(Registry& registry) {
  if (registry.loaded) return;
  registry.loaded = true;
  registry.root = NewKey("", nullptr);
  if (registry.memoryOnly) {
    registry.file.clear();
    return;
  }
  registry.file = registry.pathOverride.empty() ? DefaultRegistryFile() : registry.pathOverride;
  registry.saveFailureReported = false;
  FILE* file = fopen(registry.file.c_str(), "r");
  if (file == nullptr) return;  // no file yet: an empty registry
  int badLine = 0;
  bool ok = ParseFile(file, registry.root, &badLine);
  fclose(file);
  if (!ok) {
    // A corrupt file is kept aside, and the registry starts empty.
    std::string aside = registry.file + ".corrupt";
    fprintf(stderr, "host registry: %s is corrupt at line %d; starting empty (old file kept as %s)\n",
            registry.file.c_str(), badLine, aside.c_str());
    rename(registry.file.c_str(), aside.c_str());
    registry.root = NewKey("", nullptr);
  }
}

bool IsPredefined(HKEY key) {
  // HKEY_CLASSES_ROOT to HKEY_CURRENT_CONFIG, sign-extended as the macros make them.
  for (DWORD root = 0x80000000; root <= 0x80000005; ++root)
    if (key == reinterpret_cast<HKEY>(ULONG_PTR(LONG(root)))) return true;
  return false;
}

// The key a handle stands for, or null (with the error to return) if none.
KeyPtr Resolve(Registry& registry, HKEY handle, LSTATUS* error) {
  *error = ERROR_SUCCESS;
  KeyPtr key;
  if (handle == HKEY_CURRENT_USER) {
    EnsureLoaded(registry);
    key = registry.root;
  } else if (IsPredefined(handle)) {
    *error = ERROR_FILE_NOT_FOUND;  // the other roots hold nothing
    return nullptr;
  } else {
    OpenKey* open = reinterpret_cast<OpenKey*>(handle);
    if (registry.openKeys.count(open) == 0) {
      *error = ERROR_INVALID_HANDLE;
      return nullptr;
    }
    EnsureLoaded(registry);
    key = open->key;
  }
  if (key->deleted) {
    *error = ERROR_KEY_DELETED;
    return nullptr;
  }
  return key;
}

HKEY NewHandle(Registry& registry, const KeyPtr& key) {
  OpenKey* open = new OpenKey{key};
  registry.openKeys.insert(open);
  return reinterpret_cast<HKEY>(open);
}

void Touch(const KeyPtr& key) { key->lastWriteTime = FileTimeNow(); }

// Hands out a value's bytes by the size rules of RegQueryValueExA.
LSTATUS CopyData(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  if (type) *type = value.type;
  DWORD size = DWORD(value.data.size());
  if (dataSize == nullptr) return ERROR_SUCCESS;
  if (data == nullptr) {
    *dataSize = size;
    return ERROR_SUCCESS;
  }
  if (*dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (size) memcpy(data, value.data.data(), size);
  *dataSize = size;
  return ERROR_SUCCESS;
}

// The existing key at a path below the key a handle stands for, or null
// (with the error to return) if the handle is not open or a part is missing.
KeyPtr FindKey(Registry& registry, HKEY handle, LPCSTR subKey, LSTATUS* error) {
  KeyPtr key = Resolve(registry, handle, error);
  if (!key) return nullptr;
  for (const std::string& part : SplitPath(subKey)) {
    key = FindSubKey(key, part.c_str());
    if (!key) {
      *error = ERROR_FILE_NOT_FOUND;
      return nullptr;
    }
  }
  return key;
}

}  // namespace

HOSTAPI LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  LSTATUS error;
  KeyPtr current = FindKey(registry, key, subKey, &error);
  if (!current) return error;
  *result = NewHandle(registry, current);
  return ERROR_SUCCESS;
}

HOSTAPI LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM,
                                       LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  LSTATUS error;
  if (IsPredefined(key) && key != HKEY_CURRENT_USER) return ERROR_ACCESS_DENIED;
  KeyPtr current = Resolve(registry, key, &error);
  if (!current) return error;
  bool created = false;
  for (const std::string& part : SplitPath(subKey)) {
    KeyPtr next = FindSubKey(current, part.c_str());
    if (!next) {
      Touch(current);
      next = NewKey(part, current);
      created = true;
    }
    current = next;
  }
  if (created) Save(registry);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(registry, current);
  return ERROR_SUCCESS;
}

HOSTAPI LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved,
                                        LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  LSTATUS error;
  KeyPtr current = Resolve(registry, key, &error);
  if (!current) return error;
  RegistryValue* value = FindValue(current, valueName ? valueName : "");
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  return CopyData(*value, type, data, dataSize);
}

HOSTAPI LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type,
                                      const BYTE* data, DWORD dataSize) {
  if (data == nullptr && dataSize != 0) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  LSTATUS error;
  KeyPtr current = Resolve(registry, key, &error);
  if (!current) return error;
  const char* name = valueName ? valueName : "";
  RegistryValue* value = FindValue(current, name);
  if (value == nullptr) {
    current->values.push_back(RegistryValue{name, type, {}});
    value = &current->values.back();
  }
  // A value set again keeps its place in the enumeration.
  value->type = type;
  value->data.assign(data, data + dataSize);
  Touch(current);
  Save(registry);
  return ERROR_SUCCESS;
}

HOSTAPI LSTATUS WINAPI RegCloseKey(HKEY key) {
  if (IsPredefined(key)) return ERROR_SUCCESS;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  OpenKey* open = reinterpret_cast<OpenKey*>(key);
  if (registry.openKeys.erase(open) == 0) return ERROR_INVALID_HANDLE;
  delete open;
  return ERROR_SUCCESS;
}

HOSTAPI LSTATUS WINAPI RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize,
                                        LPDWORD reserved, LPDWORD subKeys,
                                        LPDWORD maxSubKeyLen, LPDWORD maxClassLen,
                                        LPDWORD values, LPDWORD maxValueNameLen,
                                        LPDWORD maxValueLen, LPDWORD securityDescriptor,
                                        PFILETIME lastWriteTime) {
  if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  LSTATUS error;
  KeyPtr current = Resolve(registry, key, &error);
  if (!current) return error;
  if (className != nullptr) {
    if (classSize == nullptr || *classSize == 0) return ERROR_INVALID_PARAMETER;
    className[0] = '\0';
  }
  if (classSize) *classSize = 0;
  DWORD longestKey = 0, longestName = 0, longestData = 0;
  for (const KeyPtr& subKey : current->subKeys)
    if (subKey->name.size() > longestKey) longestKey = DWORD(subKey->name.size());
  for (const RegistryValue& value : current->values) {
    if (value.name.size() > longestName) longestName = DWORD(value.name.size());
    if (value.data.size() > longestData) longestData = DWORD(value.data.size());
  }
  if (subKeys) *subKeys = DWORD(current->subKeys.size());
  if (maxSubKeyLen) *maxSubKeyLen = longestKey;
  if (maxClassLen) *maxClassLen = 0;
  if (values) *values = DWORD(current->values.size());
  if (maxValueNameLen) *maxValueNameLen = longestName;
  if (maxValueLen) *maxValueLen = longestData;
  if (securityDescriptor) *securityDescriptor = 0;
  if (lastWriteTime) {
    lastWriteTime->dwLowDateTime = DWORD(current->lastWriteTime);
    lastWriteTime->dwHighDateTime = DWORD(current->lastWriteTime >> 32);
  }
  return ERROR_SUCCESS;
}

HOSTAPI LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR valueName,
                                     LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                                     LPBYTE data, LPDWORD dataSize) {
  if (valueName == nullptr || valueNameSize == nullptr || reserved != nullptr)
    return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  LSTATUS error;
  KeyPtr current = Resolve(registry, key, &error);
  if (!current) return error;
  if (index >= current->values.size()) return ERROR_NO_MORE_ITEMS;
  const RegistryValue& value = current->values[index];
  // The name size counts characters: in, with the terminating zero; out, without.
  if (*valueNameSize <= value.name.size()) return ERROR_MORE_DATA;
  memcpy(valueName, value.name.c_str(), value.name.size() + 1);
  *valueNameSize = DWORD(value.name.size());
  return CopyData(value, type, data, dataSize);
}

HOSTAPI LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  LSTATUS error;
  KeyPtr current = Resolve(registry, key, &error);
  if (!current) return error;
  const char* name = valueName ? valueName : "";
  for (auto value = current->values.begin(); value != current->values.end(); ++value) {
    if (SameName(value->name, name)) {
      current->values.erase(value);
      Touch(current);
      Save(registry);
      return ERROR_SUCCESS;
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

HOSTAPI LSTATUS WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  LSTATUS error;
  KeyPtr target = FindKey(registry, key, subKey, &error);
  if (!target) return error;
  KeyPtr parent = target->parent.lock();
  // Neither a root nor a key that still has subkeys can be deleted.
  if (!parent || !target->subKeys.empty()) return ERROR_ACCESS_DENIED;
  for (auto entry = parent->subKeys.begin(); entry != parent->subKeys.end(); ++entry) {
    if (*entry == target) {
      parent->subKeys.erase(entry);
      break;
    }
  }
  target->deleted = true;
  Touch(parent);
  Save(registry);
  return ERROR_SUCCESS;
}

// Testing controls.

HOSTAPI void HostUseMemoryRegistry(void) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.memoryOnly = true;
  registry.loaded = false;
  EnsureLoaded(registry);
}

HOSTAPI void HostUseFileRegistry(const char* path) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.memoryOnly = false;
  registry.loaded = false;
  registry.pathOverride = path ? path : "";
  registry.root.reset();
}

HOSTAPI const char* HostRegistryFile(void) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  EnsureLoaded(registry);
  return registry.file.c_str();
}
