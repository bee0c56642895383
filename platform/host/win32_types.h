// Win32 base types, calling conventions and handle kinds for the host layer.
#pragma once

#include <cstddef>
#include <cstdint>

// Every host function has C linkage and is exported from the host library.
#define HOSTAPI extern "C" __attribute__((visibility("default")))

#define WINAPI
#define APIENTRY
#define CALLBACK
#define PASCAL
#define FAR
#define NEAR

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int INT;
typedef char CHAR;
typedef short SHORT;
typedef unsigned short USHORT;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef size_t SIZE_T;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef LONG LSTATUS;
typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;
typedef WORD ATOM;

typedef void* HANDLE;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef void* PVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;
typedef const BYTE* LPCBYTE;
typedef BOOL* LPBOOL;
typedef LONG* LPLONG;
typedef UINT* PUINT;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
typedef int HFILE;

#define DECLARE_HOST_HANDLE(name) \
  struct name##__ {               \
    int unused;                   \
  };                              \
  typedef struct name##__* name

DECLARE_HOST_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
DECLARE_HOST_HANDLE(HKEY);
typedef HKEY* PHKEY;
DECLARE_HOST_HANDLE(HWND);
DECLARE_HOST_HANDLE(HRSRC);
DECLARE_HOST_HANDLE(HDC);
DECLARE_HOST_HANDLE(HMENU);
DECLARE_HOST_HANDLE(HICON);
typedef HICON HCURSOR;
DECLARE_HOST_HANDLE(HGDIOBJ);
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HFONT;

typedef INT_PTR(WINAPI* FARPROC)();

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define MAX_PATH 260

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define MAKELONG(a, b) ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))

// System error codes the host layer returns.
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define NO_ERROR 0L
#define ERROR_FILE_EXISTS 80L
#define ERROR_BUFFER_OVERFLOW 111L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_NOT_LOCKED 158L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_BAD_EXE_FORMAT 193L
#define ERROR_KEY_DELETED 1018L
#define ERROR_DLL_INIT_FAILED 1114L
#define ERROR_INVALID_WINDOW_HANDLE 1400L

HOSTAPI DWORD WINAPI GetLastError(void);
HOSTAPI void WINAPI SetLastError(DWORD error);
