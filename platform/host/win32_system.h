// Files, directories, debugger output, operating-system facts.
#pragma once

#include "win32_types.h"

#define OFS_MAXPATHNAME 128
#define OF_READ 0x00000000
#define OF_WRITE 0x00000001
#define OF_READWRITE 0x00000002
#define OF_CREATE 0x00001000
#define OF_EXIST 0x00004000
#define HFILE_ERROR ((HFILE)-1)

struct OFSTRUCT {
  BYTE cBytes;
  BYTE fFixedDisk;
  WORD nErrCode;
  WORD Reserved1;
  WORD Reserved2;
  CHAR szPathName[OFS_MAXPATHNAME];
};
typedef OFSTRUCT* LPOFSTRUCT;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;
#define VER_PLATFORM_WIN32_NT 2

struct MEMORYSTATUS {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  SIZE_T dwTotalPhys;
  SIZE_T dwAvailPhys;
  SIZE_T dwTotalPageFile;
  SIZE_T dwAvailPageFile;
  SIZE_T dwTotalVirtual;
  SIZE_T dwAvailVirtual;
};
typedef MEMORYSTATUS* LPMEMORYSTATUS;

HOSTAPI DWORD WINAPI GetCurrentDirectoryA(DWORD size, LPSTR buffer);
HOSTAPI BOOL WINAPI SetCurrentDirectoryA(LPCSTR path);
HOSTAPI DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer);
HOSTAPI UINT WINAPI GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName);
HOSTAPI HFILE WINAPI OpenFile(LPCSTR fileName, LPOFSTRUCT openBuffer, UINT style);
HOSTAPI HFILE WINAPI _lclose(HFILE file);
HOSTAPI BOOL WINAPI CloseHandle(HANDLE object);
HOSTAPI BOOL WINAPI DeleteFileA(LPCSTR fileName);
HOSTAPI void WINAPI OutputDebugStringA(LPCSTR text);
HOSTAPI BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);
HOSTAPI void WINAPI GlobalMemoryStatus(LPMEMORYSTATUS status);
HOSTAPI DWORD WINAPI GetTickCount(void);
HOSTAPI void WINAPI Sleep(DWORD milliseconds);
