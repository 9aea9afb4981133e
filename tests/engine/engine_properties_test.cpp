// Properties over generated texts: whatever the mix of characters and line breaks, pages have
// their fixed shape, paging ends, and columns begin where the normalisation put them.
#include "engine/column_layout.h"
#include "engine/page_writer.h"
#include "engine/prepared_text.h"
#include "engine/text_normalization.h"
#include "support/reference_models.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

#include <random>

using namespace engine;
using testing_support::sj;

namespace {

const std::string kMarker = "\x81\xA7"; // 〒 never comes from the generator otherwise

// A random text as read from a file (LF line breaks, no CR), with the end byte.
std::string randomText(std::mt19937& rng, bool markLines) {
    static const std::vector<std::string> pieces = {
        sj("あ"), sj("漢"), sj("。"),   sj("、"),   sj("ー"), sj("「"),   sj("」"),
        sj("　"), "a",      "-",        " ",        "\x09",   "\xB6\xDE", "\xB7",
        "\xDE",   "\xA0",   "\x83\x5C", "\x95\x7C", "~",      "\x80"};
    std::string text;
    const int lineCount = static_cast<int>(rng() % 40);
    for (int l = 0; l < lineCount; ++l) {
        const int length = static_cast<int>(rng() % 4 == 0 ? 0 : rng() % 60);
        if (markLines && length > 0)
            text += (rng() % 2) ? kMarker : sj("　") + kMarker;
        for (int i = 0; i < length; ++i)
            text += pieces[rng() % pieces.size()];
        if (l + 1 < lineCount || rng() % 2)
            text += "\n";
    }
    return text + "\xFF";
}

// Cell index of every marker in a normalised text, counted independently of the engine.
std::vector<std::size_t> markerCells(const std::string& text, bool withIndent) {
    std::vector<std::size_t> cells;
    std::size_t cell = 0;
    for (std::size_t i = 0; i < text.size(); ++cell) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        if (lead && text.compare(i, 2, kMarker) == 0) {
            const bool indented = i >= 2 && text.compare(i - 2, 2, "\x81\x40") == 0;
            if (!withIndent)
                cells.push_back(cell);
            else if (indented)
                cells.push_back(cell - 1);
        }
        if (lead)
            i += 2;
        else if (b >= 0xA0 && b <= 0xDF && i + 1 < text.size() &&
                 (static_cast<unsigned char>(text[i + 1]) == 0xDE ||
                  static_cast<unsigned char>(text[i + 1]) == 0xDF))
            i += 2;
        else
            i += 1;
    }
    return cells;
}

struct Paged {
    std::string file;
    int pages = 0;
    int topRowMarkers = 0;
};

Paged page(const PageGeometry& base, int spaceline, const std::string& text) {
    PageGeometry g = base;
    g.textLength = static_cast<std::int32_t>(text.size());
    LayoutState state;
    PageRows rows;
    Paged result;
    bool exhausted = false;
    while (!exhausted && result.pages < 100000) {
        exhausted = LayoutPage(spaceline, g, text, rows, state);
        for (std::size_t at = rows.row(0).find(kMarker); at != std::string::npos;
             at = rows.row(0).find(kMarker, at + 1))
            ++result.topRowMarkers;
        WritePage(g, result.file, rows);
        ++result.pages;
    }
    result.file += "\r\n";
    EXPECT_TRUE(exhausted) << "paging did not end";
    return result;
}

} // namespace

TEST(EngineProperties, PagesHaveTheirShapeAndPagingEnds) {
    std::mt19937 rng(1234);
    NoEventPump pump;
    for (int round = 0; round < 300; ++round) {
        const int gyokan = round % 5, charsize = (round / 5) % 2, spaceline = (round / 10) % 3;
        const PageGeometry g = MakePageGeometry(gyokan, charsize, spaceline);
        std::string text = randomText(rng, false);
        // Stray LF bytes can only come from a double-byte character whose second byte is 0x0A;
        // the generator makes none, so every LF of the output is a line end of the writer's.
        text = testing_support::literalLineBreakStep(text);
        if (round % 2)
            NormalizeVerse(g, text, pump);
        else
            NormalizeProse(g, text, pump);
        ASSERT_EQ(text.find_first_of("\r\n"), std::string::npos);
        ASSERT_EQ(text.back(), '\xFF');

        const Paged paged = page(g, spaceline, text);
        const std::size_t pageBytes = 2 + 42 * static_cast<std::size_t>(g.rowCount);
        ASSERT_EQ(paged.file.size(), paged.pages * pageBytes + 2);
        for (int p = 0; p < paged.pages; ++p) {
            const std::size_t start = p * pageBytes;
            ASSERT_EQ(paged.file.compare(start, 2, "\r\n"), 0);
            for (int r = 0; r < g.rowCount; ++r) {
                const std::size_t line = start + 2 + 42 * static_cast<std::size_t>(r);
                ASSERT_EQ(paged.file.compare(line + 40, 2, "\r\n"), 0)
                    << "page " << p << " row " << r;
                ASSERT_EQ(paged.file.substr(line, 40).find_first_of("\r\n"), std::string::npos);
            }
        }
    }
}

TEST(EngineProperties, VerseLinesBeginAtTheTopOfAColumn) {
    std::mt19937 rng(99);
    NoEventPump pump;
    for (int round = 0; round < 200; ++round) {
        const PageGeometry g = MakePageGeometry(round % 5, (round / 5) % 2, 2);
        std::string text = randomText(rng, true);
        const std::size_t markers = markerCells(text, false).size();
        text = testing_support::literalLineBreakStep(text);
        NormalizeVerse(g, text, pump);
        int expectedTop = 0;
        for (std::size_t cell : markerCells(text, false)) {
            // A marker opens its line unless the line opens with the full-width space first.
            const bool top = cell % g.rowCount == 0;
            const bool secondCell = cell % g.rowCount == 1;
            ASSERT_TRUE(top || secondCell) << "marker at cell " << cell;
            expectedTop += top;
        }
        EXPECT_EQ(markerCells(text, false).size(), markers);
        // The layout puts exactly those markers in the top row of their column.
        EXPECT_EQ(page(g, 2, text).topRowMarkers, expectedTop);
    }
}

