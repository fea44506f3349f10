#include "raster/lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>

#include "raster_helpers.h"

TEST(PlotPixel, WritesOnlyOnTheSurface) {
    ResetTestSurface();
    PlotPixel(surface, -1, 0);
    PlotPixel(surface, 240, 0);
    PlotPixel(surface, 0, -1);
    PlotPixel(surface, 0, 320);
    PlotPixel(surface, INT32_MIN, INT32_MAX);
    PlotPixel(surface, 239, 319);
    EXPECT_EQ(ChangedPixels(), (PixelSet{{239, 319}}));
    EXPECT_EQ(PixelAt(239, 319), 0x0000);
}

TEST(Spans, EndsInEitherOrderDrawTheSamePixelsClippedToTheSurface) {
    PixelSet reversed = DrawnPixels([] {
        DrawHSpan(surface, 30, 7, 12);
        DrawVSpan(surface, 100, 250, 90);
    });
    EXPECT_EQ(reversed.size(), 19u + 161u);
    EXPECT_EQ(DrawnPixels([] {
                  DrawHSpan(surface, 12, 7, 30);
                  DrawVSpan(surface, 100, 90, 250);
              }),
              reversed);

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
    EXPECT_EQ(DrawnPixels([] { DrawVSpan(surface, 17, -32768, 32767); }).size(), 320u);
}

TEST(ClipLine, MovesEndsOntoTheBorderOrRejectsTheLine) {
    ResetTestSurface();
    struct Row {
        int32_t in[4];
        int visible;
        int32_t out[4];  // checked only for visible lines
    };
    const Row rows[] = {
        {{3, 4, 200, 300}, 1, {3, 4, 200, 300}},
        {{-100, -100, -1, 500}, 0, {}},
        // Passes outside the top-left corner: neither end shares a side.
        {{-10, 5, 5, -10}, 0, {}},
        {{-10, 10, 10, 10}, 1, {0, 10, 10, 10}},
        // Vertical pass first: the end below moves to row 319, then to column 239.
        {{0, 0, 400, 400}, 1, {0, 0, 239, 239}},
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 1, {0, 0, 239, 239}},
    };
    for (const Row& r : rows) {
        int32_t v[4] = {r.in[0], r.in[1], r.in[2], r.in[3]};
        SCOPED_TRACE(testing::Message() << v[0] << "," << v[1] << " " << v[2] << "," << v[3]);
        ASSERT_EQ(ClipLine(surface, &v[0], &v[1], &v[2], &v[3]), r.visible);
        if (r.visible) {
            EXPECT_EQ(std::vector<int32_t>(v, v + 4), std::vector<int32_t>(r.out, r.out + 4));
        }
    }

    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    std::uniform_int_distribution<int32_t> near(-2000, 2000);
    for (int i = 0; i < 20000; ++i) {
        auto pick = [&] { return i % 2 == 0 ? any(rng) : near(rng); };
        int32_t a = pick(), b = pick(), c = pick(), d = pick();
        if (ClipLine(surface, &a, &b, &c, &d)) {
            ASSERT_TRUE(a >= 0 && a < 240 && c >= 0 && c < 240) << i;
            ASSERT_TRUE(b >= 0 && b < 320 && d >= 0 && d < 320) << i;
        }
    }
}

TEST(DrawLine, AxisParallelAndDiagonalLinesHaveFullCoverage) {
    // Line, pixels changed, and an end that is solid black.
    const int rows[][7] = {
        {10, 10, 10, 10, 1, 10, 10}, {0, 5, 50, 5, 51, 50, 5}, {-10, 10, 10, 10, 11, 0, 10}};
    for (const auto& r : rows) {
        PixelSet line = DrawnPixels([&] { DrawLine(surface, r[0], r[1], r[2], r[3]); });
        EXPECT_EQ(line.size(), size_t(r[4]));
        EXPECT_EQ(PixelAt(r[5], r[6]), 0x0000) << r[5] << "," << r[6];
    }
    // The diagonal: full coverage and blank neighbours.
    PixelSet expected;
    for (int i = 0; i < 10; ++i) expected.insert({i, i});
    EXPECT_EQ(DrawnPixels([] { DrawLine(surface, 0, 0, 9, 9); }), expected);
    EXPECT_EQ(PixelAt(0, 0), 0x0000);
    for (int i = 1; i < 10; ++i) EXPECT_EQ(PixelAt(i, i), WhiteAfterCoverage(255));
}

