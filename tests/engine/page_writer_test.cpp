#include "engine/page_writer.h"
#include "support/sjis_text.h"

#include <gtest/gtest.h>

using namespace engine;
using testing_support::sj;

TEST(PageWriter, FillsRowsOnTheLeftAndEndsEachLineWithCrLf) {
    PageGeometry g = MakePageGeometry(3, 1, 2); // 7 rows
    PageRows rows;
    rows.prepend(0, sj("今"));
    rows.prepend(0, sj("気"));
    rows.prepend(1, "\x20\x60");
    for (int i = 0; i < 20; ++i)
        rows.prepend(2, sj("字"));
    std::string out;
    WritePage(g, out, rows);
    ASSERT_EQ(out.size(), 2u + 7 * 42);
    EXPECT_EQ(out.substr(0, 2), "\r\n");
    EXPECT_EQ(out.substr(2, 42), std::string(36, ' ') + sj("気今") + "\r\n");
    EXPECT_EQ(out.substr(44, 42), std::string(38, ' ') + " `\r\n");
    // A full row of exactly 40 bytes is written unchanged.
    EXPECT_EQ(out.substr(86, 42), sj("字字字字字字字字字字字字字字字字字字字字") + "\r\n");
    // Empty rows become 40 spaces.
    EXPECT_EQ(out.substr(128, 42), std::string(40, ' ') + "\r\n");
}

TEST(PageWriter, PageSizesForEveryRowCount) {
    const int rowCounts[] = {23, 19, 16, 14, 11, 10, 9, 8, 7};
    const std::size_t sizes[] = {968, 800, 674, 590, 464, 422, 380, 338, 296};
    for (int i = 0; i < 9; ++i) {
        PageGeometry g;
        g.rowCount = rowCounts[i];
        PageRows rows;
        std::string out;
        WritePage(g, out, rows);
        EXPECT_EQ(out.size(), sizes[i]) << rowCounts[i];
    }
}

TEST(PageWriter, StrayLineFeedInsideARowIsStoredAsCrLf) {
    // The second byte of a double-byte character may be 0x0A; the text stream stores it as CR LF.
    PageGeometry g = MakePageGeometry(3, 1, 2);
    PageRows rows;
    rows.prepend(0, "\x81\x0A");
    std::string out;
    WritePage(g, out, rows);
    EXPECT_EQ(out.substr(2, 43), std::string(38, ' ') + "\x81\r\n\r\n");
}

TEST(TextStream, EveryLineFeedBecomesCrLf) {
    std::string out;
    AppendAsTextStream(out, "a\nb\n\nc");
    EXPECT_EQ(out, "a\r\nb\r\n\r\nc");
    AppendAsTextStream(out, "");
    EXPECT_EQ(out, "a\r\nb\r\n\r\nc");
}
