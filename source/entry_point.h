// The module's exports: the TWAIN entry point and the load notification.
#pragma once

#include "platform/twain.h"
#include "platform/win32.h"

#if defined(_WIN32)
#define TWAIN_SOURCE_EXPORT
#else
#define TWAIN_SOURCE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" TWAIN_SOURCE_EXPORT TW_UINT16 TW_CALLINGSTYLE DS_Entry(pTW_IDENTITY pOrigin,
                                                                 TW_UINT32 DG, TW_UINT16 DAT,
                                                                 TW_UINT16 MSG, TW_MEMREF pData);

extern "C" TWAIN_SOURCE_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason,
                                                   LPVOID reserved);
