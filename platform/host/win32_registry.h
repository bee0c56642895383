// The registry: HKEY_CURRENT_USER kept in memory and saved to a file.
#pragma once

#include "win32_types.h"

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
typedef FILETIME* PFILETIME;

HOSTAPI LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                                     PHKEY result);
HOSTAPI LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR className,
                                       DWORD options, REGSAM access,
                                       LPSECURITY_ATTRIBUTES security, PHKEY result,
                                       LPDWORD disposition);
HOSTAPI LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved,
                                        LPDWORD type, LPBYTE data, LPDWORD dataSize);
HOSTAPI LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                                      const BYTE* data, DWORD dataSize);
HOSTAPI LSTATUS WINAPI RegCloseKey(HKEY key);
HOSTAPI LSTATUS WINAPI RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize,
                                        LPDWORD reserved, LPDWORD subKeys,
                                        LPDWORD maxSubKeyLen, LPDWORD maxClassLen,
                                        LPDWORD values, LPDWORD maxValueNameLen,
                                        LPDWORD maxValueLen, LPDWORD securityDescriptor,
                                        PFILETIME lastWriteTime);
HOSTAPI LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR valueName,
                                     LPDWORD valueNameSize, LPDWORD reserved, LPDWORD type,
                                     LPBYTE data, LPDWORD dataSize);
HOSTAPI LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName);
HOSTAPI LSTATUS WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey);
