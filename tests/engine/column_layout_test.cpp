#include "engine/column_layout.h"
#include "engine/full_width.h"
#include "engine/text_normalization.h"
#include "support/layout_driver.h"
#include "support/reference_models.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <random>

using namespace engine;
using namespace testing_support;

namespace {

const std::string kSpace = "\x81\x40"; // 　

// 今日は、いい天気です。 1 2 3 - ｶﾞ ｷ and the end byte: 30 bytes.
std::string workedExampleText() {
    return sj("今日は、いい天気です。123-") + "\xB6\xDE\xB7" + "\xFF";
}

struct LaidOut {
    PageRows rows;
    LayoutState state;
    bool exhausted;
};

LaidOut layOutFirstPage(const std::string& text, int gyokan, int charsize, int spaceline) {
    PageGeometry g = MakePageGeometry(gyokan, charsize, spaceline);
    g.textLength = static_cast<std::int32_t>(text.size());
    LaidOut result;
    result.exhausted = LayoutPage(spaceline, g, text, result.rows, result.state);
    return result;
}

} // namespace

TEST(PageGeometryTable, RowCountsByLineSpacingAndCharacterSize) {
    const int normal[] = {23, 19, 16, 14, 11};
    const int doubled[] = {10, 9, 8, 7, 11};
    for (int g = 0; g < 5; ++g) {
        EXPECT_EQ(RowCountFor(g, 0), normal[g]) << g;
        EXPECT_EQ(RowCountFor(g, 1), doubled[g]) << g;
    }
    EXPECT_EQ(RowCountFor(4, -1), 11); // newspaper mode ignores the size
    EXPECT_EQ(RowCountFor(2, -1), 8);  // no size choice counts as double height
    EXPECT_EQ(RowCountFor(-1, 0), 23); // no line-spacing choice takes the row of "none"
    EXPECT_EQ(RowCountFor(-1, 1), 10);
}

TEST(PageGeometryTable, BlankColumnsBySpaceline) {
    EXPECT_EQ(MakePageGeometry(0, 0, 0).columnSlots, 20);
    EXPECT_EQ(MakePageGeometry(0, 0, 0).spacer, kSpace);
    EXPECT_EQ(MakePageGeometry(0, 0, 1).columnSlots, 26);
    EXPECT_EQ(MakePageGeometry(0, 0, 1).spacer, " ");
    EXPECT_EQ(MakePageGeometry(0, 0, 2).columnSlots, 20);
    EXPECT_EQ(MakePageGeometry(0, 0, -1).spacer, kSpace);
}

TEST(ColumnLayoutWorkedExample, PackedPageRows) {
    const std::string text = workedExampleText();
    ASSERT_EQ(text.size(), 30u);
    LaidOut page = layOutFirstPage(text, 3, 1, 2);
    EXPECT_TRUE(page.exhausted);
    EXPECT_TRUE(page.state.textExhausted);
    EXPECT_EQ(page.state.textCursor, 30);
    EXPECT_EQ(page.rows.row(0), sj("｜気今"));
    EXPECT_EQ(page.rows.row(1), "\xB6\xDE" + sj("で日"));
    EXPECT_EQ(page.rows.row(2), sj("キすは"));
    EXPECT_EQ(hex(page.rows.row(3)), "20 DF 20 60");
    EXPECT_EQ(page.rows.row(4), sj("１い"));
    EXPECT_EQ(page.rows.row(5), sj("２い"));
    EXPECT_EQ(page.rows.row(6), sj("３天"));
    for (int r = 7; r < kMaxRows; ++r)
        EXPECT_TRUE(page.rows.row(r).empty()) << r;
}

TEST(ColumnLayoutWorkedExample, TwoByteBlankColumns) {
    LaidOut page = layOutFirstPage(workedExampleText(), 3, 1, 0);
    EXPECT_TRUE(page.exhausted);
    EXPECT_EQ(page.rows.row(0), repeat(kSpace, 8) + sj("｜　気　今"));
    EXPECT_EQ(page.rows.row(0).size(), 26u);
    EXPECT_EQ(page.rows.row(3), repeat(kSpace, 9) + " \xDF" + kSpace + " `");
    EXPECT_EQ(page.rows.row(3).size(), 24u);
}