TEST(DrawLine, ShallowLineSplitsCoverageBetweenPixelPairs) {
    // (0,0)-(4,1): the accumulator adds 16384 per column and wraps at column 4.
    ResetTestSurface();
    DrawLine(surface, 0, 0, 4, 1);
    EXPECT_EQ(PixelAt(0, 0), 0x0000);
    const int pixels[][3] = {{1, 0, 191}, {1, 1, 64},  {2, 0, 127}, {2, 1, 128},
                             {3, 0, 63},  {3, 1, 192}, {4, 1, 255}};
    for (const auto& p : pixels)
        EXPECT_EQ(PixelAt(p[0], p[1]), WhiteAfterCoverage(p[2])) << p[0] << "," << p[1];
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
    // Transposed about (50, 50): steep (50 + x, 40 + y) maps to (40 + y, 50 + x).
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(PixelAt(40 + y, 50 + x), steep[y * 10 + x]) << x << "," << y;
}

TEST(DrawLine, XorPenInvertsOnlyTheStartOfASlopedLine) {
    PixelSet changed = DrawnPixels([] { UseXorPen(); DrawLine(surface, 20, 30, 70, 52); }, 0x1234);
    EXPECT_EQ(changed, (PixelSet{{20, 30}}));
    EXPECT_EQ(PixelAt(20, 30), 0x1234 ^ 0xFFFF);
}

TEST(DashedLine, PatternBitsSelectPixelsAlongTheLine) {
    auto dashed = [](const int l[4], uint16_t pattern) {
        return DrawnPixels([&] { DrawDashedLine(surface, l[0], l[1], l[2], l[3], pattern); });
    };
    const int lines[][4] = {{5, 5, 60, 23}, {100, 10, 80, 200}, {3, 300, 230, 290}, {7, 7, 40, 40}};
    for (const auto& l : lines) {
        PixelSet all = dashed(l, 0xFFFF);
        size_t major = std::max(std::abs(l[2] - l[0]), std::abs(l[3] - l[1]));
        EXPECT_EQ(all.size(), major + 1);
        EXPECT_TRUE(all.count({l[0], l[1]}) && all.count({l[2], l[3]}));
        PixelSet some = dashed(l, 0x3A5C), rest = dashed(l, static_cast<uint16_t>(~0x3A5C));
        EXPECT_EQ(some.size() + rest.size(), all.size());
        some.insert(rest.begin(), rest.end());
        EXPECT_EQ(some, all);
    }
    EXPECT_TRUE(dashed(lines[0], 0).empty());
}

TEST(DashedLine, PatternStartsAtTheClippedStartAndWrapsAfterSixteen) {
    ResetTestSurface();
    DrawDashedLine(surface, 10, 5, 30, 5, 0x0F0F);
    for (int k = 0; k <= 20; ++k) EXPECT_EQ(PixelAt(10 + k, 5) == 0, (k & 4) == 0) << k;
    ResetTestSurface();
    DrawDashedLine(surface, -6, 8, 20, 8, 0x0F0F);
    for (int x = 0; x <= 20; ++x) EXPECT_EQ(PixelAt(x, 8) == 0, (x & 4) == 0) << x;
    EXPECT_EQ(DrawnPixels([] { DrawDashedLine(surface, 0, 0, 40, 0, 0x0001); }),
              (PixelSet{{0, 0}, {16, 0}, {32, 0}}));

    // Zero length draws at most its start.
    ResetTestSurface();
    DrawDashedLine(surface, 9, 9, 9, 9, 0xFFFE);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
    DrawDashedLine(surface, 9, 9, 9, 9, 0x0001);
    EXPECT_EQ(ChangedPixels(), (PixelSet{{9, 9}}));
}

TEST(DashedLine, MarchingAntsStepOnePixelPerEntry) {
    const uint16_t expected[8] = {0x0F0F, 0x1E1E, 0x3C3C, 0x7878, 0xF0F0, 0xE1E1, 0xC3C3, 0x8787};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(kMarchingAnts[i], expected[i]) << i;
}
