// Runs that place files in one folder take turns.
#include "files/folder_lock.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace testing_support;

// A second holder is told it waits, gets the lock once the first lets it go, and nothing of the
// lock stays in the folder afterwards. (Locks belong to open files, so two in one process
// exclude each other as two processes do.)
TEST(FolderLock, SecondHolderWaitsForTheFirst) {
    TempDir dir;
    const std::string output = dir.file("out.txt");
    std::unique_ptr<engine::PlacingLock> first = files::LockFolderOf(output, {});
    ASSERT_TRUE(first);

    std::atomic<bool> toldToWait{false};
    std::atomic<bool> holding{false};
    std::thread second([&] {
        std::unique_ptr<engine::PlacingLock> lock =
            files::LockFolderOf(output, [&] { toldToWait = true; });
        holding = lock != nullptr;
    });
    for (int i = 0; i < 1000 && !toldToWait; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(toldToWait);
    EXPECT_FALSE(holding);
    first.reset();
    second.join();
    EXPECT_TRUE(holding);
    EXPECT_EQ(dir.entryCount(), 0u);
}