TEST(ColumnLayoutWorkedExample, OneByteBlankColumns) {
    LaidOut page = layOutFirstPage(workedExampleText(), 3, 1, 1);
    EXPECT_TRUE(page.exhausted);
    EXPECT_EQ(page.rows.row(0),
              std::string(11, ' ') + sj("｜") + " " + sj("気") + " " + sj("今") + " ");
    EXPECT_EQ(page.rows.row(0).size(), 20u);
}

TEST(ColumnLayoutWorkedExample, WholeFileIs298Bytes) {
    const std::string file = layoutFile(MakePageGeometry(3, 1, 2), 2, workedExampleText());
    ASSERT_EQ(file.size(), 298u);
    EXPECT_EQ(file.substr(0, 2), "\r\n");
    EXPECT_EQ(file.substr(2, 42), std::string(34, ' ') + sj("｜気今") + "\r\n");
    EXPECT_EQ(file.substr(2 + 3 * 42, 42), std::string(36, ' ') + " \xDF `\r\n");
    EXPECT_EQ(file.substr(296), "\r\n");
}

TEST(ColumnLayoutCells, PunctuationAndStrokesTurnedForVerticalReading) {
    // 。、ー― and "-" with N = 7: a single column.
    const std::string text = sj("。、ー―") + "-" + sj("－") + "\xFF";
    LaidOut page = layOutFirstPage(text, 3, 1, 2);
    EXPECT_EQ(hex(page.rows.row(0)), "20 DF");
    EXPECT_EQ(hex(page.rows.row(1)), "20 60");
    EXPECT_EQ(page.rows.row(2), sj("｜"));
    EXPECT_EQ(page.rows.row(3), sj("｜"));
    EXPECT_EQ(page.rows.row(4), sj("｜")); // the one-byte hyphen, not the full-width hyphen
    EXPECT_EQ(page.rows.row(5), sj("－")); // other two-byte characters stay as they are
}

TEST(ColumnLayoutCells, OneByteCharactersBecomeFullWidth) {
    const std::string ascii = " \\~!\"#$%&'()*+,./:;<=>?@[]^_`{|}0Az";
    const std::string wide =
        sj("　￥￣！”＃＄％＆’（）＊＋，．／：；＜＝＞？＠［］＾＿‘｛｜｝０Ａｚ");
    ASSERT_EQ(wide.size(), ascii.size() * 2);
    for (std::size_t i = 0; i < ascii.size(); ++i)
        EXPECT_EQ(hex(fullWidthAscii(static_cast<unsigned char>(ascii[i]))),
                  hex(wide.substr(2 * i, 2)))
            << "byte " << ascii[i];
}

TEST(ColumnLayoutCells, HalfWidthKana) {
    // ｶﾞ stays two half-width bytes in one cell, ｷ and a lone ﾞ become full-width, 0xA0 the
    // full-width space; ﾊﾟ keeps its semi-voiced mark.
    const std::string text = std::string("\xB6\xDE\xB7\xDE\xDE\xA0\xCA\xDF\xDE") + "\xFF";
    LaidOut page = layOutFirstPage(text, 3, 1, 2); // N = 7
    EXPECT_EQ(hex(page.rows.row(0)), "B6 DE");
    EXPECT_EQ(hex(page.rows.row(1)), "B7 DE"); // ｷﾞ: the mark right after the kana joins it
    EXPECT_EQ(page.rows.row(2), sj("゛"));     // a mark with no kana in front
    EXPECT_EQ(page.rows.row(3), kSpace);
    EXPECT_EQ(hex(page.rows.row(4)), "CA DF");
    EXPECT_EQ(page.rows.row(5), sj("゛"));
    EXPECT_EQ(page.state.textCursor, 10);
}

TEST(ColumnLayoutCells, FullWidthKanaTableCoversEveryByte) {
    const std::string expected = sj(
        "　。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマ"
        "ミムメモヤユヨラリルレロワン゛゜");
    ASSERT_EQ(expected.size(), 128u);
    for (int b = 0xA0; b <= 0xDF; ++b)
        EXPECT_EQ(fullWidthKana(static_cast<unsigned char>(b)), expected.substr(2 * (b - 0xA0), 2))
            << b;
}

