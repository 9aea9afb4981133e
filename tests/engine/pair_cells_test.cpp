// Pair cells: two half-width characters upright in one cell (縦中横), and two-digit numbers made
// into them on request.
#include "engine/pair_cells.h"
#include "engine/sjis.h"
#include "support/layout_driver.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

using namespace engine;
using namespace testing_support;

namespace {

std::string upright(const std::string& text, bool dropStrayMarks = true) {
    std::string s = text;
    LineLayouts none;
    SetTwoDigitNumbersUpright(s, 0, none, dropStrayMarks);
    return s;
}

} // namespace

TEST(PairCells, TwoDigitNumbersOnly) {
    EXPECT_EQ(hex(upright(sj("第12話"))), hex(sj("第") +
                                              "\x1F"
                                              "12" +
                                              sj("話")));
    EXPECT_EQ(hex(upright(sj("１２月と3日と123号と４５６"))), hex("\x1F"
                                                                  "12" +
                                                                  sj("月と3日と123号と４５６")));
    // Full-width and ASCII digits in one run are one number.
    EXPECT_EQ(hex(upright(sj("1２"))), hex("\x1F"
                                           "12"));
    EXPECT_EQ(hex(upright(sj("1２3"))), hex(sj("1２3")));
    // A digit byte inside a two-byte character is none: ０ is 0x82 0x4F, ア is 0x83 0x41.
    EXPECT_EQ(hex(upright(sj("ア09"))), hex(sj("ア") + "\x1F"
                                                       "09"));
}

TEST(PairCells, StrayMarksAndLineStarts) {
    // A mark that came with the source goes, so that it cannot make a pair of its own.
    EXPECT_EQ(hex(upright("\x1F"
                          "ab")),
              hex("ab"));
    // The notation's pairs stay when the marks are not stray.
    EXPECT_EQ(hex(upright("\x1F"
                          "!?12",
                          false)),
              hex("\x1F"
                  "!?\x1F"
                  "12"));
    std::string text = sj("12\n12345\nあ");
    LineLayouts lines{{3, false, 1, -1}, {9, true, 0, -1}};
    SetTwoDigitNumbersUpright(text, 0, lines, true);
    ASSERT_EQ(hex(text), hex("\x1F"
                             "12\n12345\n" +
                             sj("あ")));
    EXPECT_EQ(lines[0].lineStart, 4u);
    EXPECT_EQ(lines[1].lineStart, 10u);
    // A raised part keeps its place in its line; digits on both sides of it are two numbers.
    std::string raisedText = sj("第12回34");
    LineLayouts raisedLines{{0, false, 0, -1, 0, 6}};
    SetTwoDigitNumbersUpright(raisedText, 0, raisedLines, true);
    ASSERT_EQ(hex(raisedText), hex(sj("第") +
                                   "\x1F"
                                   "12" +
                                   sj("回") +
                                   "\x1F"
                                   "34"));
    EXPECT_EQ(raisedLines[0].raiseFrom, 7u);
    // Nothing before `from` changes.
    std::string head = "12|12";
    LineLayouts none;
    SetTwoDigitNumbersUpright(head, 3, none, true);
    EXPECT_EQ(head, "12|\x1F"
                    "12");
}

// Through the run's own steps: a pair is one cell of the column, its two characters side by side.
TEST(PairCells, OneCellInTheColumn) {
    Settings settings;
    settings.charsize = 1; // 10 rows
    settings.usereturn = true;
    settings.tcyDigits = true;
    const std::string file = convertedFile(sj("あ12いうえおかきくけ\nこ"), settings);
    const std::string plain = [&] {
        Settings off = settings;
        off.tcyDigits = false;
        return convertedFile(sj("あ12いうえおかきくけ\nこ"), off);
    }();
    // With the pair the line fits its column, and こ opens the next; without, け spills over.
    EXPECT_NE(file.find(sj("こ") + " " + sj("あ")), std::string::npos) << file;
    EXPECT_NE(file.find(" 12 \r\n"), std::string::npos) << file;
    EXPECT_EQ(plain.find("12"), std::string::npos);
    // A mark in a text prepared without pair cells is a byte like any other.
    settings.tcyDigits = false;
    EXPECT_NE(convertedFile("\x1F"
                            "12",
                            settings)
                  .find("\x1F"),
              std::string::npos);
}