// With Aozora Bunko's notation taken out, every source line starts a column of its own whatever
// the verse setting: the pages are those of the verse setting.
TEST(EngineProperties, AozoraLinesAreNeverJoined) {
    std::mt19937 rng(31);
    NoEventPump pump;
    for (int round = 0; round < 100; ++round) {
        const PageGeometry g = MakePageGeometry(round % 5, (round / 5) % 2, 2);
        std::string text = randomText(rng, true);
        text.pop_back(); // the end byte: PrepareText adds its own
        Settings prose;
        prose.aozora = true;
        prose.usereturn = false;
        Settings verse = prose;
        verse.usereturn = true;
        SourceText source;
        source.text = text;
        const auto fromProse = PrepareText(source, nullptr, g, prose, pump);
        const auto fromVerse = PrepareText(source, nullptr, g, verse, pump);
        ASSERT_TRUE(fromProse && fromVerse);
        EXPECT_EQ(fromProse->text, fromVerse->text) << "round " << round;
        EXPECT_EQ(fromProse->pageCount, fromVerse->pageCount);
    }
}

TEST(EngineProperties, ProseParagraphsBeginAtTheTopOfAColumn) {
    std::mt19937 rng(7);
    NoEventPump pump;
    for (int round = 0; round < 200; ++round) {
        const PageGeometry g = MakePageGeometry(round % 5, (round / 5) % 2, 2);
        std::string text = randomText(rng, true);
        // Only paragraphs that open the text or follow a line break count: a line opening with
        // "　〒" after a line break is a new paragraph unless its indent is doubled, which the
        // generator cannot make (〒 follows the single space).
        text = testing_support::literalLineBreakStep(text);
        const std::string before = text;
        NormalizeProse(g, text, pump);
        std::size_t paragraphs = 0;
        for (std::size_t at = before.find("\r\n\x81\x40" + kMarker); at != std::string::npos;
             at = before.find("\r\n\x81\x40" + kMarker, at + 1))
            ++paragraphs;
        std::size_t atTop = 0;
        for (std::size_t cell : markerCells(text, true))
            atTop += cell % g.rowCount == 0;
        EXPECT_GE(atTop, paragraphs) << "round " << round;
    }
}

// The straight way for pages of two-byte cells makes, page for page, the bytes the layout and the
// writer make, and declines every page it cannot make so. Texts run mostly on two-byte characters
// (so that many pages are all of them) with now and then a cell of another kind.
TEST(EngineProperties, TwoByteCellPagesComeOutAsTheLayoutMakesThem) {
    static const std::vector<std::string> rare = {"a",
                                                  "-",
                                                  "\x09",
                                                  "\x80",
                                                  "\xB6\xDE",
                                                  "\xB7",
                                                  "\xDE",
                                                  "\xA0",
                                                  "\x1F"
                                                  "12",
                                                  "\x1F"
                                                  "1",
                                                  "\x88\x0A",
                                                  "\x81\x5B",
                                                  "\xFD",
                                                  "\x81\x42",
                                                  "\x81\x41",
                                                  "\x81\x5C",
                                                  "\x81\x62",
                                                  "\x88"};
    static const std::vector<std::string> common = {sj("あ"),   sj("漢"),   sj("「"),
                                                    "\x83\x5C", "\x95\x7C", sj("　")};
    std::mt19937 rng(2026);
    int straight = 0;
    int declined = 0;
    for (int round = 0; round < 400; ++round) {
        const int spaceline = round % 4 - 1;
        PageGeometry g = MakePageGeometry(round % 5, (round / 5) % 2, spaceline);
        g.pairCells = round % 3 == 0;
        const int oddEvery = 50 + static_cast<int>(rng() % 2000);
        std::string text;
        const int cells = static_cast<int>(rng() % 3000);
        for (int c = 0; c < cells; ++c)
            text += static_cast<int>(rng() % oddEvery) == 0 ? rare[rng() % rare.size()]
                                                            : common[rng() % common.size()];
        text += "\xFF";
        g.textLength = static_cast<std::int32_t>(text.size());

        LayoutState state;
        PageRows rows;
        for (bool exhausted = false; !exhausted;) {
            const LayoutState before = state;
            LayoutState fromStraight = state;
            std::string viaStraight = "before";
            const bool tookIt =
                AppendTwoByteCellPage(spaceline, g, text, fromStraight, viaStraight);
            std::string viaLayout = "before";
            exhausted = LayoutPage(spaceline, g, text, rows, state);
            WritePage(g, viaLayout, rows);
            if (!tookIt) {
                ++declined;
                ASSERT_EQ(viaStraight, "before") << "round " << round;
                ASSERT_EQ(fromStraight.textCursor, before.textCursor) << "round " << round;
                ASSERT_EQ(fromStraight.textExhausted, before.textExhausted);
                continue;
            }
            ++straight;
            ASSERT_EQ(viaStraight, viaLayout)
                << "round " << round << " cursor " << state.textCursor;
            ASSERT_EQ(fromStraight.textCursor, state.textCursor) << "round " << round;
            ASSERT_FALSE(exhausted) << "round " << round;
        }
    }
    EXPECT_GT(straight, 1000);
    EXPECT_GT(declined, 400);
}
