// Sources read once, whole, as text streams: every CR dropped, the first 0x1A ends the text.
#include "files/file_bytes.h"
#include "files/source_files.h"
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
    const engine::SourceText source =
        files::FileSystemSources().read(path, settings::Settings{}, pump);
    return source.ok ? source.text : "<unreadable: " + source.error.reason + ">";
}

} // namespace

TEST(SourceReadingCases, CrDroppedEverywhereEvenInsideACharacter) {
    EXPECT_EQ(hex(readThrough("a\rb\r\r\nc\x82\r\xa0\r")), hex("ab\nc\x82\xa0"));
}

TEST(SourceReadingCases, FirstEndOfFileMarkEndsTheTextEvenAsASecondByte) {
    // The text stream knows nothing of double-byte characters: 0x82 0x1A ends the text after 0x82.
    EXPECT_EQ(hex(readThrough("x\x82\x1a"
                              "after\x1a")),
              hex("x\x82"));
}

TEST(SourceReadingCases, MarksAtTheReadBlockBoundary) {
    const std::size_t block = engine::kEventPumpBlock;
    // A CR LF pair split by the block boundary.
    std::string bytes(block - 1, 'a');
    bytes += "\r\nb";
    EXPECT_EQ(readThrough(bytes), std::string(block - 1, 'a') + "\nb");
    // 0x1A as the first byte of the second block.
    bytes = std::string(block, 'a') + "\x1a" + "rest";
    EXPECT_EQ(readThrough(bytes), std::string(block, 'a'));
    // A file of exactly one block.
    bytes = std::string(block, 'z');
    EXPECT_EQ(readThrough(bytes), bytes);
}

TEST(SourceReadingCases, EmptyFileIsAnEmptyText) {
    EXPECT_EQ(readThrough(""), "");
    EXPECT_EQ(readThrough("\r\r\x1a"
                          "abc"),
              "");
}

TEST(SourceReadingCases, MissingFileAndFolderGiveTheSystemsReason) {
    TempDir dir;
    engine::NoEventPump pump;
    files::FileSystemSources sources;
    EXPECT_EQ(sources.read(dir.file("gone.txt"), settings::Settings{}, pump).error.reason,
              "No such file or directory");
    const engine::SourceText folder = sources.read(dir.path().string(), settings::Settings{}, pump);
    EXPECT_FALSE(folder.ok);
    EXPECT_EQ(folder.error.reason, "Is a directory");
}

// Paths are UTF-8 on every system; on Windows they reach the system as UTF-16.
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
