#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <climits>

using namespace settings;

TEST(ProfileInt, ValueTextTable) {
    const struct {
        std::string_view value;
        int expected;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {"abc", 0},
        {"12abc", 12},
        {" 3 ", 3},
        {"\t7\t", 7},
        {"+2", 2},
        {"-0", 0},
        {"-3", -3},
        {"+", 0},
        {"-", 0},
        {"- 3", 0},
        {"0x10", 0},
        {"3.9", 3},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"4294967297", 1}, // wraps at 32 bits
        {"\x82\x50", 0},   // full-width digit one is not a digit
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfileIntFromValue(c.value), c.expected) << '"' << c.value << '"';
}

TEST(ProfileRead, LookupRules) {
    const IniDocument document(std::string_view("top=1\r\n"
                                                "[Other]\r\n"
                                                "gyokan=9\r\n"
                                                "  [ SeTTing ]  \r\n"
                                                "; gyokan=8\r\n"
                                                "noequals\r\n"
                                                "  GyoKan  =  3  \r\n"
                                                "gyokan=4\r\n"
                                                "empty=\r\n"
                                                "[setting]\r\n"
                                                "later=5\r\n"));
    EXPECT_EQ(document.value("setting", "gyokan"), "3"); // first key, names in any case
    EXPECT_EQ(document.value("SETTING", "GYOKAN"), "3");
    EXPECT_EQ(document.value("other", "gyokan"), "9");
    EXPECT_EQ(document.value("setting", "empty"), "");
    EXPECT_EQ(document.value("setting", "later"), "5"); // a repeated section is searched too
    EXPECT_FALSE(document.value("setting", "top"));     // keys before any section belong to none
    EXPECT_FALSE(document.value("setting", "noequals"));
    EXPECT_FALSE(document.value("setting", "missing"));
    EXPECT_FALSE(document.value("missing", "gyokan"));
}

TEST(ProfileRead, LfOnlyAndCrLfFilesReadAlike) {
    for (const std::string_view bytes :
         {std::string_view("[setting]\r\ngyokan=2\r\nsavepath=/home/a\r\n"),
          std::string_view("[setting]\ngyokan=2\nsavepath=/home/a")}) {
        const IniDocument document(bytes);
        EXPECT_EQ(document.value("setting", "gyokan"), "2");
        EXPECT_EQ(document.value("setting", "savepath"), "/home/a");
    }
}

TEST(ProfileWrite, CreatesTheSection) {
    IniDocument document;
    ASSERT_TRUE(document.setValue("setting", "gyokan", "0").ok);
    ASSERT_TRUE(document.setValue("setting", "charsize", "1").ok);
    EXPECT_EQ(document.toBytes(), "[setting]\r\ngyokan=0\r\ncharsize=1\r\n");
}

TEST(ProfileWrite, ReplacesInPlaceAndKeepsEverythingElse) {
    IniDocument document(std::string_view("; hand-written\n"
                                          "[first]\n"
                                          "a = 1\n"
                                          "\n"
                                          "[Setting]\n"
                                          "  GYOKAN = 3 \n"
                                          "mine=keep me\n"
                                          "\n"
                                          "[last]\n"
                                          "z=26\n"));
    ASSERT_TRUE(document.setValue("setting", "gyokan", "1").ok);
    ASSERT_TRUE(document.setValue("setting", "savepath", "/tmp").ok);
    ASSERT_TRUE(document.setValue("extra", "k", "v").ok);
    EXPECT_EQ(document.toBytes(), "; hand-written\r\n"
                                  "[first]\r\n"
                                  "a = 1\r\n"
                                  "\r\n"
                                  "[Setting]\r\n"
                                  "GYOKAN=1\r\n"
                                  "mine=keep me\r\n"
                                  "savepath=/tmp\r\n"
                                  "\r\n"
                                  "[last]\r\n"
                                  "z=26\r\n"
                                  "[extra]\r\n"
                                  "k=v\r\n");
}

TEST(ProfileWrite, ValueBytesKeptAsBytes) {
    IniDocument document;
    // 表 is 95 5C in Shift_JIS: its second byte is the backslash. Then UTF-8 日本 and a raw 0xFF.
    const std::string value = "C:\\\x95\x5C\\\xE6\x97\xA5\xE6\x9C\xAC\xFF";
    ASSERT_TRUE(document.setValue("setting", "savepath", value).ok);
    EXPECT_EQ(document.toBytes(), "[setting]\r\nsavepath=" + value + "\r\n");
    EXPECT_EQ(IniDocument(document.toBytes()).value("setting", "savepath"), value);
}

TEST(ProfileWrite, RefusesWhatOneLineCannotHold) {
    IniDocument document(std::string_view("[setting]\r\ngyokan=1\r\n"));
    const struct {
        std::string_view section, key, value;
    } cases[] = {
        {"setting", "savepath", "/a\nb=1"},
        {"setting", "savepath", "/a\rb"},
        {"setting", "a=b", "1"},
        {"setting", "", "1"},
        {"setting", "[x]", "1"},
        {"se]t", "k", "1"},
        {"", "k", "1"},
    };
    for (const auto& c : cases) {
        const WriteStatus status = document.setValue(c.section, c.key, c.value);
        EXPECT_FALSE(status.ok) << c.key;
        EXPECT_FALSE(status.reason.empty());
    }
    EXPECT_EQ(document.toBytes(), "[setting]\r\ngyokan=1\r\n");
}
