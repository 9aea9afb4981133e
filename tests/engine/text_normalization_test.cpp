#include "engine/text_normalization.h"
#include "support/layout_driver.h"
#include "support/reference_models.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <random>

#include <map>
#include <vector>

using namespace engine;
using namespace testing_support;

namespace {

const std::string kSp = "\x81\x40"; // 　

// rowCount 7: line spacing 6 dots with double-height characters.
PageGeometry n7() {
    return MakePageGeometry(3, 1, 2);
}

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

const std::vector<std::string> kWorkedLines = {"　雨が降る。私は", "外へ出た。", "「寒いね」",
                                               "と言った。",       "　　夜。",   "",
                                               "　朝。まだ",       "　晴れ。"};

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
    EXPECT_EQ(verse(input), columns({"白い雲　　　　", "青い空のずっと", "上　　　　　　",
                                     "　　　　　　　", "風"}));
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
    EXPECT_EQ(verse(seven + "\r\n\r\n" + sj("八") + "\xFF"),
              seven + repeat(kSp, 7) + sj("八") + "\xFF");
    EXPECT_EQ(prose(seven + "\r\n\r\n" + sj("八") + "\xFF"),
              seven + repeat(kSp, 7) + sj("八") + "\xFF");
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
    EXPECT_EQ(prose(sj("あ") + "\r\n" + sj("　い") + "\xFF"),
              sj("あ") + repeat(kSp, 6) + sj("　い") + "\xFF");
    EXPECT_EQ(prose(sj("あ") + "\r\n" + sj("　　い") + "\xFF"), sj("あ　　い") + "\xFF");
    // Two spaces win over a closing 」 on the line before.
    EXPECT_EQ(prose(sj("「あ」") + "\r\n" + sj("　　い") + "\xFF"), sj("「あ」　　い") + "\xFF");
}

TEST(ProseNormalization, ClosingBracketEndsColumnUnlessFollowedByASpace) {
    EXPECT_EQ(prose(sj("「あ」") + "\r\n" + sj("い") + "\xFF"),
              sj("「あ」") + repeat(kSp, 4) + sj("い") + "\xFF");
    EXPECT_EQ(prose(sj("「あ」") + " \r\n" + sj("い") + "\xFF"),
              sj("「あ」") + " " + sj("い") + "\xFF");
}

TEST(ProseNormalization, OpeningBracketStartsAColumn) {
    EXPECT_EQ(prose(sj("あ") + "\r\n" + sj("「い」") + "\xFF"),
              sj("あ") + repeat(kSp, 6) + sj("「い」") + "\xFF");
}

TEST(ProseNormalization, ClosingBracketTestIgnoresCharacterBoundaries) {
    // 0x88 0x81 is one character (亜 row), then "v" (0x76): the two bytes before the break are
    // 0x81 0x76 all the same, so the column ends.
    const std::string line = "\x88\x81\x76";
    EXPECT_EQ(hex(prose(line + "\r\nX\xFF")), hex(line + repeat(kSp, 5) + "X\xFF"));
}

