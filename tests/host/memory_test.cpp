// Global memory: handles, lock counts, accounting and failure injection.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "host_fixture.h"

class GlobalMemoryTest : public HostFixture {};

TEST_F(GlobalMemoryTest, MovableBlockIsZeroedAndLocksToItsHandle) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 100);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 100u);
  BYTE* bytes = static_cast<BYTE*>(GlobalLock(block));
  ASSERT_EQ(bytes, block);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(HostLiveGlobalBlocks(), liveBlocksAtStart_ + 1);
  EXPECT_EQ(HostLockedGlobalBlocks(), 1u);
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), DWORD(NO_ERROR));
  EXPECT_EQ(HostLockedGlobalBlocks(), 0u);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(HostLiveGlobalBlocks(), liveBlocksAtStart_);
}

TEST_F(GlobalMemoryTest, LockCountNests) {
  HGLOBAL block = GlobalAlloc(GHND, 8);
  GlobalLock(block);
  GlobalLock(block);
  EXPECT_EQ(HostGlobalLockCount(block), 2u);
  EXPECT_TRUE(GlobalUnlock(block));   // still locked once
  EXPECT_FALSE(GlobalUnlock(block));  // now unlocked
  EXPECT_FALSE(GlobalUnlock(block));  // was not locked
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_LOCKED));
  GlobalFree(block);
}

TEST_F(GlobalMemoryTest, FixedBlocksKeepNoLockCount) {
  HGLOBAL block = GlobalAlloc(GPTR, 16);
  EXPECT_EQ(GlobalLock(block), block);
  EXPECT_EQ(HostLockedGlobalBlocks(), 0u);
  GlobalFree(block);
}

TEST_F(GlobalMemoryTest, UnknownHandlesAreRefused) {
  int notABlock = 0;
  SetLastError(0);
  EXPECT_EQ(GlobalLock(&notABlock), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalSize(&notABlock), 0u);
  EXPECT_FALSE(GlobalUnlock(&notABlock));
  EXPECT_EQ(GlobalFree(&notABlock), &notABlock);  // the handle back: failure
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
}

TEST_F(GlobalMemoryTest, LockedBlockIsFreedAllTheSame) {
  HGLOBAL block = GlobalAlloc(GHND, 32);
  GlobalLock(block);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_FALSE(HostIsGlobalBlock(block));
  EXPECT_EQ(HostLockedGlobalBlocks(), 0u);
}

TEST_F(GlobalMemoryTest, ApplicationMayReleaseABlockWithFree) {
  HGLOBAL block = GlobalAlloc(GHND, 64);
  free(block);
  EXPECT_TRUE(HostIsGlobalBlock(block));  // the layer cannot see free()
  HostForgetGlobalBlock(block);
  EXPECT_EQ(HostLiveGlobalBlocks(), liveBlocksAtStart_);
}

TEST_F(GlobalMemoryTest, NthAllocationFails) {
  size_t before = HostGlobalAllocCount();
  HostFailGlobalAlloc(2);
  HGLOBAL first = GlobalAlloc(GHND, 4);
  HGLOBAL second = GlobalAlloc(GHND, 4);
  DWORD error = GetLastError();
  HGLOBAL third = GlobalAlloc(GHND, 4);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(error, DWORD(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_NE(third, nullptr);  // the failure happens once
  EXPECT_EQ(HostGlobalAllocCount(), before + 3);
  GlobalFree(first);
  GlobalFree(third);
}

TEST_F(GlobalMemoryTest, ZeroByteBlockIsABlock) {
  HGLOBAL block = GlobalAlloc(GHND, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
  GlobalFree(block);
}

TEST_F(GlobalMemoryTest, AccountingHoldsAcrossThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 2000; ++i) {
        HGLOBAL block = GlobalAlloc(GHND, 24);
        GlobalLock(block);
        GlobalUnlock(block);
        GlobalFree(block);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(HostLiveGlobalBlocks(), liveBlocksAtStart_);
}
