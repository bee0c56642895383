// Modules, resources and version resources.
#pragma once

#include "win32_types.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_VERSION MAKEINTRESOURCEA(16)

// The fixed part of a version resource, the value of its root "\\".
struct VS_FIXEDFILEINFO {
  DWORD dwSignature;  // 0xFEEF04BD
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};

typedef BOOL(WINAPI* DLLMAINPROC)(HINSTANCE instance, DWORD reason, LPVOID reserved);

HOSTAPI HMODULE WINAPI LoadLibraryA(LPCSTR fileName);
HOSTAPI BOOL WINAPI FreeLibrary(HMODULE module);
HOSTAPI FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName);
HOSTAPI DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
HOSTAPI HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);

HOSTAPI HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HOSTAPI HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
HOSTAPI LPVOID WINAPI LockResource(HGLOBAL resourceData);
HOSTAPI DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);

HOSTAPI DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle);
HOSTAPI BOOL WINAPI GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD size, LPVOID data);
HOSTAPI BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length);
