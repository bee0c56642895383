// Global memory: GlobalAlloc, GlobalLock, GlobalUnlock, GlobalFree, GlobalSize.
//
// Differs from Windows: a handle is the address of its zeroed heap block
// (GMEM_MOVEABLE blocks never move), so an application may also release it
// with free(); the layer then still counts that block as live.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/host/testing.h"
#include "platform/host/win32_memory.h"

namespace {

struct GlobalBlock {
  SIZE_T size;
  UINT flags;
  unsigned lockCount;
};

struct GlobalMemory {
  std::mutex mutex;
  std::unordered_map<void*, GlobalBlock> blocks;
  size_t allocCount = 0;
  size_t failCountdown = 0;  // 0: no failure planned
};

GlobalMemory& Memory() {
  static GlobalMemory* memory = new GlobalMemory;  // outlives every static destructor
  return *memory;
}

// The record of a live block, or null (with ERROR_INVALID_HANDLE as the last
// error) for a handle that is none.
GlobalBlock* FindBlock(GlobalMemory& memory, HGLOBAL handle) {
  auto found = memory.blocks.find(handle);
  if (found != memory.blocks.end()) return &found->second;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // namespace

HOSTAPI HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  ++memory.allocCount;
  if (memory.failCountdown != 0 && --memory.failCountdown == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // Every block is zeroed, GMEM_ZEROINIT or not; a zero-byte block is still a block.
  void* block = calloc(bytes != 0 ? bytes : 1, 1);
  if (block == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // An address already in the table belonged to a block the application freed itself.
  memory.blocks[block] = GlobalBlock{bytes, flags, 0};
  return block;
}

HOSTAPI LPVOID WINAPI GlobalLock(HGLOBAL handle) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  GlobalBlock* block = FindBlock(memory, handle);
  if (block == nullptr) return nullptr;
  // As on Windows, only movable blocks keep a lock count.
  if (block->flags & GMEM_MOVEABLE) ++block->lockCount;
  return handle;
}

HOSTAPI BOOL WINAPI GlobalUnlock(HGLOBAL handle) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  GlobalBlock* block = FindBlock(memory, handle);
  if (block == nullptr) return FALSE;
  if (!(block->flags & GMEM_MOVEABLE)) {
    SetLastError(NO_ERROR);
    return FALSE;
  }
  if (block->lockCount == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--block->lockCount > 0) return TRUE;
  SetLastError(NO_ERROR);
  return FALSE;
}

HOSTAPI HGLOBAL WINAPI GlobalFree(HGLOBAL handle) {
  if (handle == nullptr) return nullptr;
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  if (FindBlock(memory, handle) == nullptr) return handle;
  // A locked block is freed all the same, as Windows does.
  memory.blocks.erase(handle);
  free(handle);
  return nullptr;
}

HOSTAPI SIZE_T WINAPI GlobalSize(HGLOBAL handle) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  GlobalBlock* block = FindBlock(memory, handle);
  return block != nullptr ? block->size : 0;
}

// Testing controls.

HOSTAPI size_t HostLiveGlobalBlocks(void) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  return memory.blocks.size();
}

HOSTAPI size_t HostLockedGlobalBlocks(void) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  size_t locked = 0;
  for (const auto& entry : memory.blocks)
    if (entry.second.lockCount > 0) ++locked;
  return locked;
}

HOSTAPI size_t HostGlobalAllocCount(void) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  return memory.allocCount;
}

HOSTAPI void HostFailGlobalAlloc(size_t nth) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  memory.failCountdown = nth;
}

HOSTAPI unsigned HostGlobalLockCount(HGLOBAL handle) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  auto found = memory.blocks.find(handle);
  return found == memory.blocks.end() ? 0 : found->second.lockCount;
}

HOSTAPI BOOL HostIsGlobalBlock(HGLOBAL handle) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  return memory.blocks.count(handle) != 0;
}

HOSTAPI void HostForgetGlobalBlock(HGLOBAL handle) {
  GlobalMemory& memory = Memory();
  std::lock_guard<std::mutex> lock(memory.mutex);
  memory.blocks.erase(handle);
}
