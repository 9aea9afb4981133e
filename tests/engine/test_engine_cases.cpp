// Cases found in review: step-by-step models of the normalisation, the layout and the writer
// checked against the engine, the reader's text-stream rules at block boundaries, settings read
// while a run serves events, and names made from paths.

#include "engine/column_layout.h"
#include "engine/conversion_run.h"
#include "engine/header_recognition.h"
#include "engine/output_name.h"
#include "engine/page_writer.h"
#include "engine/source_reader.h"
#include "engine/text_normalization.h"
#include "support/layout_driver.h"
#include "support/scripted_ui.h"
#include "support/sjis_text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace engine;
using namespace testing_support;

namespace {

bool lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
unsigned char at(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// --- Step-by-step normalisation: line-break step, then the scan that edits the text in place ---

std::string literalLineBreakStep(const std::string& in) {
    std::string out;
    for (std::size_t i = 0; i < in.size();) {
        const unsigned char b = at(in, i);
        if (lead(b)) {
            out += in.substr(i, 2);
            i += 2;
        } else if (b == '\n') {
            out += "\r\n";
            ++i;
        } else if (b == '\r') {
            out += "\r\n";
            i += (i + 1 < in.size() && in[i + 1] == '\n') ? 2 : 1;
        } else {
            out += in[i];
            ++i;
        }
    }
    return out;
}

bool pairIs(const std::string& s, std::size_t i, unsigned char a, unsigned char b) {
    return i + 1 < s.size() && at(s, i) == a && at(s, i + 1) == b;
}

std::string literalNormalize(bool verse, int n, std::string text) {
    std::size_t p = 0;
    std::int64_t t = 0;
    while (p < text.size()) {
        const unsigned char b = at(text, p);
        if (lead(b)) {
            p += 2;
            ++t;
        } else if (b == '\r') {
            text.erase(p, 2);
            const std::int64_t r = t % n;
            std::int64_t k = 0;
            const bool nextEmpty = p < text.size() && text[p] == '\r';
            if (nextEmpty) {
                k = r == 0 ? n : 2 * n - r;
            } else if (verse) {
                k = r == 0 ? 0 : n - r;
            } else if (pairIs(text, p, 0x81, 0x40)) {
                k = r == 0 || pairIs(text, p + 2, 0x81, 0x40) ? 0 : n - r;
            } else if (pairIs(text, p, 0x81, 0x75)) {
                k = r == 0 ? 0 : n - r;
            } else if (p >= 2 && pairIs(text, p - 2, 0x81, 0x76)) {
                k = r == 0 ? 0 : n - r;
            }
            std::string spaces;
            for (std::int64_t i = 0; i < k; ++i)
                spaces += "\x81\x40";
            text.insert(p, spaces);
        } else if (b >= 0xA0 && b <= 0xDF && p + 1 < text.size() &&
                   (at(text, p + 1) == 0xDE || at(text, p + 1) == 0xDF)) {
            p += 2;
            ++t;
        } else {
            ++p;
            ++t;
        }
    }
    return text;
}

std::string engineNormalize(bool verse, int n, std::string text) {
    PageGeometry g;
    g.rowCount = n;
    NoEventPump pump;
    if (verse)
        NormalizeVerse(g, text, pump);
    else
        NormalizeProse(g, text, pump);
    return text;
}

// --- Step-by-step layout and writer -----------------------------------------------------------

std::string fullWidthOf(unsigned char b) {
    // 0x20-0x7E in code page 932 order of the full-width forms.
    static const std::string table = sj("　！”＃＄％＆’（）＊＋，－．／０１２３４５６７８９：；＜＝＞？"
                                        "＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ［￥］＾＿"
                                        "‘ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝￣");
    return table.substr(2 * (b - 0x20), 2);
}

std::string kanaOf(unsigned char b) {
    static const std::string table =
        sj("　。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハ"
           "ヒフヘホマミムメモヤユヨラリルレロワン゛゜");
    return table.substr(2 * (b - 0xA0), 2);
}

struct Model {
    int rowCount;
    int textLength;
    int columnSlots;
    std::string spacer;
    int cursor = 1;
    bool exhausted = false;
    std::string rows[32];

    bool buildColumn(const std::string& text) {
        for (int i = 0; i < rowCount; ++i) {
            if (cursor >= textLength) {
                exhausted = true;
                return true;
            }
            const unsigned char b = at(text, cursor - 1);
            std::string cell;
            int step = 1;
            if (lead(b) && cursor + 1 == textLength) {
                cell = "\x81\xac"; // a lone lead byte in front of the end byte: 〓
            } else if (lead(b)) {
                const unsigned char c = at(text, cursor);
                step = 2;
                if (b == 0x81 && c == 0x42)
                    cell = " \xdf";
                else if (b == 0x81 && c == 0x41)
                    cell = " `";
                else if (b == 0x81 && (c == 0x5B || c == 0x5C))
                    cell = "\x81\x62";
                else
                    cell = text.substr(cursor - 1, 2);
            } else if (b == 0x2D) {
                cell = "\x81\x62";
            } else if (b >= 0x20 && b <= 0x7E) {
                cell = fullWidthOf(b);
            } else if (b >= 0xA0 && b <= 0xDF && (at(text, cursor) == 0xDE || at(text, cursor) == 0xDF)) {
                cell = text.substr(cursor - 1, 2);
                step = 2;
            } else if (b >= 0xA0 && b <= 0xDF) {
                cell = kanaOf(b);
            } else {
                cell = text.substr(cursor - 1, 1);
            }
            rows[i].insert(0, cell);
            cursor += step;
        }
        return false;
    }
    bool packedPage(const std::string& text) {
        for (auto& r : rows)
            r.clear();
        bool result = false;
        for (int k = 0; k < columnSlots; ++k)
            result = buildColumn(text);
        return result;
    }
    bool spacedPage(const std::string& text) {
        for (auto& r : rows)
            r.clear();
        if (spacer == " ")
            for (int i = 0; i < rowCount; ++i)
                rows[i].insert(0, " ");
        for (int slot = columnSlots; slot >= 1; --slot) {
            if (slot % 2 == 0)
                buildColumn(text);
            else
                for (int i = 0; i < rowCount; ++i)
                    rows[i].insert(0, spacer);
        }
        return exhausted;
    }
    // WritePage through a text stream that stores every LF as CR LF.
    void writePage(std::string& out) {
        std::string page = "\n";
        for (int i = 0; i < rowCount; ++i) {
            std::string row = rows[i];
            if (row.size() < 40)
                row.insert(0, 40 - row.size(), ' ');
            page += row + "\n";
        }
        for (const char c : page)
            out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
};

// The bytes an output file holds for a prepared text (end byte included).
std::string modelFile(int rowCount, int columnSlots, const std::string& spacer, bool packed,
                      const std::string& text) {
    Model m{rowCount, static_cast<int>(text.size()), columnSlots, spacer};
    std::string out;
    for (int page = 0; page < 100000; ++page) {
        const bool done = packed ? m.packedPage(text) : m.spacedPage(text);
        m.writePage(out);
        if (done)
            break;
    }
    out += "\r\n";
    return out;
}

// Random source text as read (no CR unless asked), with the pieces the rules care about.
std::string randomText(std::mt19937& rng, std::size_t pieces, bool withCr) {
    static const char* const common[] = {
        "\x8e\x9a", "\x8e\x9a", "\x8e\x9a", "a", "\x81\x40", "\x81\x75", "\x81\x76", "\n", "\n\n",
        "\xb6",     "\xde",     "\xb6\xde", " ", "\x09",     "\x81",     "\x76",     "\x88\x81",
        "\x81\x42", "-",        "\x81\x5b", "\x80", "\xa0",  "\x81\x40\x81\x40", "\xfd"};
    static const char* const crs[] = {"\r", "\r\n", "\r\r\n", "\n\r"};
    std::string s;
    for (std::size_t i = 0; i < pieces; ++i) {
        if (withCr && rng() % 10 == 0)
            s += crs[rng() % std::size(crs)];
        else
            s += common[rng() % std::size(common)];
    }
    if (rng() % 4 == 0)
        s += "\x82"; // cut off by the end of the file
    return s + "\xFF";
}

const int kRowCounts[] = {23, 19, 16, 14, 11, 10, 9, 8, 7};

} // namespace

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
    const char* const pieces[] = {"\x82\n\n\x81\x40X", "\xb6\xde\n\x81\x75", "\x81\x76\n\n",
                                  "\n\x81\x40\x81\x40", "\xb6\n\xde", "\x81\n\x81\x76\nY"};
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

TEST(LayoutCases, CountedPagesMatchTheLaidOutPages) {
    std::mt19937 rng(74);
    for (int iteration = 0; iteration < 300; ++iteration) {
        const int gyokan = static_cast<int>(rng() % 5);
        const int charsize = static_cast<int>(rng() % 2);
        std::string text = randomText(rng, rng() % 3000, false);
        text = engineNormalize(false, RowCountFor(gyokan, charsize), text);
        for (const int spaceline : {0, 1, 2}) {
            PageGeometry g = MakePageGeometry(gyokan, charsize, spaceline);
            g.textLength = static_cast<std::int32_t>(text.size());
            LayoutState state;
            PageRows rows;
            std::int64_t pages = 0;
            for (bool done = false; !done; ++pages)
                done = LayoutPage(spaceline, g, text, rows, state);
            ASSERT_EQ(CountPages(g, spaceline == 2, text), pages) << "spaceline " << spaceline;
        }
    }
}

// --- Reading the source --------------------------------------------------------------------

namespace {

std::string readThrough(const std::string& bytes) {
    TempDir dir;
    const std::string path = dir.file("src.txt");
    writeFile(path, bytes);
    NoEventPump pump;
    std::string error;
    const auto text = ReadSourceText(path, pump, error);
    return text ? *text : "<unreadable: " + error + ">";
}

} // namespace

TEST(SourceReadingCases, CrDroppedEverywhereEvenInsideACharacter) {
    EXPECT_EQ(hex(readThrough("a\rb\r\r\nc\x82\r\xa0\r")), hex("ab\nc\x82\xa0\xFF"));
}

TEST(SourceReadingCases, FirstEndOfFileMarkEndsTheTextEvenAsASecondByte) {
    // The text stream knows nothing of double-byte characters: 0x82 0x1A ends the text after 0x82.
    EXPECT_EQ(hex(readThrough("x\x82\x1a" "after\x1a")), hex("x\x82\xFF"));
}

TEST(SourceReadingCases, MarksAtTheReadBlockBoundary) {
    const std::size_t block = kEventPumpBlock;
    // A CR LF pair split by the block boundary.
    std::string bytes(block - 1, 'a');
    bytes += "\r\nb";
    EXPECT_EQ(readThrough(bytes), std::string(block - 1, 'a') + "\nb\xFF");
    // 0x1A as the first byte of the second block.
    bytes = std::string(block, 'a') + "\x1a" + "rest";
    EXPECT_EQ(readThrough(bytes), std::string(block, 'a') + "\xFF");
    // A file of exactly one block.
    bytes = std::string(block, 'z');
    EXPECT_EQ(readThrough(bytes), bytes + "\xFF");
}

TEST(SourceReadingCases, EmptyFileIsTheEndByteAlone) {
    EXPECT_EQ(hex(readThrough("")), "FF");
    EXPECT_EQ(hex(readThrough("\r\r\x1a" "abc")), "FF");
}

// --- Whole runs --------------------------------------------------------------------------------

namespace {

struct RunFixture {
    TempDir dir;
    ScriptedUi ui;
    ListOfFiles list;
    settings::Settings settings;

    std::string addSource(const std::string& name, const std::string& bytes) {
        const std::string path = dir.file(name);
        writeFile(path, bytes);
        list.entries.push_back({path, true});
        return path;
    }
    void run() { RunConversion(list, "", settings, ui); }
};

} // namespace

TEST(RunCases, EndOfFileMarkAfterALeadByteLeavesTheGetaMark) {
    RunFixture f;
    f.addSource("a.txt", "\x82\x1a" "never read");
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    // One page of 23 rows with one-byte blank columns: 〓 in the first text column of row 0.
    std::string want = "\r\n" + std::string(37, ' ') + "\x81\xac \r\n";
    for (int r = 1; r < 23; ++r)
        want += std::string(40, ' ') + "\r\n";
    want += "\r\n";
    EXPECT_EQ(hex(readFile(f.dir.file("out.txt"))), hex(want));
}

TEST(RunCases, LineFeedAsSecondByteIsStoredAsCrLfInsideTheRow) {
    RunFixture f;
    f.settings.spaceline = 2;
    f.settings.gyokan = 3;
    f.settings.charsize = 1; // 7 rows
    f.addSource("a.txt", "\x82\r\nX");
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.run();
    std::string want = "\r\n" + std::string(38, ' ') + "\x82\r\n\r\n";
    want += std::string(38, ' ') + "\x82\x77\r\n"; // Ｘ
    for (int r = 2; r < 7; ++r)
        want += std::string(40, ' ') + "\r\n";
    want += "\r\n";
    EXPECT_EQ(hex(readFile(f.dir.file("out.txt"))), hex(want));
}

TEST(RunCases, SplitOutputTakesTheBlankColumnChoiceAnewForEveryPage) {
    // Two-byte blank columns at the start; after the first page has been written the user turns
    // blank columns off. The second page is laid out without them, with 20 columns.
    RunFixture f;
    f.settings.gyokan = 3;
    f.settings.charsize = 1; // 7 rows
    f.settings.spaceline = 0;
    f.settings.usedivision = true;
    f.settings.divisionsize = 5000;
    const std::string ji = sj("字");
    f.addSource("a.txt", repeat(ji, 90));
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.ui.onEvents = [&] {
        if (!f.ui.progress.empty())
            f.settings.spaceline = 2;
    };
    f.run();
    std::string want = "\r\n";
    for (int r = 0; r < 7; ++r)
        want += repeat("\x81\x40" + ji, 10) + "\r\n";
    want += "\r\n";
    for (int r = 0; r < 6; ++r)
        want += std::string(34, ' ') + repeat(ji, 3) + "\r\n";
    want += std::string(36, ' ') + repeat(ji, 2) + "\r\n";
    want += "\r\n";
    EXPECT_EQ(hex(readFile(f.dir.file("out.txt"))), hex(want));
}

TEST(RunCases, UnsplitOutputKeepsItsBlankColumnChoiceForTheWholeEntry) {
    RunFixture f;
    f.settings.gyokan = 3;
    f.settings.charsize = 1;
    f.settings.spaceline = 0;
    const std::string ji = sj("字");
    f.addSource("a.txt", repeat(ji, 90));
    f.ui.outputPaths.push_back(f.dir.file("out.txt"));
    f.ui.onEvents = [&] {
        if (!f.ui.progress.empty())
            f.settings.spaceline = 2;
    };
    f.run();
    std::string want = "\r\n";
    for (int r = 0; r < 7; ++r)
        want += repeat("\x81\x40" + ji, 10) + "\r\n";
    want += "\r\n";
    for (int r = 0; r < 6; ++r)
        want += std::string(14, ' ') + repeat("\x81\x40", 7) + repeat("\x81\x40" + ji, 3) + "\r\n";
    want += std::string(16, ' ') + repeat("\x81\x40", 8) + repeat("\x81\x40" + ji, 2) + "\r\n";
    want += "\r\n";
    EXPECT_EQ(hex(readFile(f.dir.file("out.txt"))), hex(want));
}

namespace {

// Exit status 0 when the second entry's output is as it should be.
[[noreturn]] void convertWithBlankColumnsTurnedOffMidway() {
    RunFixture f;
    f.settings.gyokan = 3;
    f.settings.charsize = 1; // 7 rows
    f.settings.spaceline = 1;
    f.addSource("first.txt", "x");
    const std::string ji = sj("字");
    f.addSource("second.txt", repeat(ji, 190));
    f.ui.outputPaths = {f.dir.file("first.out"), f.dir.file("second.out")};
    f.ui.onEvents = [&] {
        if (!f.ui.progress.empty())
            f.settings.spaceline = 2;
    };
    f.run();
    // Packed pages of 20 columns, as a run started without blank columns makes them: 140
    // characters fill the first page, the other 50 take seven columns and one cell.
    std::string want = "\r\n";
    for (int r = 0; r < 7; ++r)
        want += repeat(ji, 20) + "\r\n";
    want += "\r\n" + std::string(24, ' ') + repeat(ji, 8) + "\r\n";
    for (int r = 1; r < 7; ++r)
        want += std::string(26, ' ') + repeat(ji, 7) + "\r\n";
    want += "\r\n";
    std::exit(readFile(f.dir.file("second.out")) == want ? 0 : 3);
}

} // namespace

TEST(RunCases, BlankColumnsTurnedOffDuringARunDoNotCorruptTheNextEntry) {
    // The run fixes its geometry (26 column slots with one-byte blank columns) at its start, while
    // the layout is chosen per entry. Turning blank columns off while the first entry is converted
    // lays the second one out packed, still in rows of 40 bytes. Run in a child process, so a row
    // overflowing its buffer shows as a failure rather than taking the tests down.
    EXPECT_EXIT(convertWithBlankColumnsTurnedOffMidway(), ::testing::ExitedWithCode(0), "");
}

// --- Names --------------------------------------------------------------------------------------

#ifndef _WIN32
TEST(NameCases, BackslashInAFileNameIsNoFolderSeparatorHere) {
    RunFixture f;
    f.addSource("draft\\v2.txt", "abc");
    f.run(); // the save question is cancelled
    ASSERT_EQ(f.ui.proposedNames.size(), 1u);
    EXPECT_EQ(f.ui.proposedNames[0], "draft\\v2.txt");
    EXPECT_EQ(NumberedOutputName("/books/v1.2\\draft", 3), "/books/v1_3.txt");
}
#endif

TEST(NameCases, NumberedNamesCutAtTheLastDotOfTheFileNameOnly) {
    EXPECT_EQ(NumberedOutputName("/books.d/tale", 1), "/books.d/tale_1.txt");
    EXPECT_EQ(NumberedOutputName("/books/tale.tar.gz", 12), "/books/tale.tar_12.txt");
    EXPECT_EQ(NumberedOutputName("/books/.hidden", 2), "/books/_2.txt");
    EXPECT_EQ(NumberedOutputName("tale.", 1), "tale_1.txt");
}
