// Sources read once, whole, as their bytes.
#include "files/file_bytes.h"
#include "files/source_files.h"
#include "files/system_fault.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// A file's bytes as the run reads them, through the file system.
std::string readThrough(const std::string& bytes) {
    TempDir dir;
    const std::string path = dir.file("src.txt");
    writeFile(path, bytes);
    engine::NoEventPump pump;
    const engine::SourceBytes source = files::FileSystemSources().read(path, pump);
    return source.ok ? source.bytes : "<unreadable: " + source.error.reason + ">";
}

} // namespace

TEST(SourceReadingCases, MissingFileAndFolderGiveTheSystemsReason) {
    TempDir dir;
    engine::NoEventPump pump;
    files::FileSystemSources sources;
    const engine::SourceBytes gone = sources.read(dir.file("gone.txt"), pump);
    EXPECT_EQ(gone.error.reason, "No such file or directory");
    EXPECT_EQ(gone.error.code, files::kNotFoundCode);
    const engine::SourceBytes folder = sources.read(dir.path().string(), pump);
    EXPECT_FALSE(folder.ok);
    EXPECT_EQ(folder.error.reason, "Is a directory");
    EXPECT_EQ(folder.error.code, files::kIsAFolderCode);
}

// Paths are UTF-8 on every system; on Windows they reach the system as UTF-16.
TEST(SourceReadingCases, BytesAsTheyStand) {
    // Every byte, CRs and 0x1A among them: the text-stream rule is the input stage's.
    const std::string bytes = "a\rb\r\nc\x82\r\x1a"
                              "after";
    EXPECT_EQ(hex(readThrough(bytes)), hex(bytes));
    EXPECT_EQ(readThrough(""), "");
}

TEST(SourceReadingCases, JapaneseFileNameIsRead) {
    TempDir dir;
    writeFile(dir.file("吾輩は猫である.txt"), "neko");
    EXPECT_EQ(files::ReadWholeFile(dir.file("吾輩は猫である.txt")).bytes, "neko");
}

TEST(FileStart, TheFirstBytesOnly) {
    TempDir dir;
    writeFile(dir.file("a.txt"), "ab\r\ncd" + std::string(100000, 'x'));
    EXPECT_EQ(files::ReadFileStart(dir.file("a.txt"), 5).bytes, "ab\r\nc");
    EXPECT_EQ(files::ReadFileStart(dir.file("a.txt"), 200000).bytes.size(), 100006u);
    EXPECT_EQ(files::ReadFileStart(dir.file("gone.txt"), 5).outcome,
              files::FileBytes::Outcome::Missing);
    EXPECT_EQ(files::ReadFileStart(dir.path().string(), 5).reason, "Is a directory");
}
