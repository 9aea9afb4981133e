#include "settings/page_size_estimate.h"

#include <gtest/gtest.h>

using namespace settings;

TEST(PageSizeEstimate, BytesPerPageTable) {
    const int normal[] = {968, 800, 674, 590, 484};
    const int doubleHeight[] = {422, 380, 338, 296, 484};
    for (int gyokan = 0; gyokan < 5; ++gyokan) {
        EXPECT_EQ(BytesPerPage(gyokan, 0), normal[gyokan]) << gyokan;
        EXPECT_EQ(BytesPerPage(gyokan, 1), doubleHeight[gyokan]) << gyokan;
        EXPECT_EQ(BytesPerPage(gyokan, -1), doubleHeight[gyokan]) << gyokan; // no size choice
    }
    // Rows of a page: 2 bytes of separator and 42 per row.
    EXPECT_EQ(BytesPerPage(0, 0), 2 + 42 * 23);
    EXPECT_EQ(BytesPerPage(3, 1), 2 + 42 * 7);
}

TEST(PageSizeEstimate, NoLineSpacingChoiceLeavesLabel) {
    EXPECT_FALSE(PageSizeEstimateKb(-1, 0, 31));
    EXPECT_FALSE(PageSizeEstimateKb(5, 0, 31));
    EXPECT_FALSE(BytesPerPage(-1, 1));
}

TEST(PageSizeEstimate, WorkedExamples) {
    const struct {
        int gyokan, charsize, pages, kilobytes;
    } cases[] = {
        {0, 0, 1, 0},       {4, 0, 1, 0},       {0, 1, 1, 0},         {3, 1, 1, 0},
        {0, 0, 2, 1},       {1, 0, 2, 1},       {2, 0, 2, 1},         {3, 0, 2, 1},
        {0, 1, 2, 0},       {3, 1, 2, 0},       {4, 0, 2, 0},         {4, 1, 2, 0},
        {0, 0, 31, 29},     {1, 0, 31, 24},     {2, 1, 31, 10},       {4, 0, 31, 14},
        {0, 0, 5000, 4726}, {0, 1, 5000, 2060}, {1, 0, 5000, 3906},   {3, 1, 5000, 1445},
        {4, 0, 5000, 2363}, {4, 1, 5000, 2363}, {0, 0, 32767, 30975}, // the widest count a 16-bit field holds
        {0, 0, -3, -2}, // rounded toward zero: -2904 / 1024
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PageSizeEstimateKb(c.gyokan, c.charsize, c.pages), c.kilobytes)
            << c.gyokan << "/" << c.charsize << " x " << c.pages;
    }
}

TEST(PageSizeEstimate, EveryCombinationShowsZeroAtOnePage) {
    for (int gyokan = 0; gyokan < 5; ++gyokan) {
        for (int charsize = -1; charsize < 2; ++charsize)
            EXPECT_EQ(PageSizeEstimateKb(gyokan, charsize, 1), 0);
    }
}
