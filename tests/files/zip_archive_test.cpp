// The zip reader on what the end-to-end cases do not reach: names byte by byte, the limit at its
// edge, every way a record can lie, every cut of a zip, and zips as sources of a run.
#include "engine/output_name.h"
#include "files/file_identity.h"
#include "files/source_files.h"
#include "files/zip_archive.h"
#include "support/temp_dir.h"
#include "support/zip_builder.h"

#include <gtest/gtest.h>

using namespace testing_support;
using engine::ArchiveFault;

namespace {

const std::string kText =
    "\x8C\xE1\x94\x79\x82\xCD\x94\x4C\x82\xC5\x82\xA0\x82\xE9\r\n"; // 吾輩は猫である

files::ZipMemberBytes inflateOnly(const std::string& zip, std::size_t maxBytes) {
    const files::ZipListing listing = files::ListZipMembers(zip);
    if (listing.fault != ArchiveFault::None || listing.members.size() != 1)
        return {listing.fault == ArchiveFault::None ? ArchiveFault::Damaged : listing.fault, {}};
    return files::InflateZipMember(zip, listing.members.front(), maxBytes);
}

ArchiveFault faultOf(const std::string& zip) {
    return inflateOnly(zip, engine::kMaxMemberBytes).fault;
}

} // namespace

// 表 is 95 5C: its second byte is the backslash, which must not split the name. Names marked
// UTF-8 are taken as such, ill-formed bytes as U+FFFD; control bytes are left out.
TEST(ZipMemberNames, CodePage932OrUtf8ByTheFlag) {
    const std::string zip = MakeZip({
        {"\x95\x5C\x8E\x86/\x96\x7B\x95\xB6.txt", kText}, // 表紙/本文.txt
        {"\xE7\x8C\xAB.txt", kText, false, 0x800},        // 猫.txt, marked UTF-8
        {"a\xE7\x8C.txt", kText, false, 0x800},           // cut short
        {std::string("b\x01\x1F\x7F\0c.txt", 10), kText}, // control bytes and a NUL
    });
    const files::ZipListing listing = files::ListZipMembers(zip);
    ASSERT_EQ(listing.fault, ArchiveFault::None);
    ASSERT_EQ(listing.members.size(), 4u);
    EXPECT_EQ(listing.members[0].name, "表紙/本文.txt");
    EXPECT_EQ(listing.members[1].name, "猫.txt");
    EXPECT_EQ(listing.members[2].name, "a\xEF\xBF\xBD.txt");
    EXPECT_EQ(listing.members[3].name, "bc.txt");
    for (const files::ZipMember& member : listing.members)
        EXPECT_EQ(files::InflateZipMember(zip, member).bytes, kText) << member.name;
}

TEST(ZipMemberNames, TextsAreDotTxtInAnyCaseOutsideMacOsResourceForks) {
    const auto isText = [](const std::string& name) {
        files::ZipMember member;
        member.name = name;
        return files::IsTextMember(member);
    };
    EXPECT_TRUE(isText("a.txt"));
    EXPECT_TRUE(isText("dir/sub/A.TxT"));
    EXPECT_TRUE(isText(".txt"));
    EXPECT_FALSE(isText("txt"));
    EXPECT_FALSE(isText("a.txt/"));
    EXPECT_FALSE(isText("a.png"));
    EXPECT_FALSE(isText("a.txt.png"));
    EXPECT_FALSE(isText("__MACOSX/dir/._a.txt"));
}

// The output is proposed under the member's own name, whatever folders it sits in.
TEST(ZipMemberNames, OutputNameIsTheMembersOwn) {
    EXPECT_EQ(engine::FileNameOf(engine::MemberSourcePath("/d/book.zip", "dir/本文.txt")),
              "本文.txt");
    EXPECT_EQ(engine::FileNameOf(engine::MemberSourcePath("/d/book.zip", "a.txt")), "a.txt");
    EXPECT_EQ(engine::FileNameOf(engine::MemberSourcePath("/d/book.zip", "dir\\b.txt")), "b.txt");
}

