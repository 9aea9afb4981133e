#include "engine/header_block.h"
#include "engine/header_recognition.h"
#include "engine/text_stream.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

using engine::BuildHeaderBlock;
using engine::SpliceHeaderBlock;

namespace {

const std::string kYama = "\x8e\x52\x82\xcc\x93\xb9";   // 山の道
const std::string kChosha = "\x92\x98\x8e\xd2\x96\xbc"; // 著者名
const std::string kSpace = "\x81\x40";                  // 　

std::string spaces(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += kSpace;
    return s;
}

std::string block(const std::string& title, const std::string& author, int closingFeeds) {
    return "\n\n\n\n" + spaces(2) + title + "\n\n" + spaces(7) + author +
           std::string(closingFeeds, '\n');
}

} // namespace

TEST(HeaderBlock, WorkedExampleBytes) {
    EXPECT_EQ(BuildHeaderBlock(kYama, kChosha, 23),
              "\n\n\n\n\x81\x40\x81\x40\x8e\x52\x82\xcc\x93\xb9\n\n"
              "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
              "\x92\x98\x8e\xd2\x96\xbc\n\n\n\n\n\n\n\n");
}

TEST(HeaderBlock, ClosingLineFeedsShrinkWithLongTitles) {
    const std::string a = "A";
    EXPECT_EQ(BuildHeaderBlock(std::string(40, 't'), a, 23), block(std::string(40, 't'), a, 8));
    EXPECT_EQ(BuildHeaderBlock(std::string(45, 't'), a, 23), block(std::string(45, 't'), a, 8));
    EXPECT_EQ(BuildHeaderBlock(std::string(46, 't'), a, 23), block(std::string(46, 't'), a, 7));
    EXPECT_EQ(BuildHeaderBlock(std::string(100, 't'), a, 23), block(std::string(100, 't'), a, 6));
    EXPECT_EQ(BuildHeaderBlock(std::string(159, 't'), a, 10), block(std::string(159, 't'), a, 1));
    EXPECT_EQ(BuildHeaderBlock(std::string(160, 't'), a, 10), block(std::string(160, 't'), a, 0));
    EXPECT_EQ(BuildHeaderBlock(std::string(298, 't'), a, 7), block(std::string(298, 't'), a, 0));
}

TEST(HeaderBlock, EmptyPartsAreAbsent) {
    EXPECT_EQ(BuildHeaderBlock("", "", 23),
              "\n\n\n\n" + spaces(2) + "\n\n" + spaces(7) + "\n\n\n\n\n\n\n\n");
    EXPECT_EQ(BuildHeaderBlock("T", "", 11), block("T", "", 8));
    EXPECT_EQ(BuildHeaderBlock("", "A", 11), block("", "A", 8));
}

TEST(HeaderBlock, RowCountBelowOneDoesNotDivideByZero) {
    EXPECT_EQ(BuildHeaderBlock(std::string(10, 't'), "A", 0), block(std::string(10, 't'), "A", 3));
    EXPECT_EQ(BuildHeaderBlock(std::string(10, 't'), "A", -4), block(std::string(10, 't'), "A", 3));
}

TEST(SpliceHeaderBlock, ReplacesTheTwoHeadLines) {
    const std::string body = "\n\x81\x40\x96\x7b\x95\xb6\n\xff"; // LF　本文 LF, end byte
    std::string text = kYama + "\n" + kChosha + "\n" + body;
    SpliceHeaderBlock(text, 14, "<block>");
    EXPECT_EQ(text, "<block>" + body);
}

TEST(SpliceHeaderBlock, HeadLengthZeroRemovesNothing) {
    std::string text = kYama + "\nbody\xff";
    SpliceHeaderBlock(text, 0, "<block>");
    EXPECT_EQ(text, "<block>" + kYama + "\nbody\xff");
}

TEST(SpliceHeaderBlock, NeverRemovesMoreThanTheText) {
    std::string text = "T\nA";
    SpliceHeaderBlock(text, 14, "<block>");
    EXPECT_EQ(text, "<block>");

    text = "";
    SpliceHeaderBlock(text, 1, "<block>");
    EXPECT_EQ(text, "<block>");

    text = "T\nA\n";
    SpliceHeaderBlock(text, -3, "<block>");
    EXPECT_EQ(text, "<block>T\nA\n");
}

TEST(SpliceHeaderBlock, RecognisedHeadOfAFileAsRead) {
    // From the file as stored to the text the line-break step receives.
    std::string file = "A/B: Z\r\nX|Y\r\n\r\n\x81\x40\x96\x7b\x95\xb6\r\n";
    engine::MakeTextAsRead(file);
    engine::HeaderInfo info;
    const std::int32_t headLength = engine::RecognizeHeader(file, info);
    std::string text = "A/B: Z\nX|Y\n\n\x81\x40\x96\x7b\x95\xb6\n\xff"; // as the run reads it
    SpliceHeaderBlock(text, headLength, BuildHeaderBlock(info.title, info.author, 23));
    EXPECT_EQ(text, "\n\n\n\n" + spaces(2) +
                        "A\x81\x5e"
                        "B\x81\x46 Z\n\n" +
                        spaces(7) + "X\x81\x62Y" + std::string(8, '\n') +
                        "\n\x81\x40\x96\x7b\x95\xb6\n\xff");
}
