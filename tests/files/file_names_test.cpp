#include "files/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// 0x5C as the second byte of ソ (83 5C) must not be taken for a backslash.
TEST(FileNameFromShiftJis, SecondByteBackslashStaysInItsCharacter) {
    EXPECT_EQ(files::FileNameFromShiftJis("\x83\x5C\xED\x70"), "ソ\xE5\x8E\x93"); // ソ厓
    // A backslash of its own is a folder separator where the system takes it for one.
    const std::string backslash = std::filesystem::path::preferred_separator == '\\' ? "／" : "\\";
    EXPECT_EQ(files::FileNameFromShiftJis("a\\\x83\x5C.txt"), "a" + backslash + "ソ.txt");
}

TEST(FileNameFromShiftJis, AsciiAndHalfWidthKana) {
    EXPECT_EQ(files::FileNameFromShiftJis("Read Me.txt"), "Read Me.txt");
    EXPECT_EQ(files::FileNameFromShiftJis("\xB1\xDE"), "ｱﾞ");
    EXPECT_EQ(files::FileNameFromShiftJis(""), "");
}

// An undecodable byte becomes one U+FFFD, and the character after it survives whole.
TEST(FileNameFromShiftJis, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(files::FileNameFromShiftJis("\x80"
                                          "A"),
              "\xEF\xBF\xBD"
              "A");
    EXPECT_EQ(files::FileNameFromShiftJis("x\x83"), "x\xEF\xBF\xBD");
    // A lead byte followed by a byte that cannot be a second byte: the second byte is kept as a
    // character of its own (a line feed has no place in a name, though).
    EXPECT_EQ(files::Utf8FromShiftJis("\x83\x0A"
                                      "B"),
              "\xEF\xBF\xBD\nB");
    EXPECT_EQ(files::FileNameFromShiftJis("\x83\x0A"
                                          "B"),
              "\xEF\xBF\xBD"
              "B");
    EXPECT_EQ(files::FileNameFromShiftJis("\x80\x83\x5C"), "\xEF\xBF\xBDソ");
}

TEST(Utf8FromShiftJis, SameDecodingAsFileNames) {
    EXPECT_EQ(files::Utf8FromShiftJis("\x83\x5C\xED\x70"), "ソ\xE5\x8E\x93");
    EXPECT_EQ(files::Utf8FromShiftJis("\x82\xA0\x80"), "あ\xEF\xBF\xBD");
}

} // namespace

// A lead byte before a byte that cannot be its second lets that byte through alone: a "/" must
// not become a folder separator, nor a control byte part of the name. (Found by fuzzing.)
TEST(FileNameFromShiftJis, SeparatorsAndControlBytesAfterAStrayLeadByte) {
    EXPECT_EQ(files::FileNameFromShiftJis("a\x81/b"), "a\xEF\xBF\xBD／b");
    EXPECT_EQ(files::FileNameFromShiftJis("a\x81\x01"
                                          "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(files::Utf8FromShiftJis("a\x81/b"), "a\xEF\xBF\xBD/b");
}
