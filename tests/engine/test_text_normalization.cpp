#include "engine/text_normalization.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <vector>

using namespace engine;
using testing_support::hex;
using testing_support::repeat;
using testing_support::sj;

namespace {

const std::string kSp = "\x81\x40"; // 　

// rowCount 7: line spacing 6 dots with double-height characters.
PageGeometry n7() { return MakePageGeometry(3, 1, 2); }

// Lines joined with CR LF, as the run hands them over, and the end byte.
std::string lines(const std::vector<std::string>& utf8Lines) {
    std::string text;
    for (std::size_t i = 0; i < utf8Lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += sj(utf8Lines[i]);
    }
    return text + "\xFF";
}

// Columns written with □ for the full-width space, joined, with the end byte.
std::string columns(const std::vector<std::string>& utf8Columns) {
    std::string text;
    for (const std::string& c : utf8Columns)
        text += sj(c);
    return text + "\xFF";
}

std::string verse(std::string text, const PageGeometry& g = n7()) {
    NoEventPump pump;
    NormalizeVerse(g, text, pump);
    return text;
}

std::string prose(std::string text, const PageGeometry& g = n7()) {
    NoEventPump pump;
    NormalizeProse(g, text, pump);
    return text;
}

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

const std::vector<std::string> kWorkedLines = {"　雨が降る。私は", "外へ出た。", "「寒いね」", "と言った。",
                                               "　　夜。",         "",           "　朝。まだ",   "　晴れ。"};

} // namespace

TEST(NormalizationWorkedExample, Prose) {
    EXPECT_EQ(hex(prose(lines(kWorkedLines))),
              hex(columns({"　雨が降る。私", "は外へ出た。　", "「寒いね」　　", "と言った。　　",
                           "夜。　　　　　", "　　　　　　　", "　朝。まだ　　", "　晴れ。"})));
}

TEST(NormalizationWorkedExample, Verse) {
    EXPECT_EQ(hex(verse(lines(kWorkedLines))),
              hex(columns({"　雨が降る。私", "は　　　　　　", "外へ出た。　　", "「寒いね」　　",
                           "と言った。　　", "　　夜。　　　", "　　　　　　　", "　朝。まだ　　",
                           "　晴れ。"})));
}

TEST(NormalizationWorkedExample, WhiteCloudsInBothModes) {
    const std::string input = lines({"白い雲", "青い空のずっと上", "", "風"});
    EXPECT_EQ(verse(input), columns({"白い雲　　　　", "青い空のずっと", "上　　　　　　", "　　　　　　　", "風"}));
    EXPECT_EQ(prose(input), columns({"白い雲青い空の", "ずっと上　　　", "　　　　　　　", "風"}));
}

TEST(NormalizationWorkedExample, ByteLevelTable) {
    const std::string a = "\x82\xA0", i = "\x82\xA2";
    EXPECT_EQ(verse(a + "\r\n" + i + "\xFF"), a + repeat(kSp, 6) + i + "\xFF");
    EXPECT_EQ(prose(a + "\r\n" + i + "\xFF"), a + i + "\xFF");
    EXPECT_EQ(verse(a + "\r\n\r\n" + i + "\xFF"), a + repeat(kSp, 13) + i + "\xFF");
    EXPECT_EQ(prose(a + "\r\n\r\n" + i + "\xFF"), a + repeat(kSp, 13) + i + "\xFF");
    const std::string quoted = bytes({0x81, 0x75, 0x82, 0xA0, 0x81, 0x76});
    EXPECT_EQ(verse(quoted + "\r\n" + i + "\xFF"), quoted + repeat(kSp, 4) + i + "\xFF");
    EXPECT_EQ(prose(quoted + "\r\n" + i + "\xFF"), quoted + repeat(kSp, 4) + i + "\xFF");
}

TEST(NormalizationEdges, TextWithoutLineBreaksIsUnchanged) {
    const std::string text = sj("吾輩は猫である。名前はまだ無い。") + "ab\x09\xB6\xDE" + "\xFF";
    EXPECT_EQ(verse(text), text);
    EXPECT_EQ(prose(text), text);
}

TEST(NormalizationEdges, LineEndingAtTheFootOfAColumn) {
    // Seven cells fill the column: no spaces, the next line starts the next column.
    const std::string seven = sj("一二三四五六七");
    EXPECT_EQ(verse(seven + "\r\n" + sj("八") + "\xFF"), seven + sj("八") + "\xFF");
    // An empty line there adds exactly one empty column.
    EXPECT_EQ(verse(seven + "\r\n\r\n" + sj("八") + "\xFF"), seven + repeat(kSp, 7) + sj("八") + "\xFF");
    EXPECT_EQ(prose(seven + "\r\n\r\n" + sj("八") + "\xFF"), seven + repeat(kSp, 7) + sj("八") + "\xFF");
}

TEST(NormalizationEdges, EmptyLinesGiveEmptyColumns) {
    // After a non-empty line, m empty lines give m empty columns in both passes.
    for (int m = 1; m <= 4; ++m) {
        const std::string input = sj("あ") + repeat("\r\n", m + 1) + sj("い") + "\xFF";
        const std::string expected = sj("あ") + repeat(kSp, 6 + 7 * m) + sj("い") + "\xFF";
        EXPECT_EQ(verse(input), expected) << m;
        EXPECT_EQ(prose(input), expected) << m;
    }
}

