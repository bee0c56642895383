// The exports of TWAIN_32.DLL: the Source Manager's entry point and its load
// notification.
#pragma once

#include "platform/twain.h"
#include "platform/win32.h"

#if defined(_WIN32)
#define SOURCE_MANAGER_EXPORT
#else
#define SOURCE_MANAGER_EXPORT __attribute__((visibility("default")))
#endif

extern "C" SOURCE_MANAGER_EXPORT TW_UINT16 TW_CALLINGSTYLE DSM_Entry(pTW_IDENTITY pOrigin,
                                                                     pTW_IDENTITY pDest,
                                                                     TW_UINT32 DG, TW_UINT16 DAT,
                                                                     TW_UINT16 MSG,
                                                                     TW_MEMREF pData);

extern "C" SOURCE_MANAGER_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason,
                                                     LPVOID reserved);