TEST(ColumnLayoutCells, ControlAndOtherSingleBytesAreCopied) {
    const std::string text = std::string("\x09\x7F\x80\xFD") + "\xFF";
    LaidOut page = layOutFirstPage(text, 3, 1, 2);
    EXPECT_EQ(hex(page.rows.row(0)), "09");
    EXPECT_EQ(hex(page.rows.row(1)), "7F");
    EXPECT_EQ(hex(page.rows.row(2)), "80");
    EXPECT_EQ(hex(page.rows.row(3)), "FD");
    EXPECT_TRUE(page.rows.row(4).empty());
}

TEST(ColumnLayoutEnd, OnlyTheEndByteGivesOneBlankPage) {
    for (int spaceline = 0; spaceline <= 2; ++spaceline) {
        const std::string file = layoutFile(MakePageGeometry(0, 0, spaceline), spaceline, "\xFF");
        ASSERT_EQ(file.size(), 2u + 23 * 42 + 2) << spaceline;
    }
    // The blank line of each mode.
    const std::string twoByte = layoutFile(MakePageGeometry(0, 0, 0), 0, "\xFF");
    EXPECT_EQ(twoByte.substr(2, 42), std::string(20, ' ') + repeat(kSpace, 10) + "\r\n");
    const std::string oneByte = layoutFile(MakePageGeometry(0, 0, 1), 1, "\xFF");
    EXPECT_EQ(oneByte.substr(2, 42), std::string(40, ' ') + "\r\n");
    const std::string packed = layoutFile(MakePageGeometry(0, 0, 2), 2, "\xFF");
    EXPECT_EQ(packed.substr(2, 42), std::string(40, ' ') + "\r\n");
}

TEST(ColumnLayoutEnd, TextFillingThePageExactlyGetsOneMoreBlankPage) {
    // N = 7, packed: 20 columns of 7 cells = 140 cells fill the first page.
    const std::string full = repeat(sj("字"), 140) + "\xFF";
    PageGeometry g = MakePageGeometry(3, 1, 2);
    g.textLength = static_cast<std::int32_t>(full.size());
    LayoutState state;
    PageRows rows;
    EXPECT_FALSE(LayoutPackedPage(g, full, rows, state));
    EXPECT_EQ(rows.row(0), repeat(sj("字"), 20));
    EXPECT_TRUE(LayoutPackedPage(g, full, rows, state));
    for (int r = 0; r < 7; ++r)
        EXPECT_TRUE(rows.row(r).empty());

    const std::string oneLess = repeat(sj("字"), 139) + "\xFF";
    EXPECT_EQ(layoutFile(MakePageGeometry(3, 1, 2), 2, oneLess).size(), 2u + 296);
    EXPECT_EQ(layoutFile(MakePageGeometry(3, 1, 2), 2, full).size(), 2u * 296 + 2);
}

TEST(ColumnLayoutEnd, ColumnCutOffByTheEndKeepsLaterBlankColumns) {
    // N = 7, two-byte blank columns: 9 characters end in the third row of the second column.
    const std::string text = repeat(sj("字"), 9) + "\xFF";
    LaidOut page = layOutFirstPage(text, 3, 1, 0);
    EXPECT_EQ(page.rows.row(1), repeat(kSpace, 9) + sj("字") + kSpace + sj("字"));
    EXPECT_EQ(page.rows.row(2), repeat(kSpace, 10) + sj("字"));
    EXPECT_EQ(page.rows.row(6), repeat(kSpace, 10) + sj("字"));
    const std::string file = layoutFile(MakePageGeometry(3, 1, 0), 0, text);
    // After the writer's left fill, the first column's cells stay in their places.
    EXPECT_EQ(file.substr(2 + 1 * 42, 42),
              std::string(16, ' ') + repeat(kSpace, 9) + sj("字") + kSpace + sj("字") + "\r\n");
    EXPECT_EQ(file.substr(2 + 2 * 42, 42),
              std::string(18, ' ') + repeat(kSpace, 10) + sj("字") + "\r\n");
}

