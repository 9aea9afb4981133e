// Temporary files without a name, the staging folder of a long series, and the sweep of what a
// run that is gone left behind (Linux).
#ifdef __linux__
#include "files/atomic_file.h"
#include "files/atomic_file_testing.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <set>
#include <vector>

using namespace testing_support;

namespace {

std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A process id that no process has: a child that has exited and been waited for.
pid_t goneProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

} // namespace

// Until it is placed a file has no name, so no end of the run can leave it behind; the parts of a
// long series wait in one hidden folder, which goes with the last of them.
TEST(UnnamedFiles, NothingIsNamedButOneStagingFolderUntilPlaced) {
    TempDir dir;
    writeFile(dir.file("x_1.txt"), "old");
    std::vector<std::unique_ptr<files::AtomicFile>> series;
    engine::FileError error;
    for (int part = 1; part <= 40; ++part) {
        auto file =
            files::AtomicFile::create(dir.file("x_" + std::to_string(part) + ".txt"), error);
        ASSERT_TRUE(file) << error.reason;
        ASSERT_TRUE(file->write("part " + std::to_string(part), error));
        ASSERT_TRUE(file->finish(error)) << error.reason;
        series.push_back(std::move(file));
    }
    std::set<std::string> waiting = namesIn(dir.path());
    ASSERT_EQ(waiting.size(), 2u);
    EXPECT_TRUE(waiting.count("x_1.txt"));
    const std::string staging =
        *std::next(waiting.begin(), waiting.begin()->ends_with(".staging") ? 0 : 1);
    EXPECT_TRUE(staging.starts_with(".pagelume-") && staging.ends_with(".staging")) << staging;
    EXPECT_FALSE(namesIn(dir.path() / staging).empty());

    for (auto& file : series) {
        ASSERT_TRUE(file->place(error)) << error.reason;
        file->confirm();
    }
    series.clear();
    EXPECT_EQ(namesIn(dir.path()).size(), 40u);
    EXPECT_EQ(readFile(dir.file("x_1.txt")), "part 1");
    EXPECT_EQ(readFile(dir.file("x_40.txt")), "part 40");
}

// A file that must not replace anything takes its name in one step, and a name that appeared
// meanwhile is kept.
TEST(UnnamedFiles, NameThatAppearedMeanwhileIsKept) {
    TempDir dir;
    engine::FileError error;
    auto file =
        files::AtomicFile::create(dir.file("out.txt"), error, files::AtomicFile::Existing::Keep);
    ASSERT_TRUE(file) << error.reason;
    ASSERT_TRUE(file->write("new", error));
    writeFile(dir.file("out.txt"), "theirs");
    EXPECT_FALSE(file->place(error));
    EXPECT_EQ(error.cause, engine::FileError::Cause::AlreadyExists);
    file.reset();
    EXPECT_EQ(readFile(dir.file("out.txt")), "theirs");
    EXPECT_EQ(dir.entryCount(), 1u);
}

// The next run into a folder removes the staging folder of a run that is gone, and only that:
// not one whose process lives, nor one whose lock is held.
TEST(UnnamedFiles, StagingFolderOfAGoneRunIsSweptOnly) {
    TempDir dir;
    const std::string gone = ".pagelume-" + std::to_string(goneProcess()) + "-0.staging";
    const std::string living = ".pagelume-" + std::to_string(::getppid()) + "-0.staging";
    const std::string locked = ".pagelume-" + std::to_string(goneProcess()) + "-1.staging";
    for (const std::string& name : {gone, living, locked})
        dir.write(std::filesystem::path(name) / "1", "a part");
    const int lock = ::open(dir.file(locked).c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);

    engine::FileError error;
    auto file = files::AtomicFile::create(dir.file("out.txt"), error);
    ASSERT_TRUE(file) << error.reason;
    ::close(lock);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{living, locked}));
}

// A temporary file that cannot be removed, its folder made read-only meanwhile, is named.
TEST(UnnamedFiles, NamedTemporaryThatCannotBeRemovedIsNamed) {
    files::testing::SimulateNoUnnamedFiles(true);
    TempDir dir;
    engine::FileError error;
    auto file = files::AtomicFile::create(dir.file("out.txt"), error);
    ASSERT_TRUE(file) << error.reason;
    ASSERT_TRUE(file->write("half", error));
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    const bool bound = ::access(dir.path().c_str(), W_OK) != 0;
    const std::optional<engine::LeftBehind> left = file->discard();
    files::testing::SimulateNoUnnamedFiles(false);
    if (!bound)
        GTEST_SKIP() << "folder permissions do not bind this user (root)";
    ASSERT_TRUE(left);
    EXPECT_TRUE(std::filesystem::path(left->path).filename().string().starts_with(".pagelume-"));
    EXPECT_EQ(std::filesystem::path(left->path).parent_path(), dir.path());
    EXPECT_EQ(left->reason, "Permission denied");
}
#endif
