// Outputs written through a temporary file renamed into place.
#include "files/atomic_file_testing.h"
#include "files/output_files.h"
#include "support/temp_dir.h"
#ifdef _WIN32
#include "files/system_text_win.h"
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace testing_support;

TEST(FileSystemOutputFiles, LinkIsFollowedAndStaysALink) {
    TempDir dir;
    writeFile(dir.file("target.txt"), "old");
    std::error_code linkError;
    std::filesystem::create_symlink("target.txt", dir.file("link.txt"), linkError);
    // Windows lets only privileged users make links, and MinGW's library cannot make them at all.
    if (linkError)
        GTEST_SKIP() << "no symbolic links here: " << linkError.message();
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
#ifdef _WIN32
    GTEST_SKIP() << "Windows files have no permission bits beyond read-only; access rights are "
                    "ACLs, which a new file inherits from its folder";
#endif
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
    // Windows has words of its own for it (and a language).
#ifdef _WIN32
    EXPECT_EQ(error.reason, files::SystemErrorText(ERROR_ACCESS_DENIED));
#else
    EXPECT_EQ(error.reason, "Permission denied");
#endif
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

// A device is never opened for writing: the write could wait for ever, and nothing could be
// renamed over it.
TEST(FileSystemOutputFiles, DeviceIsNotARegularFile) {
#ifdef _WIN32
    const std::string device = "NUL";
#else
    const std::string device = "/dev/null";
#endif
    files::FileSystemOutputFiles outputs;
    engine::FileError error;
    EXPECT_FALSE(outputs.create(device, error));
    EXPECT_EQ(error.cause, engine::FileError::Cause::NotARegularFile);
}

// Paths are UTF-8 on every system; on Windows they reach the system as UTF-16.
TEST(FileSystemOutputFiles, JapaneseNameIsWrittenAsSpelt) {
    TempDir dir;
    files::FileSystemOutputFiles outputs;
    engine::FileError error;
    auto file = outputs.create(dir.file("縦書き.txt"), error);
    ASSERT_TRUE(file) << error.reason;
    ASSERT_TRUE(file->write("pages", error));
    ASSERT_TRUE(file->place(error)) << error.reason;
    file->confirm();
    EXPECT_EQ(readFile(dir.file("縦書き.txt")), "pages");
    ASSERT_EQ(dir.entryCount(), 1u);
    EXPECT_EQ(utf8Of(std::filesystem::directory_iterator(dir.path())->path().filename()),
              "縦書き.txt");
}

// The rename into place fails after the file it replaces got its second name: that name goes,
// the old file stays as it was, and nothing is left beside it.
TEST(AtomicFile, FailedPlacingLeavesTheReplacedFileAlone) {
    files::testing::SimulateNoUnnamedFiles(true); // the temporary file needs a name to lose
    TempDir dir;
    writeFile(dir.file("out.txt"), "old");
    engine::FileError error;
    auto file = files::AtomicFile::create(dir.file("out.txt"), error);
    ASSERT_TRUE(file) << error.reason;
    ASSERT_TRUE(file->write("new", error));
    ASSERT_TRUE(file->finish(error));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().extension() == ".tmp")
            std::filesystem::remove(entry.path()); // taken away by someone else
    }
    EXPECT_FALSE(file->place(error));
    file.reset();
    files::testing::SimulateNoUnnamedFiles(false);
    EXPECT_EQ(readFile(dir.file("out.txt")), "old");
    EXPECT_EQ(dir.entryCount(), 1u);
}

// FAT and exFAT memory cards and SMB shares have neither hard links nor renameat2's
// RENAME_NOREPLACE: outputs are written there all the same, and a file that appears meanwhile is
// still never replaced without force.
class WithoutLinksOrRenameNoReplace : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "Windows renames without replacing in one call on every volume";
#endif
        files::testing::SimulateNoLinksNoRenameNoReplace(true);
    }
    void TearDown() override {
        files::testing::SimulateNoLinksNoRenameNoReplace(false);
    }

    TempDir dir;
};

