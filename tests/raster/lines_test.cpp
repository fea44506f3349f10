#include "raster/lines.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>

#include "raster_helpers.h"

// ---------------------------------------------------------------------------
// Pixels and spans
// ---------------------------------------------------------------------------

TEST(PlotPixel, WritesOnlyOnTheSurface) {
    ResetTestSurface();
    PlotPixel(surface, -1, 0);
    PlotPixel(surface, 240, 0);
    PlotPixel(surface, 0, -1);
    PlotPixel(surface, 0, 320);
    PlotPixel(surface, INT32_MIN, INT32_MAX);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
    PlotPixel(surface, 239, 319);
    EXPECT_EQ(PixelAt(239, 319), 0x0000);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 1);
}

TEST(Spans, EndsInEitherOrderDrawTheSamePixels) {
    ResetTestSurface();
    DrawHSpan(surface, 30, 7, 12);
    DrawVSpan(surface, 100, 250, 90);
    PixelSet reversed = ChangedPixels();
    ResetTestSurface();
    DrawHSpan(surface, 12, 7, 30);
    DrawVSpan(surface, 100, 90, 250);
    EXPECT_EQ(ChangedPixels(), reversed);
    EXPECT_EQ(reversed.size(), 19u + 161u);
}

TEST(Spans, ClipToTheSurface) {
    ResetTestSurface();
    DrawHSpan(surface, 0, -1, 100);
    DrawHSpan(surface, 0, 320, 100);
    DrawHSpan(surface, -20, 5, -1);
    DrawHSpan(surface, 240, 5, 32767);
    DrawVSpan(surface, -1, 0, 100);
    DrawVSpan(surface, 240, 0, 100);
    DrawVSpan(surface, 5, -32768, -1);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);

    DrawHSpan(surface, -5, 9, 300);
    PixelSet row = ChangedPixels();
    EXPECT_EQ(row.size(), 240u);
    EXPECT_EQ(*row.begin(), std::make_pair(0, 9));
    EXPECT_EQ(*row.rbegin(), std::make_pair(239, 9));

    ResetTestSurface();
    DrawVSpan(surface, 17, -32768, 32767);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 320);
}

// ---------------------------------------------------------------------------
// Clipping
// ---------------------------------------------------------------------------

TEST(ClipLine, KeepsVisibleLinesAndRejectsHiddenOnes) {
    ResetTestSurface();
    int32_t x0 = 3, y0 = 4, x1 = 200, y1 = 300;
    EXPECT_EQ(ClipLine(surface, &x0, &y0, &x1, &y1), 1);
    EXPECT_EQ(x0, 3);
    EXPECT_EQ(y1, 300);

    x0 = -100, y0 = -100, x1 = -1, y1 = 500;
    EXPECT_EQ(ClipLine(surface, &x0, &y0, &x1, &y1), 0);
    // Passes outside the top-left corner: neither end shares a side, yet nothing shows.
    x0 = -10, y0 = 5, x1 = 5, y1 = -10;
    EXPECT_EQ(ClipLine(surface, &x0, &y0, &x1, &y1), 0);
}

TEST(ClipLine, MovesEndsOntoTheBorder) {
    ResetTestSurface();
    int32_t x0 = -10, y0 = 10, x1 = 10, y1 = 10;
    ASSERT_EQ(ClipLine(surface, &x0, &y0, &x1, &y1), 1);
    EXPECT_EQ(x0, 0);
    EXPECT_EQ(y0, 10);

    // Vertical pass first: the end below moves to row 319, then right to column 239.
    x0 = 0, y0 = 0, x1 = 400, y1 = 400;
    ASSERT_EQ(ClipLine(surface, &x0, &y0, &x1, &y1), 1);
    EXPECT_EQ(x1, 239);
    EXPECT_EQ(y1, 239);
}

