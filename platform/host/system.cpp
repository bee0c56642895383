// Files, directories, debugger output, operating-system facts, last error.
//
// Differs from Windows: paths are the host's ('/' separated, case-sensitive);
// an HFILE is a file descriptor, which CloseHandle also closes; the version
// reported is a fixed Windows NT one; memory figures are the host's.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include "platform/host/testing.h"
#include "platform/host/win32_system.h"

namespace {

thread_local DWORD lastError = 0;

// Copies a text by the Win32 rule: the length without the zero when it fits,
// else the size needed with it, and nothing copied.
DWORD CopyOut(const std::string& text, DWORD size, LPSTR buffer) {
  if (buffer == nullptr || text.size() >= size) return DWORD(text.size() + 1);
  memcpy(buffer, text.c_str(), text.size() + 1);
  return DWORD(text.size());
}

DWORD ErrorOf(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_INVALID_PARAMETER;
  }
}

struct DebugOutput {
  std::mutex mutex;
  std::string text;
  std::string snapshot;  // what HostDebugOutput last handed out
};

DebugOutput& TheDebugOutput() {
  static DebugOutput* output = new DebugOutput;  // outlives every static destructor
  return *output;
}

void FillOpenBuffer(LPOFSTRUCT openBuffer, const char* path, WORD error) {
  if (openBuffer == nullptr) return;
  openBuffer->cBytes = BYTE(sizeof(OFSTRUCT));
  openBuffer->fFixedDisk = 1;
  openBuffer->nErrCode = error;
  std::string full = path;
  if (!full.empty() && full[0] != '/') {
    char current[PATH_MAX];
    if (getcwd(current, sizeof current)) full = std::string(current) + "/" + full;
  }
  snprintf(openBuffer->szPathName, sizeof openBuffer->szPathName, "%s", full.c_str());
}

}  // namespace

HOSTAPI DWORD WINAPI GetLastError(void) { return lastError; }

HOSTAPI void WINAPI SetLastError(DWORD error) { lastError = error; }

// --- Directories and files --------------------------------------------------------

HOSTAPI DWORD WINAPI GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  char current[PATH_MAX];
  if (getcwd(current, sizeof current) == nullptr) {
    SetLastError(ErrorOf(errno));
    return 0;
  }
  return CopyOut(current, size, buffer);
}

