#include "foundation/managers/PaperSizes.h"

#include "platform/runtime/Exception.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(PaperSizes, NamesInBothOrientations)
{
    EXPECT_EQ(GetPaperSizeName(1, false), "A4 (210 x 297 mm)");
    EXPECT_EQ(GetPaperSizeName(1, true), "A4 (297 x 210 mm)");
    EXPECT_EQ(GetPaperSizeName(10, true), "US Executive (10 1/2 x 7 1/4 in.)");
    EXPECT_EQ(GetPaperSizeName(24, false), "Env. E65 ou DL (110 x 220 mm)");
    // The custom size has no dimensions to turn.
    EXPECT_EQ(GetPaperSizeName(CustomPaperSize, true), "Taille personnalisée");
    EXPECT_EQ(GetPaperSizeName(-1, false), "");
    EXPECT_EQ(GetPaperSizeName(PaperSizeCount, false), "");
}

TEST(PaperSizes, EveryNameHoldsTwoDimensions)
{
    for (int32_t i = 0; i < CustomPaperSize; ++i) {
        const std::string name = PaperSizes(i).Name;
        EXPECT_EQ(std::count(name.begin(), name.end(), '^'), 4) << name;
        EXPECT_EQ(GetPaperSizeName(i, false).find('^'), std::string::npos);
        // Each size is found as itself, upright and turned (the first of
        // equal sizes wins).
        const int32_t found = FindPaperSize(PaperSizes(i).Width, PaperSizes(i).Height);
        EXPECT_LE(found, i);
        EXPECT_EQ(PaperSizes(found).Width, PaperSizes(i).Width) << name;
        EXPECT_EQ(FindPaperSize(PaperSizes(i).Height, PaperSizes(i).Width), found) << name;
    }
    EXPECT_THROW(PaperSizes(PaperSizeCount), EListError);
}

TEST(PaperSizes, MatchedWithinTwentyTwipsInEitherOrientation)
{
    struct {
        int32_t Width, Height, Index, Id;
    } const cases[] = {
        {11905, 16838, 1, 9},    // A4
        {11906, 16838, 1, 9},    // a twip off
        {16838, 11905, 1, 9},    // landscape
        {11925, 16858, 1, 9},    // 20 twips off each way
        {16858, 11885, 1, 9},    // turned and 20 off
        {11926, 16838, 35, 0},   // 21 twips off: custom
        {12240, 15840, 5, 1},    // US Letter
        {15840, 12240, 5, 1},
        {14190, 20069, 3, 12},   // the B4 sheet, 56 twips off the B4 envelope's height
        {14173, 20013, 18, 33},  // the B4 envelope itself
        {24480, 31680, 7, 0},    // a listed size without a paper identifier
        {1440, 1440, 35, 0},
        {-1, -1, 35, 0},         // the custom entry's own values are no match
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindPaperSize(c.Width, c.Height), c.Index) << c.Width << " x " << c.Height;
        EXPECT_EQ(GetPaperSizeId(c.Width, c.Height), c.Id) << c.Width << " x " << c.Height;
    }
}

TEST(PaperSizes, EnvelopesOnly)
{
    EXPECT_EQ(FindEnvelopeSize(11905, 16838), -1);  // an A4 sheet
    EXPECT_EQ(FindEnvelopeSize(6236, 12472), 24);
    EXPECT_EQ(FindEnvelopeSize(12472, 6236), 24);
    EXPECT_EQ(FindEnvelopeSize(9184, 12983), 15);
    EXPECT_EQ(FindEnvelopeSize(5220, 9360), 34);
}
