// Outputs written through a temporary file renamed into place.
#include "files/output_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace testing_support;

TEST(FileSystemOutputFiles, LinkIsFollowedAndStaysALink) {
    TempDir dir;
    writeFile(dir.file("target.txt"), "old");
    std::filesystem::create_symlink("target.txt", dir.file("link.txt"));
    files::FileSystemOutputFiles outputs;
    engine::FileError error;
    auto file = outputs.create(dir.file("link.txt"), error);
    ASSERT_TRUE(file) << error.reason;
    ASSERT_TRUE(file->write("new", error));
    ASSERT_TRUE(file->place(error)) << error.reason;
    file->confirm();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
    EXPECT_EQ(readFile(dir.file("target.txt")), "new");
}

TEST(FileSystemOutputFiles, ReplacementKeepsThePermissions) {
    TempDir dir;
    writeFile(dir.file("out.txt"), "old");
    namespace fs = std::filesystem;
    fs::permissions(dir.file("out.txt"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    files::FileSystemOutputFiles outputs;
    engine::FileError error;
    auto file = outputs.create(dir.file("out.txt"), error);
    ASSERT_TRUE(file) << error.reason;
    ASSERT_TRUE(file->write("new", error));
    ASSERT_TRUE(file->place(error)) << error.reason;
    file->confirm();
    EXPECT_EQ(readFile(dir.file("out.txt")), "new");
    EXPECT_EQ(fs::status(dir.file("out.txt")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(FileSystemOutputFiles, ReadOnlyFileIsNotReplaced) {
    TempDir dir;
    writeFile(dir.file("out.txt"), "old");
    std::filesystem::permissions(dir.file("out.txt"), std::filesystem::perms::owner_read);
    if (std::ofstream(dir.file("out.txt"), std::ios::app))
        GTEST_SKIP() << "file permissions do not bind this user (root)";
    files::FileSystemOutputFiles outputs;
    engine::FileError error;
    EXPECT_FALSE(outputs.create(dir.file("out.txt"), error));
    EXPECT_EQ(error.reason, "Permission denied");
    EXPECT_EQ(readFile(dir.file("out.txt")), "old");
}

TEST(FileSystemOutputFiles, AbandonedFileLeavesNothingBehind) {
    TempDir dir;
    writeFile(dir.file("out.txt"), "old");
    {
        files::FileSystemOutputFiles outputs;
        engine::FileError error;
        auto file = outputs.create(dir.file("out.txt"), error);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->write("half", error));
    }
    EXPECT_EQ(readFile(dir.file("out.txt")), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