TEST(NormalizationInput, BareLineFeedsGiveTheSameResultAsCrLf) {
    const std::string withLf = sj("「あ」\nい\n\n　う\n") + "\xFF";
    const std::string withCrLf = literalLineBreakStep(withLf);
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

// --- Normalisation taken in one pass --------------------------------------------------------

TEST(NormalisationCases, OnePassEqualsLineBreakStepThenStepwiseScan) {
    std::mt19937 rng(71);
    for (int iteration = 0; iteration < 4000; ++iteration) {
        const std::string text = randomText(rng, rng() % 120, false);
        const int n = kRowCounts[iteration % std::size(kRowCounts)];
        for (const bool verse : {false, true}) {
            const std::string want = literalNormalize(verse, n, literalLineBreakStep(text));
            ASSERT_EQ(hex(engineNormalize(verse, n, text)), hex(want))
                << "verse " << verse << " N " << n << " input " << hex(text);
        }
    }
}

TEST(NormalisationCases, CrBytesOfEveryKindCountAsTheLineBreakStepMakesThem) {
    std::mt19937 rng(72);
    for (int iteration = 0; iteration < 2000; ++iteration) {
        const std::string text = randomText(rng, rng() % 80, true);
        const int n = kRowCounts[iteration % std::size(kRowCounts)];
        for (const bool verse : {false, true}) {
            const std::string want = literalNormalize(verse, n, literalLineBreakStep(text));
            ASSERT_EQ(hex(engineNormalize(verse, n, text)), hex(want))
                << "verse " << verse << " N " << n << " input " << hex(text);
        }
    }
}

TEST(NormalisationCases, CharactersAndBreaksStraddlingTheEventBlock) {
    // The pass serves events every 64 KiB; what stands at that point must not change the result.
    const char* const pieces[] = {"\x82\n\n\x81\x40X",  "\xb6\xde\n\x81\x75", "\x81\x76\n\n",
                                  "\n\x81\x40\x81\x40", "\xb6\n\xde",         "\x81\n\x81\x76\nY"};
    const std::size_t block = kEventPumpBlock;
    for (const char* piece : pieces) {
        for (std::size_t offset = block - 4; offset <= block + 2; ++offset) {
            std::string text = repeat(sj("字"), static_cast<int>(offset / 2));
            if (offset % 2)
                text += "a";
            text += piece;
            text += sj("字\n終") + "\xFF";
            for (const bool verse : {false, true}) {
                const std::string want = literalNormalize(verse, 7, literalLineBreakStep(text));
                ASSERT_EQ(engineNormalize(verse, 7, text), want)
                    << "piece " << hex(piece) << " offset " << offset << " verse " << verse;
            }
        }
    }
}

TEST(NormalisationCases, LeadByteBeforeALineBreakTakesItAsSecondByte) {
    // あ, a stray 0x82 that pairs with the LF, い: no line break at all, so nothing is inserted.
    const std::string text = sj("あ") + "\x82\n" + sj("い") + "\xFF";
    EXPECT_EQ(hex(engineNormalize(true, 7, text)), hex(text));
    EXPECT_EQ(hex(engineNormalize(false, 7, text)), hex(text));
}

TEST(NormalisationCases, HeaderBlockOpeningGivesThreeEmptyColumns) {
    // Four LFs then a line opening with two full-width spaces: 3N spaces, then the line.
    const std::string text = "\n\n\n\n" + sj("　　題") + "\xFF";
    const std::string want = repeat("\x81\x40", 3 * 7) + sj("　　題") + "\xFF";
    EXPECT_EQ(hex(engineNormalize(false, 7, text)), hex(want));
    EXPECT_EQ(hex(engineNormalize(true, 7, text)), hex(want));
}

// --- Marked-up lines ---------------------------------------------------------------------------

namespace {

// The text of LF-separated lines, with a layout for the lines that have one (by line number).
struct Marked {
    std::string text;
    LineLayouts lines;
};

Marked marked(const std::vector<std::string>& utf8Lines, const std::map<int, LineLayout>& layouts) {
    Marked m;
    for (std::size_t i = 0; i < utf8Lines.size(); ++i) {
        if (i > 0)
            m.text += "\n";
        if (const auto it = layouts.find(static_cast<int>(i)); it != layouts.end()) {
            LineLayout layout = it->second;
            layout.lineStart = m.text.size();
            m.lines.push_back(layout);
        }
        m.text += sj(utf8Lines[i]);
    }
    m.text += "\xFF";
    return m;
}

std::string normalized(bool verseMode, Marked m, bool packed = true) {
    NoEventPump pump;
    if (verseMode)
        NormalizeVerse(n7(), m.text, pump, m.lines, packed);
    else
        NormalizeProse(n7(), m.text, pump, m.lines, packed);
    return m.text;
}

LineLayout indent(int n) {
    LineLayout l;
    l.indent = n;
    return l;
}

LineLayout raisedBy(int n) {
    LineLayout l;
    l.raise = n;
    return l;
}

LineLayout pageBreak() {
    LineLayout l;
    l.pageBreakBefore = true;
    return l;
}

} // namespace

TEST(MarkedLines, IndentStartsEveryColumnOfTheLineThatFarDown) {
    // N = 7, indent 2: five cells a column; the line starts a column of its own.
    EXPECT_EQ(hex(normalized(false, marked({"前", "一二三四五六七八"}, {{1, indent(2)}}))),
              hex(columns({"前　　　　　　", "　　一二三四五", "　　六七八"})));
    // An indent of the whole column or more keeps one cell for the text.
    EXPECT_EQ(hex(normalized(true, marked({"一二"}, {{0, indent(9)}}))),
              hex(columns({"　　　　　　一", "　　　　　　二"})));
    // A line ending at the foot of its column does not indent a column after it.
    EXPECT_EQ(hex(normalized(true, marked({"一二三四五", "次"}, {{0, indent(2)}}))),
              hex(columns({"　　一二三四五", "次"})));
}

TEST(MarkedLines, RaisedLineStandsAtTheFootOfItsOwnColumn) {
    // 地付き: three cells at the foot; the prose line after it starts the next column.
    EXPECT_EQ(hex(normalized(false, marked({"前", "署名", "後"}, {{1, raisedBy(0)}}))),
              hex(columns({"前　　　　　　", "　　　　　署名", "後"})));
    // Two cells up from the foot, and the rest of the column stays empty.
    EXPECT_EQ(hex(normalized(false, marked({"署名", "後"}, {{0, raisedBy(2)}}))),
              hex(columns({"　　　署名　　", "後"})));
    // A line longer than the column allows runs as usual.
    EXPECT_EQ(hex(normalized(false, marked({"一二三四五六"}, {{0, raisedBy(2)}}))),
              hex(columns({"一二三四五六"})));
}

TEST(MarkedLines, PageBreakStartsTheLineOnANewPage) {
    // Packed pages hold 20 columns of 7 cells: after one column of verse, 19 blank columns.
    const std::string packedGap = repeat(kSp, 19 * 7);
    EXPECT_EQ(hex(normalized(true, marked({"一", "二"}, {{1, pageBreak()}}))),
              hex(sj("一") + repeat(kSp, 6) + packedGap + sj("二") + "\xFF"));
    // Spaced pages hold 10 text columns.
    EXPECT_EQ(hex(normalized(true, marked({"一", "二"}, {{1, pageBreak()}}), false)),
              hex(sj("一") + repeat(kSp, 6) + repeat(kSp, 9 * 7) + sj("二") + "\xFF"));
    // At the top of a page already: nothing to add.
    EXPECT_EQ(hex(normalized(true, marked({"二"}, {{0, pageBreak()}}))), hex(sj("二") + "\xFF"));
    // A page break as the last thing in the text leaves the end on a page of its own.
    EXPECT_EQ(hex(normalized(false, marked({"一", ""}, {{1, pageBreak()}}))),
              hex(sj("一") + repeat(kSp, 20 * 7 - 1) + "\xFF"));
}

TEST(MarkedLines, NoLayoutsChangeNothing) {
    std::mt19937 rng(75);
    for (int iteration = 0; iteration < 200; ++iteration) {
        const std::string text = randomText(rng, rng() % 200, false);
        NoEventPump pump;
        std::string withMarks = text;
        NormalizeProse(n7(), withMarks, pump, {}, true);
        ASSERT_EQ(withMarks, engineNormalize(false, 7, text));
    }
}

// A line that fills its column to the foot gets no spaces, so a half-width voiced mark opening
// the next line meets the kana that closed it: the layout sets the two in one cell. The spaces
// stay where they always were; the count of cells (and so of pages) follows the layout.
TEST(Normalization, VoicedMarkAfterALineBreakJoinsTheKanaBeforeIt) {
    std::string text = std::string(6, 'a') + "\xB6\r\n\xDE\r\nb\xFF"; // aaaaaaｶ / ﾞ / b
    NoEventPump pump;
    const std::int64_t cells = NormalizeVerse(n7(), text, pump);
    // As the text has always been spaced: ﾞ took a cell, and the line after it six spaces.
    std::string spaced = std::string(6, 'a') + "\xB6\xDE";
    for (int i = 0; i < 6; ++i)
        spaced += "\x81\x40";
    EXPECT_EQ(hex(text), hex(spaced + "b\xFF"));
    // The layout's cells: ｶﾞ is one, so 14 and the end byte.
    EXPECT_EQ(cells, 15);

    // ﾟ is a kana as well as a mark: after ﾀﾟ the layout sets the second ﾟ alone, where the scan
    // took ﾟﾟ for one cell. 6 + ﾀﾟ + ﾟ + 6 spaces + b and the end byte.
    std::string twoMarks = std::string(6, 'a') + "\xC0\r\n\xDF\xDF\r\nb\xFF";
    EXPECT_EQ(NormalizeVerse(n7(), twoMarks, pump), 16);
    EXPECT_EQ(hex(twoMarks),
              hex(std::string(6, 'a') + "\xC0\xDF\xDF" + spaced.substr(8) + "b\xFF"));
}
