// Testing controls of the host layer: used by tests and tools, never by the source.
#pragma once

#include <cstddef>

#include "win32_types.h"

// Global memory.
HOSTAPI size_t HostLiveGlobalBlocks(void);    // blocks allocated and not yet freed
HOSTAPI size_t HostLockedGlobalBlocks(void);  // live blocks with a lock count above 0
HOSTAPI size_t HostGlobalAllocCount(void);    // GlobalAlloc calls so far
// Makes the nth GlobalAlloc from now fail (1 = the next one); 0 switches it off.
HOSTAPI void HostFailGlobalAlloc(size_t nth);

// Registry: a private, empty, in-memory HKEY_CURRENT_USER that is never saved.
HOSTAPI void HostUseMemoryRegistry(void);

// Debugger output (OutputDebugStringA) captured since the last clear.
HOSTAPI const char* HostDebugOutput(void);
HOSTAPI void HostClearDebugOutput(void);

// Message boxes shown since the last clear; each one was answered IDOK.
HOSTAPI size_t HostMessageBoxCount(void);
HOSTAPI const char* HostMessageBoxText(size_t index);
HOSTAPI const char* HostMessageBoxCaption(size_t index);
HOSTAPI void HostClearMessageBoxes(void);

// Modules: LoadLibraryA fails for a hidden module name (compared without case,
// on the file name alone); GetProcAddress fails for a hidden export of a module.
HOSTAPI void HostHideModule(const char* fileName);
HOSTAPI void HostHideExport(const char* fileName, const char* exportName);
HOSTAPI void HostClearHidden(void);