// Exactly the limit inflates; a member recorded one byte larger is refused unread. One that hides
// its size is damaged, found so at the first byte past the size it gives: a zip bomb costs no
// more than that size.
TEST(ZipMemberLimit, RefusedOneBytePastTheLimitOrPastItsRecordedSize) {
    const std::string at(4096, 'a');
    const std::string past(4097, 'a');
    EXPECT_EQ(inflateOnly(MakeZip({{"a.txt", at}}), 4096).bytes, at);
    EXPECT_EQ(inflateOnly(MakeZip({{"a.txt", at, true}}), 4096).bytes, at);
    EXPECT_EQ(inflateOnly(MakeZip({{"a.txt", past}}), 4096).fault, ArchiveFault::MemberTooLarge);
    EXPECT_EQ(inflateOnly(MakeZip({{"a.txt", past, true}}), 4096).fault,
              ArchiveFault::MemberTooLarge);
    ZipEntry hidden{"a.txt", std::string(1 << 20, '\0')};
    hidden.recordedSize = 10;
    const files::ZipMemberBytes lied = inflateOnly(MakeZip({hidden}), 4096);
    EXPECT_EQ(lied.fault, ArchiveFault::CorruptData);
    EXPECT_LE(lied.bytes.capacity(), 64u);
}

TEST(ZipMemberLimit, StartOfAMemberForThePreview) {
    const std::string text(100000, 'x');
    const std::string zip = MakeZip({{"a.txt", text}});
    const files::ZipListing listing = files::ListZipMembers(zip);
    ASSERT_EQ(listing.members.size(), 1u);
    const files::ZipMemberBytes start = files::InflateZipMemberStart(zip, listing.members[0], 7);
    EXPECT_EQ(start.fault, ArchiveFault::None);
    EXPECT_EQ(start.bytes, "xxxxxxx");
}

TEST(BrokenZips, EachLieIsFoundAndNamed) {
    ZipEntry crc{"a.txt", kText};
    crc.recordedCrc32 = 1;
    EXPECT_EQ(faultOf(MakeZip({crc})), ArchiveFault::ChecksumMismatch);
    ZipEntry shorter{"a.txt", kText};
    shorter.recordedSize = static_cast<std::uint32_t>(kText.size() - 1);
    EXPECT_EQ(faultOf(MakeZip({shorter})), ArchiveFault::CorruptData);
    ZipEntry longer{"a.txt", kText};
    longer.recordedSize = static_cast<std::uint32_t>(kText.size() + 1);
    EXPECT_EQ(faultOf(MakeZip({longer})), ArchiveFault::CorruptData);
    ZipEntry storedShorter = shorter;
    storedShorter.stored = true;
    EXPECT_EQ(faultOf(MakeZip({storedShorter})), ArchiveFault::Damaged);
    EXPECT_EQ(faultOf(MakeZip({{"a.txt", kText, false, 0x0001}})), ArchiveFault::Encrypted);
    ZipEntry lzma{"a.txt", kText};
    lzma.method = 14;
    EXPECT_EQ(faultOf(MakeZip({lzma})), ArchiveFault::UnsupportedMethod);

    // Deflated data with a byte changed in the middle of the stream.
    std::string corrupt = MakeZip({{"a.txt", std::string(1000, 'q') + kText}});
    corrupt[30 + 5 + 2] = static_cast<char>(corrupt[30 + 5 + 2] ^ 0xFF);
    EXPECT_NE(faultOf(corrupt), ArchiveFault::None);

    std::string zip = MakeZip({{"a.txt", kText}});
    const std::size_t end = zip.size() - 22;
    std::string zip64 = zip;
    zip64.replace(end + 16, 4, "\xFF\xFF\xFF\xFF");
    EXPECT_EQ(faultOf(zip64), ArchiveFault::Zip64);
    std::string multipart = zip;
    multipart[end + 4] = 1;
    EXPECT_EQ(faultOf(multipart), ArchiveFault::Multipart);
    std::string tooMany = zip;
    tooMany[end + 8] = tooMany[end + 10] = 2;
    EXPECT_EQ(faultOf(tooMany), ArchiveFault::Damaged);
    std::string farDirectory = zip;
    farDirectory[end + 16] = static_cast<char>(farDirectory[end + 16] + 1);
    EXPECT_EQ(faultOf(farDirectory), ArchiveFault::Damaged);
    std::string badLocal = zip;
    badLocal[0] = 'X';
    EXPECT_EQ(faultOf(badLocal), ArchiveFault::Damaged);
    EXPECT_EQ(faultOf("plain text, not a zip"), ArchiveFault::NotAnArchive);
}