TEST(ColumnLayoutEnd, OneByteCellShiftsItsRow) {
    // Column 1 is seven 字; column 2 opens with a tab. Row 0 is one byte shorter before the fill,
    // so the writer puts one more space in front of it.
    const std::string text = repeat(sj("字"), 7) + "\x09" + repeat(sj("字"), 6) + "\xFF";
    const std::string file = layoutFile(MakePageGeometry(3, 1, 2), 2, text);
    EXPECT_EQ(file.substr(2, 42), std::string(37, ' ') + "\x09" + sj("字") + "\r\n");
    EXPECT_EQ(file.substr(2 + 42, 42), std::string(36, ' ') + sj("字字") + "\r\n");
}

TEST(ColumnLayoutEnd, LoneLeadByteAtTheEndStillEnds) {
    // A double-byte character cut off by the end of the file: laid out as 〓, one cell, and the
    // layout ends as usual.
    const std::string text = sj("あ") + "\x82" + "\xFF";
    PageGeometry g = MakePageGeometry(3, 1, 2);
    g.textLength = static_cast<std::int32_t>(text.size());
    LayoutState state;
    PageRows rows;
    EXPECT_TRUE(LayoutPackedPage(g, text, rows, state));
    EXPECT_EQ(rows.row(0), sj("あ"));
    EXPECT_EQ(rows.row(1), sj("〓"));
    EXPECT_EQ(state.textCursor, 4);
}

TEST(ColumnLayoutEnd, CursorBeyondTheEndCountsAsTheEnd) {
    const std::string text = sj("あい") + "\xFF";
    PageGeometry g = MakePageGeometry(3, 1, 2);
    g.textLength = static_cast<std::int32_t>(text.size());
    LayoutState state;
    state.textCursor = 9;
    PageRows rows;
    EXPECT_TRUE(BuildColumn(g, text, rows, state));
    EXPECT_TRUE(state.textExhausted);
    EXPECT_TRUE(rows.row(0).empty());
}

TEST(ColumnLayoutState, CursorCarriesAcrossPages) {
    // 150 characters, N = 7 packed: page 1 takes 140, page 2 the remaining 10.
    const std::string text = repeat(sj("字"), 150) + "\xFF";
    PageGeometry g = MakePageGeometry(3, 1, 2);
    g.textLength = static_cast<std::int32_t>(text.size());
    LayoutState state;
    PageRows rows;
    EXPECT_FALSE(LayoutPackedPage(g, text, rows, state));
    EXPECT_EQ(state.textCursor, 281);
    EXPECT_TRUE(LayoutPackedPage(g, text, rows, state));
    EXPECT_EQ(rows.row(0), sj("字字"));
    EXPECT_EQ(rows.row(2), sj("字字"));
    EXPECT_EQ(rows.row(3), sj("字"));
    EXPECT_TRUE(LayoutPackedPage(g, text, rows, state)); // stays at the end
    EXPECT_TRUE(rows.row(0).empty());
}

// --- Layout and writer ------------------------------------------------------------------------

TEST(LayoutCases, PagesMatchTheStepwiseLayoutInEveryMode) {
    std::mt19937 rng(73);
    for (int iteration = 0; iteration < 600; ++iteration) {
        const int gyokan = static_cast<int>(rng() % 5);
        const int charsize = static_cast<int>(rng() % 2);
        std::string text = randomText(rng, rng() % 900, false);
        text = engineNormalize(rng() % 2 == 0, RowCountFor(gyokan, charsize), text);
        for (const int spaceline : {0, 1, 2}) {
            const PageGeometry g = MakePageGeometry(gyokan, charsize, spaceline);
            const std::string want =
                modelFile(g.rowCount, g.columnSlots, g.spacer, spaceline == 2, text);
            ASSERT_EQ(hex(layoutFile(g, spaceline, text)), hex(want))
                << "gyokan " << gyokan << " charsize " << charsize << " spaceline " << spaceline;
        }
    }
}

TEST(LayoutCases, EmptyGeometryAndEmptyTextEndAtOnce) {
    PageGeometry g = MakePageGeometry(0, 0, 2);
    g.textLength = 0;
    LayoutState state;
    PageRows rows;
    EXPECT_TRUE(LayoutPackedPage(g, "", rows, state));
    EXPECT_TRUE(state.textExhausted);
    EXPECT_EQ(state.textCursor, 1);
    for (int r = 0; r < g.rowCount; ++r)
        EXPECT_EQ(rows.row(r), "");
    // A text without its end byte but with textLength 0 is not laid out either.
    LayoutState again;
    EXPECT_TRUE(LayoutSpacedPage(g, "abc", rows, again));
    EXPECT_EQ(again.textCursor, 1);
}

