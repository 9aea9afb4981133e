#include "engine/output_name.h"

#include <gtest/gtest.h>

#include <string>

using engine::CutToBytes;
using engine::ProposeOutputName;

namespace {

const std::string kEllipsis = "\x81\x63"; // …

std::string repeated(std::size_t n, char c) {
    return std::string(n, c);
}

std::string repeated(std::size_t n, const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

const std::string kYama = "\x8e\x52"; // 山
const std::string kEq = "\x81\x81";   // ＝, whose second byte lies in the lead-byte range

} // namespace

TEST(CutToBytes, CutsAtCharacterBoundaries) {
    EXPECT_EQ(CutToBytes("abcdef", 3), "abc");
    EXPECT_EQ(CutToBytes("abcdef", 0), "");
    EXPECT_EQ(CutToBytes("abc", 3), "abc");
    EXPECT_EQ(CutToBytes("abc", 10), "abc");
    EXPECT_EQ(CutToBytes("", 5), "");
    // Byte 3 is the lead byte of 山: cut before it.
    EXPECT_EQ(CutToBytes("ab" + kYama + "c", 3), "ab");
    EXPECT_EQ(CutToBytes("ab" + kYama + "c", 4), "ab" + kYama);
    // Byte 3 is the second byte 0x81 of ＝, found by walking from the start.
    EXPECT_EQ(CutToBytes("a" + kEq + "c", 3), "a" + kEq);
    EXPECT_EQ(CutToBytes(kEq + kEq, 1), "");
    // Half-width katakana are one-byte characters.
    EXPECT_EQ(CutToBytes("\xb1\xb2\xb3", 2), "\xb1\xb2");
    // Second bytes 0x5C (ソ) are not taken for characters of their own.
    EXPECT_EQ(CutToBytes("\x83\x5c\x83\x5c", 3), "\x83\x5c");
}

TEST(ProposeOutputName, WorkedExample) {
    const std::string title = "\x8e\x52\x82\xcc\x93\xb9";  // 山の道
    const std::string author = "\x92\x98\x8e\xd2\x96\xbc"; // 著者名
    EXPECT_EQ(ProposeOutputName(title, author), title + "[" + author + "]");
}

TEST(ProposeOutputName, EmptyParts) {
    EXPECT_EQ(ProposeOutputName("", ""), "[]");
    EXPECT_EQ(ProposeOutputName("T", ""), "T[]");
    EXPECT_EQ(ProposeOutputName("", "A"), "[A]");
    // An empty title leaves 32 bytes of a long author.
    EXPECT_EQ(ProposeOutputName("", repeated(40, 'a')), "[" + repeated(32, 'a') + kEllipsis + "]");
}

TEST(ProposeOutputName, Sum34KeepsBothWhole) {
    const std::string title = repeated(10, kYama); // 20 bytes
    const std::string author = repeated(14, 'a');
    const std::string name = ProposeOutputName(title, author);
    EXPECT_EQ(name, title + "[" + author + "]");
    EXPECT_EQ(name.size(), 36u);
}

TEST(ProposeOutputName, Title20Author15CutsTheTitle) {
    const std::string author = repeated(15, 'a');
    // Byte 17 a one-byte character: 17 bytes kept.
    EXPECT_EQ(ProposeOutputName(repeated(20, 't'), author),
              repeated(17, 't') + kEllipsis + "[" + author + "]");
    // Byte 17 the second byte of ＝ (0x81): 17 bytes kept.
    EXPECT_EQ(ProposeOutputName("t" + repeated(9, kEq) + "t", author),
              "t" + repeated(8, kEq) + kEllipsis + "[" + author + "]");
    // Byte 17 a lead byte: 16 bytes kept.
    EXPECT_EQ(ProposeOutputName(repeated(10, kYama), author),
              repeated(8, kYama) + kEllipsis + "[" + author + "]");
    EXPECT_EQ(ProposeOutputName(repeated(20, 't'), author).size(), 36u);
}

TEST(ProposeOutputName, Title18Author17CutsTheAuthor) {
    const std::string title = repeated(18, 't');
    EXPECT_EQ(ProposeOutputName(title, repeated(17, 'a')),
              title + "[" + repeated(14, 'a') + kEllipsis + "]");
    // Byte 14 a lead byte: 13 bytes kept.
    const std::string author = repeated(13, 'a') + kYama + "aa";
    EXPECT_EQ(ProposeOutputName(title, author), title + "[" + repeated(13, 'a') + kEllipsis + "]");
    EXPECT_EQ(ProposeOutputName(title, repeated(17, 'a')).size(), 36u);
}

TEST(ProposeOutputName, Title19Author17CutsBoth) {
    EXPECT_EQ(ProposeOutputName(repeated(19, 't'), repeated(17, 'a')),
              repeated(16, 't') + kEllipsis + "[" + repeated(14, 'a') + kEllipsis + "]");
    // Lead bytes at byte 16 of the title and byte 14 of the author: 15 and 13 bytes kept.
    const std::string title = repeated(15, 't') + kYama + "tt";
    const std::string author = repeated(13, 'a') + kYama + "aa";
    EXPECT_EQ(ProposeOutputName(title, author),
              repeated(15, 't') + kEllipsis + "[" + repeated(13, 'a') + kEllipsis + "]");
    // All double-byte: title 16 bytes (8 characters), author 14 (7 characters).
    EXPECT_EQ(ProposeOutputName(repeated(20, kYama), repeated(20, kEq)),
              repeated(8, kYama) + kEllipsis + "[" + repeated(7, kEq) + kEllipsis + "]");
}

TEST(ProposeOutputName, LongTitleShortAuthor) {
    EXPECT_EQ(ProposeOutputName(repeated(100, 't'), "A"), repeated(31, 't') + kEllipsis + "[A]");
    EXPECT_EQ(ProposeOutputName(repeated(100, 't'), repeated(16, 'a')),
              repeated(16, 't') + kEllipsis + "[" + repeated(16, 'a') + "]");
}

TEST(ProposeOutputName, StrayLeadByteAtTheEndOfAPartIsLeftOut) {
    // It would take the bracket after it for its second byte.
    EXPECT_EQ(ProposeOutputName("T\x81", "A\x9f"), "T[A]");
    EXPECT_EQ(ProposeOutputName(kYama + "\x81", ""), kYama + "[]");
    // A complete character ending in a lead-range byte stays.
    EXPECT_EQ(ProposeOutputName(kEq, ""), kEq + "[]");
}

TEST(ProposeOutputName, ControlBytesAreLeftOut) {
    // A NUL would end the name early; TAB, ESC and DEL have no place in it either. A character
    // whose second byte is a control byte goes whole.
    EXPECT_EQ(ProposeOutputName(std::string("ab\0cd", 5), "au"), "abcd[au]");
    EXPECT_EQ(ProposeOutputName("x\x01y\tz", "a\x1b\x7fu"), "xyz[au]");
    EXPECT_EQ(ProposeOutputName(kYama + "\x81\x0a" + kYama, "\x1f"), kYama + kYama + "[]");
    // The cut counts what is left.
    EXPECT_EQ(ProposeOutputName(std::string(10, '\t') + repeated(34, 't'), ""),
              repeated(34, 't') + "[]");
}

// A source of another encoding: each 〓 of the name stands for the character of the head it
// replaced, however the name cuts title and author, and a 〓 cut off takes its character along.
TEST(LostInOutputName, FollowsTheCutsOfTheName) {
    const std::string geta = "\x81\xAC";
    const std::vector<std::string> head = {"t1", "t2", "t3", "a1", "a2"};
    for (std::size_t titleChars : {1u, 8u, 17u}) {
        for (std::size_t authorChars : {1u, 7u, 16u}) {
            // Title: 〓 山.. 〓 〓 at its end; author: 〓 山.. 〓.
            const std::string title = geta + repeated(titleChars, kYama) + geta + geta;
            const std::string author = geta + repeated(authorChars, kYama) + geta;
            const engine::LostCharacters lost = engine::SplitLostCharacters(title, author, head);
            ASSERT_EQ(lost.title, (std::vector<std::string>{"t1", "t2", "t3"}));
            ASSERT_EQ(lost.author, (std::vector<std::string>{"a1", "a2"}));

            const std::string name = ProposeOutputName(title, author);
            const std::vector<std::string> inName = engine::LostInOutputName(title, author, lost);
            // The name's 〓s, in order, are the title's first ones, then the author's first ones.
            std::vector<std::string> expected;
            std::size_t titleGetas = 0;
            const std::size_t bracket = name.rfind('[');
            for (std::size_t i = 0; i < bracket;
                 i += (static_cast<unsigned char>(name[i]) >= 0x80 ? 2 : 1))
                titleGetas += name.compare(i, 2, geta) == 0;
            for (std::size_t i = 0; i < titleGetas; ++i)
                expected.push_back(lost.title[i]);
            std::size_t authorGetas = 0;
            for (std::size_t i = bracket + 1; i < name.size();
                 i += (static_cast<unsigned char>(name[i]) >= 0x80 ? 2 : 1))
                authorGetas += name.compare(i, 2, geta) == 0;
            for (std::size_t i = 0; i < authorGetas; ++i)
                expected.push_back(lost.author[i]);
            EXPECT_EQ(inName, expected) << titleChars << " " << authorChars;
        }
    }
    // Fewer characters known than 〓s: the known ones, in order.
    const std::vector<std::string> one = {"x"};
    const engine::LostCharacters few = engine::SplitLostCharacters(geta + geta, geta, one);
    EXPECT_EQ(engine::LostInOutputName(geta + geta, geta, few), std::vector<std::string>{"x"});
}

TEST(SplitBySize, NumberedOnlyWhenTheTextIsLongerThanAFullFilesRows) {
    // 3 pages of 23 rows take 3 * 23 * 42 = 2898 bytes on disk.
    EXPECT_FALSE(engine::SplitBySize(3, 23, 2897));
    EXPECT_FALSE(engine::SplitBySize(3, 23, 2898));
    EXPECT_TRUE(engine::SplitBySize(3, 23, 2899));
    // The largest split of the largest text does not overflow.
    EXPECT_FALSE(engine::SplitBySize(5000, 23, 5000LL * 23 * 42));
}