TEST_F(WithoutLinksOrRenameNoReplace, NewFileIsPlaced) {
    engine::FileError error;
    auto file =
        files::AtomicFile::create(dir.file("out.txt"), error, files::AtomicFile::Existing::Keep);
    ASSERT_TRUE(file) << error.reason;
    ASSERT_TRUE(file->write("new", error));
    ASSERT_TRUE(file->place(error)) << error.reason;
    file->confirm();
    file.reset();
    EXPECT_EQ(readFile(dir.file("out.txt")), "new");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST_F(WithoutLinksOrRenameNoReplace, FileThatAppearedMeanwhileIsKept) {
    engine::FileError error;
    auto file =
        files::AtomicFile::create(dir.file("out.txt"), error, files::AtomicFile::Existing::Keep);
    ASSERT_TRUE(file) << error.reason;
    ASSERT_TRUE(file->write("new", error));
    ASSERT_TRUE(file->finish(error));
    writeFile(dir.file("out.txt"), "theirs");
    EXPECT_FALSE(file->place(error));
    EXPECT_EQ(error.cause, engine::FileError::Cause::AlreadyExists);
    file.reset();
    EXPECT_EQ(readFile(dir.file("out.txt")), "theirs");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST_F(WithoutLinksOrRenameNoReplace, ReplacedFileComesBackOnUndo) {
    writeFile(dir.file("out.txt"), "old");
    engine::FileError error;
    auto file = files::AtomicFile::create(dir.file("out.txt"), error);
    ASSERT_TRUE(file) << error.reason;
    ASSERT_TRUE(file->write("new", error));
    ASSERT_TRUE(file->place(error)) << error.reason;
    EXPECT_EQ(readFile(dir.file("out.txt")), "new");
    EXPECT_FALSE(file->undo().has_value());
    file.reset();
    EXPECT_EQ(readFile(dir.file("out.txt")), "old");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST_F(WithoutLinksOrRenameNoReplace, ReplacementStandsOnceConfirmed) {
    writeFile(dir.file("out.txt"), "old");
    engine::FileError error;
    auto file = files::AtomicFile::create(dir.file("out.txt"), error);
    ASSERT_TRUE(file) << error.reason;
    ASSERT_TRUE(file->write("new", error));
    ASSERT_TRUE(file->place(error)) << error.reason;
    file->confirm();
    file.reset();
    EXPECT_EQ(readFile(dir.file("out.txt")), "new");
    EXPECT_EQ(dir.entryCount(), 1u);
}

// No output of a run may be written over a file the run reads, whatever the path's spelling and
// whatever links lead there.
TEST(RunSourcesCases, AnOutputThatIsASourceIsFoundByIdentity) {
    TempDir dir;
    writeFile(dir.file("book.txt"), "book");
    writeFile(dir.file("other.txt"), "other");
    const files::RunSources sources({dir.file("book.txt")}, false);
    EXPECT_EQ(sources.sourceAt(dir.file("book.txt")), dir.file("book.txt"));
    EXPECT_TRUE(sources.sourceAt(dir.path().string() + "/./book.txt").has_value());
    EXPECT_FALSE(sources.sourceAt(dir.file("other.txt")).has_value());
    EXPECT_FALSE(sources.sourceAt(dir.file("new.txt")).has_value());
    std::error_code ec;
    std::filesystem::create_symlink(dir.file("book.txt"), dir.file("link.txt"), ec);
    if (!ec) {
        EXPECT_TRUE(sources.sourceAt(dir.file("link.txt")).has_value());
    }
    std::filesystem::create_hard_link(dir.file("book.txt"), dir.file("hard.txt"), ec);
    if (!ec) {
        EXPECT_TRUE(sources.sourceAt(dir.file("hard.txt")).has_value());
    }
    // The file system's outputs refuse it before anything is written.
    files::FileSystemOutputFiles outputs;
    outputs.setSources(sources);
    const auto refusal = outputs.approve({dir.file("new.txt"), dir.file("book.txt")});
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->cause, engine::FileError::Cause::SourceItself);
    EXPECT_FALSE(outputs.approve({dir.file("new.txt")}).has_value());
}
