// The single door to Win32 for the source.
//
// Built for Windows this is the real system header. Built on a Linux host it
// declares the subset of Win32 the source uses; platform/host implements it.
#pragma once

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#else
#include "host/win32_types.h"
#include "host/win32_memory.h"
#include "host/win32_registry.h"
#include "host/win32_modules.h"
#include "host/win32_system.h"
#include "host/win32_windows.h"
#include "host/win32_gdi.h"
#include "host/win32_commctrl.h"
#endif