// The page count the preparation gives (which names a split's files and numbers the preview)
// is the number of pages the layout makes, also when the text ends on a page's last cell or in a
// lone lead byte.
TEST(LayoutCases, PreparedPageCountMatchesTheLaidOutPages) {
    std::mt19937 rng(74);
    for (int iteration = 0; iteration < 300; ++iteration) {
        engine::Settings s;
        s.gyokan = static_cast<int>(rng() % 5);
        s.charsize = static_cast<int>(rng() % 2);
        s.usereturn = rng() % 2 == 0;
        std::string text = randomText(rng, rng() % 3000, false);
        text.pop_back(); // the preparation appends the end byte itself
        for (const int spaceline : {0, 1, 2}) {
            s.spaceline = spaceline;
            NoEventPump pump;
            const PageGeometry g = MakePageGeometry(s.gyokan, s.charsize, spaceline);
            const auto prepared = PrepareText({text, {}, 0, {}, {}, {}, {}}, nullptr, g, s, pump);
            LayoutState state;
            PageRows rows;
            std::int64_t pages = 0;
            for (bool done = false; !done; ++pages)
                done = LayoutPage(spaceline, prepared->geometry, prepared->text, rows, state);
            ASSERT_EQ(prepared->pageCount, pages) << "spaceline " << spaceline;
        }
    }
    // Exactly a page of cells, the last of them a lone lead byte: the end is found on page 2.
    engine::Settings s;
    s.gyokan = 3;
    s.charsize = 1;
    s.spaceline = 2;
    NoEventPump pump;
    for (const std::string& last : {sj("字"), std::string("\x82")}) {
        const auto prepared = PrepareText({repeat(sj("字"), 139) + last, {}, 0, {}, {}, {}, {}},
                                          nullptr, MakePageGeometry(3, 1, 2), s, pump);
        EXPECT_EQ(prepared->pageCount, 2);
        EXPECT_EQ(layoutFile(prepared->geometry, 2, prepared->text).size(), 2u * 296 + 2);
    }
}

TEST(PageGeometryChecks, OnlyGeometriesWhoseRowsFitFortyBytes) {
    for (int gyokan = -1; gyokan <= 4; ++gyokan)
        for (int charsize = -1; charsize <= 1; ++charsize)
            for (int spaceline = -1; spaceline <= 2; ++spaceline)
                EXPECT_TRUE(IsValidGeometry(MakePageGeometry(gyokan, charsize, spaceline)));
    PageGeometry g = MakePageGeometry(0, 0, 0);
    g.columnSlots = 26; // two-byte blank columns in 26 slots: 52 bytes a row
    EXPECT_FALSE(IsValidGeometry(g));
    g = MakePageGeometry(0, 0, 1);
    g.rowCount = 33;
    EXPECT_FALSE(IsValidGeometry(g));
    g.rowCount = 0;
    EXPECT_FALSE(IsValidGeometry(g));
    g = MakePageGeometry(0, 0, 1);
    g.spacer = "";
    EXPECT_FALSE(IsValidGeometry(g));
    g.spacer = "   ";
    EXPECT_FALSE(IsValidGeometry(g));
    g = MakePageGeometry(0, 0, 1);
    g.columnSlots = 25;
    EXPECT_FALSE(IsValidGeometry(g));
}

TEST(PageGeometryChecks, LayoutRefusesAGeometryWhoseRowsWouldOverflow) {
    PageGeometry g = MakePageGeometry(0, 0, 0);
    g.columnSlots = 40;
    const std::string text = repeat(sj("字"), 2000) + "\xFF";
    g.textLength = static_cast<std::int32_t>(text.size());
    LayoutState state;
    PageRows rows;
    [[maybe_unused]] bool exhausted = false; // read only where NDEBUG is defined
    // Debug builds stop at the assertion; others lay out nothing and end the text.
    EXPECT_DEBUG_DEATH(exhausted = LayoutSpacedPage(g, text, rows, state), "geometry");
#ifdef NDEBUG
    EXPECT_TRUE(exhausted);
    EXPECT_EQ(rows.row(0), "");
#endif
}