HOSTAPI BOOL WINAPI SetCurrentDirectoryA(LPCSTR path) {
  if (path == nullptr || chdir(path) != 0) {
    SetLastError(path ? ErrorOf(errno) : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

HOSTAPI DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) {
  const char* folder = getenv("TMPDIR");
  std::string path = folder && *folder ? folder : "/tmp";
  if (path.back() != '/') path += '/';
  return CopyOut(path, size, buffer);
}

HOSTAPI UINT WINAPI GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique,
                                     LPSTR tempFileName) {
  if (path == nullptr || tempFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string base = path;
  if (!base.empty() && base.back() != '/' && base.back() != '\\') base += '/';
  if (prefix) base.append(prefix, strnlen(prefix, 3));
  // The whole name, like Windows's, must fit in MAX_PATH.
  auto compose = [&](UINT number) {
    char name[16];
    snprintf(name, sizeof name, "%X.TMP", number);
    return base + name;
  };
  if (unique != 0) {
    unique &= 0xFFFF;
    std::string name = compose(unique);
    if (name.size() >= MAX_PATH) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return 0;
    }
    memcpy(tempFileName, name.c_str(), name.size() + 1);
    return unique;
  }
  // Numbers start from the clock and go up until a file of that name can be created.
  UINT start = UINT(GetTickCount() ^ UINT(getpid())) & 0xFFFF;
  if (start == 0) start = 1;
  UINT number = start;
  do {
    std::string name = compose(number);
    if (name.size() >= MAX_PATH) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return 0;
    }
    int file = open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (file >= 0) {
      close(file);
      memcpy(tempFileName, name.c_str(), name.size() + 1);
      return number;
    }
    if (errno != EEXIST) {
      SetLastError(ErrorOf(errno));
      return 0;
    }
    number = number == 0xFFFF ? 1 : number + 1;
  } while (number != start);
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

HOSTAPI HFILE WINAPI OpenFile(LPCSTR fileName, LPOFSTRUCT openBuffer, UINT style) {
  if (fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return HFILE_ERROR;
  }
  int flags = O_CLOEXEC;
  switch (style & 0x3) {
    case OF_WRITE: flags |= O_WRONLY; break;
    case OF_READWRITE: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
  }
  if (style & OF_CREATE) flags = (flags & ~O_ACCMODE) | O_RDWR | O_CREAT | O_TRUNC;
  if (style & OF_EXIST) {
    // Only whether the file is there: it is not left open.
    struct stat info;
    bool there = stat(fileName, &info) == 0;
    if (!there || S_ISDIR(info.st_mode)) {
      DWORD error = there ? ERROR_ACCESS_DENIED : ErrorOf(errno);
      FillOpenBuffer(openBuffer, fileName, WORD(error));
      SetLastError(error);
      return HFILE_ERROR;
    }
    FillOpenBuffer(openBuffer, fileName, 0);
    return 1;
  }
  int file = open(fileName, flags, 0666);
  if (file < 0) {
    DWORD error = ErrorOf(errno);
    FillOpenBuffer(openBuffer, fileName, WORD(error));
    SetLastError(error);
    return HFILE_ERROR;
  }
  FillOpenBuffer(openBuffer, fileName, 0);
  return file;
}

HOSTAPI HFILE WINAPI _lclose(HFILE file) {
  if (file < 0 || close(file) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return HFILE_ERROR;
  }
  return 0;
}

HOSTAPI BOOL WINAPI CloseHandle(HANDLE object) {
  // The only handles of this layer that close are file descriptors.
  INT_PTR file = reinterpret_cast<INT_PTR>(object);
  if (file <= 0 || file > INT_MAX || close(int(file)) != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

HOSTAPI BOOL WINAPI DeleteFileA(LPCSTR fileName) {
  if (fileName == nullptr || unlink(fileName) != 0) {
    SetLastError(fileName ? ErrorOf(errno) : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

// --- Debugger output ----------------------------------------------------------------

HOSTAPI void WINAPI OutputDebugStringA(LPCSTR text) {
  if (text == nullptr) return;
  DebugOutput& output = TheDebugOutput();
  {
    std::lock_guard<std::mutex> lock(output.mutex);
    output.text += text;
  }
  if (const char* copy = getenv("TWAIN_HOST_DEBUG_STDERR"); copy && *copy) {
    fputs(text, stderr);
    fflush(stderr);
  }
}

HOSTAPI const char* HostDebugOutput(void) {
  DebugOutput& output = TheDebugOutput();
  std::lock_guard<std::mutex> lock(output.mutex);
  output.snapshot = output.text;
  return output.snapshot.c_str();
}

HOSTAPI void HostClearDebugOutput(void) {
  DebugOutput& output = TheDebugOutput();
  std::lock_guard<std::mutex> lock(output.mutex);
  output.text.clear();
}

// --- The system -------------------------------------------------------------------------

HOSTAPI BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  // Windows 7 Service Pack 1.
  info->dwMajorVersion = 6;
  info->dwMinorVersion = 1;
  info->dwBuildNumber = 7601;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  snprintf(info->szCSDVersion, sizeof info->szCSDVersion, "Service Pack 1");
  return TRUE;
}

HOSTAPI void WINAPI GlobalMemoryStatus(LPMEMORYSTATUS status) {
  if (status == nullptr) return;
  struct sysinfo facts;
  memset(status, 0, sizeof *status);
  status->dwLength = sizeof *status;
  if (sysinfo(&facts) != 0) return;
  SIZE_T unit = facts.mem_unit ? facts.mem_unit : 1;
  status->dwTotalPhys = SIZE_T(facts.totalram) * unit;
  status->dwAvailPhys = SIZE_T(facts.freeram + facts.bufferram) * unit;
  status->dwTotalPageFile = SIZE_T(facts.totalram + facts.totalswap) * unit;
  status->dwAvailPageFile = SIZE_T(facts.freeram + facts.bufferram + facts.freeswap) * unit;
  if (status->dwTotalPhys > 0)
    status->dwMemoryLoad =
        DWORD(100 - (status->dwAvailPhys * 100 + status->dwTotalPhys / 2) / status->dwTotalPhys);
  // The user address space of a 32-bit process.
  status->dwTotalVirtual = 0x7FFE0000;
  status->dwAvailVirtual = 0x7FFE0000 - 0x01000000;
}

HOSTAPI DWORD WINAPI GetTickCount(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return DWORD(uint64_t(now.tv_sec) * 1000 + uint64_t(now.tv_nsec) / 1000000);
}

HOSTAPI void WINAPI Sleep(DWORD milliseconds) {
  struct timespec wait = {time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}