TEST(NormalizationEdges, EmptyLinesAtTheStart) {
    // One empty first line vanishes; two leave one empty column.
    EXPECT_EQ(verse("\r\n" + sj("あ") + "\xFF"), sj("あ") + "\xFF");
    EXPECT_EQ(prose("\r\n\r\n" + sj("あ") + "\xFF"), repeat(kSp, 7) + sj("あ") + "\xFF");
    // Four line breaks then a line opening with two full-width spaces, as a title page begins:
    // three empty columns before it, in both passes.
    const std::string head = "\r\n\r\n\r\n\r\n" + sj("　　題") + "\xFF";
    EXPECT_EQ(verse(head), repeat(kSp, 21) + sj("　　題") + "\xFF");
    EXPECT_EQ(prose(head), repeat(kSp, 21) + sj("　　題") + "\xFF");
}

TEST(NormalizationEdges, HalfWidthKanaWithMarkIsOneCell) {
    EXPECT_EQ(hex(verse("\xB6\xDE\xB6\r\nX\xFF")), hex("\xB6\xDE\xB6" + repeat(kSp, 5) + "X\xFF"));
}

TEST(NormalizationEdges, OneByteCharactersAndControlsCountOneCellAndAreKept) {
    // "a b\t " is five cells; nothing is trimmed.
    EXPECT_EQ(verse("a b\t \r\nX\xFF"), "a b\t " + repeat(kSp, 2) + "X\xFF");
    EXPECT_EQ(verse(" \r\n\xFF"), " " + repeat(kSp, 6) + "\xFF");
}

TEST(NormalizationEdges, LastLineBreakBeforeTheEndByte) {
    EXPECT_EQ(verse(sj("あい") + "\r\n\xFF"), sj("あい") + repeat(kSp, 5) + "\xFF");
    EXPECT_EQ(prose(sj("あい") + "\r\n\xFF"), sj("あい") + "\xFF");
    EXPECT_EQ(prose(sj("「あ」") + "\r\n\xFF"), sj("「あ」") + repeat(kSp, 4) + "\xFF");
}

TEST(ProseNormalization, IndentedLineStartsAColumnDoubleIndentRunsOn) {
    EXPECT_EQ(prose(sj("あ") + "\r\n" + sj("　い") + "\xFF"), sj("あ") + repeat(kSp, 6) + sj("　い") + "\xFF");
    EXPECT_EQ(prose(sj("あ") + "\r\n" + sj("　　い") + "\xFF"), sj("あ　　い") + "\xFF");
    // Two spaces win over a closing 」 on the line before.
    EXPECT_EQ(prose(sj("「あ」") + "\r\n" + sj("　　い") + "\xFF"), sj("「あ」　　い") + "\xFF");
}

TEST(ProseNormalization, ClosingBracketEndsColumnUnlessFollowedByASpace) {
    EXPECT_EQ(prose(sj("「あ」") + "\r\n" + sj("い") + "\xFF"), sj("「あ」") + repeat(kSp, 4) + sj("い") + "\xFF");
    EXPECT_EQ(prose(sj("「あ」") + " \r\n" + sj("い") + "\xFF"), sj("「あ」") + " " + sj("い") + "\xFF");
}

TEST(ProseNormalization, OpeningBracketStartsAColumn) {
    EXPECT_EQ(prose(sj("あ") + "\r\n" + sj("「い」") + "\xFF"), sj("あ") + repeat(kSp, 6) + sj("「い」") + "\xFF");
}

TEST(ProseNormalization, ClosingBracketTestIgnoresCharacterBoundaries) {
    // 0x88 0x81 is one character (亜 row), then "v" (0x76): the two bytes before the break are
    // 0x81 0x76 all the same, so the column ends.
    const std::string line = "\x88\x81\x76";
    EXPECT_EQ(hex(prose(line + "\r\nX\xFF")), hex(line + repeat(kSp, 5) + "X\xFF"));
}

TEST(LineBreakStep, LineFeedsBecomeCrLf) {
    std::string text = "a\nb\r\nc\rd\n\n\xFF";
    ConvertLineBreaks(text);
    EXPECT_EQ(text, "a\r\nb\r\nc\r\nd\r\n\r\n\xFF");
}

TEST(LineBreakStep, SecondByteIsNeverALineBreak) {
    // 0x81 0x0A is one (invalid) double-byte character; its 0x0A stays.
    std::string text = "\x81\x0A\n\xFF";
    ConvertLineBreaks(text);
    EXPECT_EQ(hex(text), "81 0A 0D 0A FF");
}

TEST(NormalizationInput, BareLineFeedsGiveTheSameResultAsCrLf) {
    const std::string withLf = sj("「あ」\nい\n\n　う\n") + "\xFF";
    std::string withCrLf = withLf;
    ConvertLineBreaks(withCrLf);
    EXPECT_EQ(prose(withLf), prose(withCrLf));
    EXPECT_EQ(verse(withLf), verse(withCrLf));
}

TEST(NormalizationEvents, PumpIsServedDuringALongText) {
    struct CountingPump : EventPump {
        int calls = 0;
        void ProcessPendingEvents() override { ++calls; }
    } pump;
    std::string text = repeat(sj("あ\r\n"), 100000) + "\xFF";
    NormalizeVerse(n7(), text, pump);
    EXPECT_GE(pump.calls, 5);
}
