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
// Lock count of a live movable block (0 for fixed or unknown blocks).
HOSTAPI unsigned HostGlobalLockCount(HGLOBAL memory);
// Whether a handle is a live block of GlobalAlloc.
HOSTAPI BOOL HostIsGlobalBlock(HGLOBAL memory);
// Drops a block from the accounting after its owner released it with free().
HOSTAPI void HostForgetGlobalBlock(HGLOBAL memory);

// Registry: a private, empty, in-memory HKEY_CURRENT_USER that is never saved.
HOSTAPI void HostUseMemoryRegistry(void);
// Registry: back to the file-backed HKEY_CURRENT_USER, read again from the
// file at its next use; path null = the usual place (TWAIN_HOST_REGISTRY, else
// $XDG_CONFIG_HOME or ~/.config, then frame-grabber-twain/registry).
HOSTAPI void HostUseFileRegistry(const char* path);
// The file the registry is saved to; empty for the in-memory registry.
HOSTAPI const char* HostRegistryFile(void);

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
// Modules loaded by LoadLibraryA and not yet freed, and one module's count.
HOSTAPI size_t HostLoadedModuleCount(void);
HOSTAPI unsigned HostModuleReferences(HMODULE module);
