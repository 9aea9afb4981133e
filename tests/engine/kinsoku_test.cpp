// Line-head kinsoku: no column starts with a closing mark, ・, ー or a small kana when moving the
// character before them (with them) can help.
#include "engine/text_normalization.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace engine;
using namespace testing_support;

namespace {

// Verse columns of 7 cells: □ stands for a full-width space in the expectations.
std::string normalized(const std::string& utf8, bool kinsoku, const LineLayouts& lines = {},
                       bool verse = true) {
    PageGeometry g;
    g.rowCount = 7;
    std::string text = sj(utf8) + "\xFF";
    NoEventPump pump;
    if (verse)
        NormalizeVerse(g, text, pump, lines, false, kinsoku);
    else
        NormalizeProse(g, text, pump, lines, false, kinsoku);
    return text;
}

std::string cols(const std::string& utf8) {
    std::string s;
    for (std::size_t i = 0; i < utf8.size();) {
        if (utf8.compare(i, 3, "□") == 0) {
            s += "\x81\x40";
            i += 3;
            continue;
        }
        const std::size_t n = (static_cast<unsigned char>(utf8[i]) & 0xE0) == 0xE0 ? 3 : 1;
        s += sj(utf8.substr(i, n));
        i += n;
    }
    return s + "\xFF";
}

} // namespace

TEST(Kinsoku, CharacterBeforeTheMarksMovesWithThem) {
    EXPECT_EQ(hex(normalized("あいうえおかき。", false)), hex(cols("あいうえおかき。")));
    EXPECT_EQ(hex(normalized("あいうえおかき。", true)), hex(cols("あいうえおか□き。")));
    // Two marks: the character before both goes.
    EXPECT_EQ(hex(normalized("あいうえおか。」く", true)), hex(cols("あいうえお□□か。」く")));
    EXPECT_EQ(hex(normalized("あいうえおかきっと", true)), hex(cols("あいうえおか□きっと")));
    EXPECT_EQ(hex(normalized("あいうえおかキャ", true)), hex(cols("あいうえおか□キャ")));
    EXPECT_EQ(hex(normalized("あいうえおかき・", true)), hex(cols("あいうえおか□き・")));
    EXPECT_EQ(hex(normalized("あいうえおかきー", true)), hex(cols("あいうえおか□きー")));
    // Half-width and ASCII marks count as theirs in full width.
    EXPECT_EQ(hex(normalized("abcdefg)", true)), hex(cols("abcdef□g)")));
    EXPECT_EQ(hex(normalized("abcdefg.", true)), hex(cols("abcdef□g.")));
    EXPECT_EQ(hex(normalized("ｱｲｳｴｵｶｷｯ", true)), hex(cols("ｱｲｳｴｵｶ□ｷｯ")));
}

TEST(Kinsoku, NothingMovesWhereItCannotHelp) {
    // Four marks would take four characters along: they stay.
    EXPECT_EQ(hex(normalized("あいう」」」」」", true)),
              hex(normalized("あいう」」」」」", false)));
    // A line that opens with a mark, and marks after a line break, are the source's own.
    EXPECT_EQ(hex(normalized("あいうえおかき\n。", true)), hex(cols("あいうえおかき。")));
    EXPECT_EQ(hex(normalized("。」あ", true)), hex(cols("。」あ")));
    // A column of marks alone.
    EXPECT_EQ(hex(normalized("。。。。。。。。", true)), hex(cols("。。。。。。。。")));
}

TEST(Kinsoku, IndentedLinesKeepTheirIndent) {
    const LineLayouts indented{{0, false, 2, -1}};
    EXPECT_EQ(hex(normalized("あいうえお。", true, indented)), hex(cols("□□あいうえ□□□お。")));
    // The first cell after the indent is the column's first: nothing moves from there.
    const LineLayouts deep{{0, false, 5, -1}};
    EXPECT_EQ(hex(normalized("あい。", true, deep)), hex(cols("□□□□□あ□□□□□□い。")));
    EXPECT_EQ(hex(normalized("あ。。", true, deep)), hex(normalized("あ。。", false, deep)));
}

// Random lines of kana and marks: kinsoku only adds spaces, and a column still starts with a mark
// only where moving at most three characters of its line could not help.
TEST(Kinsoku, ColumnsStartWithMarksOnlyWhereNothingCanMove) {
    const std::vector<std::string> alphabet = {"あ", "か", "。", "」", "っ", "、", "\n"};
    const std::vector<bool> mark = {false, false, true, true, true, true, false};
    std::mt19937 random(11);
    for (int round = 0; round < 400; ++round) {
        const int n = 2 + static_cast<int>(random() % 9);
        std::vector<int> source;
        std::string utf8;
        for (int i = 0, length = static_cast<int>(random() % 60); i < length; ++i) {
            const int k = static_cast<int>(random() % alphabet.size());
            source.push_back(k);
            utf8 += alphabet[k];
        }
        PageGeometry g;
        g.rowCount = n;
        std::string plain = sj(utf8) + "\xFF", kinsoku = plain;
        NoEventPump pump;
        NormalizeVerse(g, plain, pump);
        NormalizeVerse(g, kinsoku, pump, {}, false, true);
        const auto withoutSpaces = [](const std::string& s) {
            std::string out;
            for (std::size_t i = 0; i + 1 < s.size(); i += 2)
                if (s.compare(i, 2, "\x81\x40") != 0)
                    out += s.substr(i, 2);
            return out;
        };
        ASSERT_EQ(withoutSpaces(plain), withoutSpaces(kinsoku)) << utf8;
        // Walk the cells, matching each character to its place in the source.
        std::size_t next = 0; // index into `source`
        for (std::size_t cell = 0; 2 * cell + 1 < kinsoku.size(); ++cell) {
            if (kinsoku.compare(2 * cell, 2, "\x81\x40") == 0)
                continue;
            while (source[next] == 6)
                ++next;
            const std::size_t at = next++;
            if (cell % n != 0 || !mark[source[at]])
                continue;
            // Marks run back to the line's start, or three and more of them, or a column too
            // short to take the character before them.
            std::size_t before = 0;
            std::size_t j = at;
            while (j > 0 && source[j - 1] != 6 && mark[source[j - 1]]) {
                --j;
                ++before;
            }
            const bool lineStart = j == 0 || source[j - 1] == 6;
            EXPECT_TRUE(lineStart || before >= 3 || static_cast<int>(before) + 1 >= n)
                << "round " << round << " n " << n << " cell " << cell << ": " << utf8;
        }
    }
}