TEST(ClipLine, HandlesTheFullRangeOfCoordinates) {
    ResetTestSurface();
    int32_t x0 = INT32_MIN, y0 = INT32_MIN, x1 = INT32_MAX, y1 = INT32_MAX;
    ASSERT_EQ(ClipLine(surface, &x0, &y0, &x1, &y1), 1);
    EXPECT_EQ(x0, 0);
    EXPECT_EQ(y0, 0);
    EXPECT_EQ(x1, 239);
    EXPECT_EQ(y1, 239);

    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    std::uniform_int_distribution<int32_t> near(-2000, 2000);
    for (int i = 0; i < 20000; ++i) {
        bool huge = i % 2 == 0;
        int32_t a = huge ? any(rng) : near(rng), b = huge ? any(rng) : near(rng);
        int32_t c = huge ? any(rng) : near(rng), d = huge ? any(rng) : near(rng);
        if (ClipLine(surface, &a, &b, &c, &d)) {
            ASSERT_TRUE(a >= 0 && a < 240 && c >= 0 && c < 240) << i;
            ASSERT_TRUE(b >= 0 && b < 320 && d >= 0 && d < 320) << i;
        }
    }
}

// ---------------------------------------------------------------------------
// Anti-aliased lines
// ---------------------------------------------------------------------------

TEST(DrawLine, AxisParallelLinesAreSolid) {
    ResetTestSurface();
    DrawLine(surface, 10, 10, 10, 10);
    EXPECT_EQ(ChangedPixels(), (PixelSet{{10, 10}}));
    EXPECT_EQ(PixelAt(10, 10), 0x0000);

    ResetTestSurface();
    DrawLine(surface, 0, 5, 50, 5);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 51);
    EXPECT_EQ(PixelAt(50, 5), 0x0000);

    ResetTestSurface();
    DrawLine(surface, -10, 10, 10, 10);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 11);
    EXPECT_EQ(PixelAt(0, 10), 0x0000);
}

TEST(DrawLine, DiagonalHasFullCoverageAndBlankNeighbours) {
    ResetTestSurface();
    DrawLine(surface, 0, 0, 9, 9);
    PixelSet expected;
    for (int i = 0; i < 10; ++i) expected.insert({i, i});
    EXPECT_EQ(ChangedPixels(), expected);
    EXPECT_EQ(PixelAt(0, 0), 0x0000);
    for (int i = 1; i < 10; ++i) EXPECT_EQ(PixelAt(i, i), WhiteAfterCoverage(255));
}

TEST(DrawLine, ShallowLineSplitsCoverageBetweenPixelPairs) {
    // (0,0)-(4,1): the accumulator adds 16384 per column and wraps at column 4.
    ResetTestSurface();
    DrawLine(surface, 0, 0, 4, 1);
    EXPECT_EQ(PixelAt(0, 0), 0x0000);
    EXPECT_EQ(PixelAt(1, 0), WhiteAfterCoverage(191));
    EXPECT_EQ(PixelAt(1, 1), WhiteAfterCoverage(64));
    EXPECT_EQ(PixelAt(2, 0), WhiteAfterCoverage(127));
    EXPECT_EQ(PixelAt(2, 1), WhiteAfterCoverage(128));
    EXPECT_EQ(PixelAt(3, 0), WhiteAfterCoverage(63));
    EXPECT_EQ(PixelAt(3, 1), WhiteAfterCoverage(192));
    EXPECT_EQ(PixelAt(4, 1), WhiteAfterCoverage(255));
    EXPECT_EQ(PixelAt(4, 2), 0xFFFF);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 8);
}

TEST(DrawLine, SteepLineIsTheShallowOneMirrored) {
    ResetTestSurface();
    DrawLine(surface, 50, 50, 53, 40);
    std::vector<uint16_t> steep(10 * 11);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 10; ++x) steep[y * 10 + x] = PixelAt(50 + x, 40 + y);
    ResetTestSurface();
    DrawLine(surface, 50, 50, 40, 53);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 10; ++x)
            // Transpose about (50, 50): steep (50 + x, 40 + y) maps to (40 + y, 50 + x).
            EXPECT_EQ(PixelAt(40 + y, 50 + x), steep[y * 10 + x]) << x << "," << y;
}