// A comment may hold the end record's signature: the end record is the one whose comment reaches
// exactly or within the end.
TEST(BrokenZips, CommentHoldingTheSignature) {
    const std::string zip = MakeZip({{"a.txt", kText}}, std::string("PK\x05\x06", 4) + "xyz");
    EXPECT_EQ(inflateOnly(zip, engine::kMaxMemberBytes).bytes, kText);
}

// A zip cut anywhere is refused, never read as fewer or other bytes.
TEST(BrokenZips, EveryCutIsRefused) {
    const std::string zip = MakeZip({{"a.txt", std::string(300, 'z') + kText}, {"b.png", "PNG"}});
    for (std::size_t size = 0; size < zip.size(); ++size) {
        const std::string cut = zip.substr(0, size);
        const files::ZipListing listing = files::ListZipMembers(cut);
        EXPECT_NE(listing.fault, ArchiveFault::None) << size;
        EXPECT_TRUE(listing.members.empty()) << size;
    }
}

TEST(ZipSources, TextsListedOnceEachAndReadByName) {
    TempDir dir;
    const std::string path = dir.file("book.ZIP");
    writeFile(
        path,
        MakeZip(
            {{"a.txt", kText}, {"fig.png", "PNG"}, {"b/c.TXT", "c"}, {"a.txt", "appended later"}}));
    ASSERT_TRUE(files::IsZipPath(path));
    engine::NoEventPump pump;
    const files::ZipTexts texts = files::ListZipTexts(path, pump);
    ASSERT_TRUE(texts.ok);
    EXPECT_EQ(texts.members, (std::vector<std::string>{"a.txt", "b/c.TXT"}));
    files::FileSystemSources sources;
    EXPECT_EQ(sources.read(engine::MemberSourcePath(path, "a.txt"), pump).bytes, kText);
    EXPECT_EQ(sources.read(engine::MemberSourcePath(path, "b/c.TXT"), pump).bytes, "c");
    const engine::SourceBytes gone = sources.read(engine::MemberSourcePath(path, "x.txt"), pump);
    EXPECT_FALSE(gone.ok);
    EXPECT_EQ(gone.error.archiveFault, ArchiveFault::MemberMissing);

    const std::string images = dir.file("images.zip");
    writeFile(images, MakeZip({{"fig.png", "PNG"}}));
    EXPECT_EQ(files::ListZipTexts(images, pump).error.archiveFault, ArchiveFault::NoTextMember);
}

// The zip is the file a member is read from, so it is the one no output may replace.
TEST(ZipSources, TheZipIsTheSourceNoOutputReplaces) {
    TempDir dir;
    const std::string path = dir.file("book.zip");
    writeFile(path, MakeZip({{"a.txt", kText}}));
    const files::RunSources sources({engine::MemberSourcePath(path, "a.txt")}, false);
    EXPECT_EQ(sources.sourceAt(path), path);
    EXPECT_EQ(sources.sourceAt(dir.file("a.txt")), std::nullopt);
}