TEST(DrawLine, XorPenInvertsOnlyTheStartOfASlopedLine) {
    ResetTestSurface(0x1234);
    UseXorPen();
    DrawLine(surface, 20, 30, 70, 52);
    EXPECT_EQ(ChangedPixels(0x1234), (PixelSet{{20, 30}}));
    EXPECT_EQ(PixelAt(20, 30), 0x1234 ^ 0xFFFF);
}

// ---------------------------------------------------------------------------
// Dashed lines
// ---------------------------------------------------------------------------

TEST(DashedLine, PatternBitsSelectPixelsAlongTheLine) {
    const int lines[][4] = {{5, 5, 60, 23}, {100, 10, 80, 200}, {3, 300, 230, 290}, {7, 7, 40, 40}};
    for (const auto& l : lines) {
        ResetTestSurface();
        DrawDashedLine(surface, l[0], l[1], l[2], l[3], 0xFFFF);
        PixelSet all = ChangedPixels();
        int major = std::max(std::abs(l[2] - l[0]), std::abs(l[3] - l[1]));
        EXPECT_EQ(all.size(), static_cast<size_t>(major + 1));
        EXPECT_TRUE(all.count({l[0], l[1]}) && all.count({l[2], l[3]}));

        ResetTestSurface();
        DrawDashedLine(surface, l[0], l[1], l[2], l[3], 0x3A5C);
        PixelSet some = ChangedPixels();
        ResetTestSurface();
        DrawDashedLine(surface, l[0], l[1], l[2], l[3], static_cast<uint16_t>(~0x3A5C));
        PixelSet rest = ChangedPixels();
        PixelSet joined = some;
        joined.insert(rest.begin(), rest.end());
        EXPECT_EQ(joined, all);
        EXPECT_EQ(some.size() + rest.size(), all.size());
    }
    ResetTestSurface();
    DrawDashedLine(surface, 5, 5, 60, 23, 0);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
}

TEST(DashedLine, FourOnFourOffFromTheClippedStart) {
    ResetTestSurface();
    DrawDashedLine(surface, 10, 5, 30, 5, 0x0F0F);
    for (int k = 0; k <= 20; ++k) EXPECT_EQ(PixelAt(10 + k, 5) == 0, (k & 4) == 0) << k;

    ResetTestSurface();
    DrawDashedLine(surface, -6, 8, 20, 8, 0x0F0F);
    for (int x = 0; x <= 20; ++x) EXPECT_EQ(PixelAt(x, 8) == 0, (x & 4) == 0) << x;

    // The mask wraps after sixteen pixels.
    ResetTestSurface();
    DrawDashedLine(surface, 0, 0, 40, 0, 0x0001);
    EXPECT_EQ(ChangedPixels(), (PixelSet{{0, 0}, {16, 0}, {32, 0}}));
}

TEST(DashedLine, ZeroLengthDrawsAtMostItsStart) {
    ResetTestSurface();
    DrawDashedLine(surface, 9, 9, 9, 9, 0xFFFE);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
    DrawDashedLine(surface, 9, 9, 9, 9, 0x0001);
    EXPECT_EQ(ChangedPixels(), (PixelSet{{9, 9}}));
}

TEST(DashedLine, MarchingAntsStepOnePixelPerEntry) {
    EXPECT_EQ(kMarchingAnts[0], 0x0F0F);
    for (int i = 1; i < 8; ++i) {
        uint16_t previous = kMarchingAnts[i - 1];
        EXPECT_EQ(kMarchingAnts[i], static_cast<uint16_t>(previous << 1 | previous >> 15)) << i;
    }
    EXPECT_EQ(kMarchingAnts[7], 0x8787);
}
