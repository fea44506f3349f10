#include "raster/lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <numeric>
#include <random>

#include "raster_helpers.h"

// The vertical pass comes first, then the horizontal one; any visible result
// lies on the surface.
TEST(Lines, ClippingMovesEndsOntoTheBorderOrRejectsTheLine) {
    ResetTestSurface();
    const int32_t rows[][9] = {
        {3, 4, 200, 300, 1, 3, 4, 200, 300},     {-100, -100, -1, 500, 0}, {-10, 5, 5, -10, 0},
        {-10, 10, 10, 10, 1, 0, 10, 10, 10},     {0, 0, 400, 400, 1, 0, 0, 239, 239},
        {300, -50, -60, 310, 1, 239, 11, 0, 250}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1, 0, 0, 239, 239}};
    for (const auto& r : rows) {
        int32_t v[4] = {r[0], r[1], r[2], r[3]};
        ASSERT_EQ(ClipLine(surface, &v[0], &v[1], &v[2], &v[3]), r[4]) << r[0] << "," << r[1];
        if (r[4]) { EXPECT_EQ(std::vector<int32_t>(v, v + 4), std::vector<int32_t>(r + 5, r + 9)) << r[0]; }
    }
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX), near(-2000, 2000);
    for (int i = 0; i < 20000; ++i) {
        int32_t v[4];
        for (int32_t& c : v) c = i % 2 ? near(rng) : any(rng);
        if (!ClipLine(surface, &v[0], &v[1], &v[2], &v[3])) continue;
        ASSERT_TRUE(v[0] >= 0 && v[0] < 240 && v[2] >= 0 && v[2] < 240 && v[1] >= 0 && v[1] < 320 && v[3] >= 0 && v[3] < 320) << i;
    }
}

// (0,0)-(4,1): the accumulator adds 16384 per column and wraps at column 4.
// Turned steep, the line hands out the same coverages transposed; along an
// axis or a diagonal it is a run of full coverage.
TEST(Lines, CoverageIsSplitBetweenPixelPairsAlongTheMajorAxis) {
    const int shallow[][3] = {{0, 0, 256}, {1, 0, 191}, {1, 1, 64}, {2, 0, 127}, {2, 1, 128}, {3, 0, 63}, {3, 1, 192}, {4, 1, 255}};
    for (int steep : {0, 1}) {
        UseRecordingPen();
        DrawLine(surface, 50, 60, steep ? 51 : 54, steep ? 64 : 61);
        int total = 0;
        for (const auto& p : shallow) {
            EXPECT_EQ(CoverageAt(50 + p[steep], 60 + p[1 - steep]), p[2]) << p[0] << "," << p[1] << " steep " << steep;
            total += p[2];
        }
        EXPECT_EQ(std::accumulate(coverage.begin(), coverage.end(), 0), total);
    }
    const int lines[][5] = {{0, 5, 50, 5, 51}, {-10, 10, 10, 10, 11}, {0, 0, 9, 9, 10}, {7, 3, 7, 3, 1}};
    for (const auto& l : lines) {
        UseRecordingPen();
        DrawLine(surface, l[0], l[1], l[2], l[3]);
        EXPECT_EQ(std::count_if(coverage.begin(), coverage.end(), [](int c) { return c >= 255; }), l[4]) << l[0];
        EXPECT_EQ(std::accumulate(hits.begin(), hits.end(), 0), l[4]) << l[0];
    }
}

// Pixel k of a dashed line, counted from its clipped start, is drawn when bit
// k mod 16 of the pattern is set; the marching ants step one pixel an entry.
TEST(Lines, DashPatternBitsSelectPixelsFromTheClippedStart) {
    const int lines[][4] = {{5, 5, 60, 23}, {100, 10, 80, 200}, {3, 300, 230, 290}, {7, 7, 40, 40}};
    for (const auto& l : lines) {
        auto dashed = [&](uint16_t pattern) { return DrawnPixels([&] { DrawDashedLine(surface, l[0], l[1], l[2], l[3], pattern); }); };
        PixelSet all = dashed(0xFFFF), some = dashed(0x3A5C), rest = dashed(0xC5A3);
        EXPECT_EQ(all.size(), size_t(std::max(std::abs(l[2] - l[0]), std::abs(l[3] - l[1])) + 1));
        EXPECT_TRUE(all.count({l[0], l[1]}) && all.count({l[2], l[3]}) && dashed(0).empty());
        EXPECT_EQ(some.size() + rest.size(), all.size());
        some.insert(rest.begin(), rest.end());
        EXPECT_EQ(some, all);
    }
    for (int start : {10, -6, 20}) {
        const PixelSet drawn = DrawnPixels([&] { DrawDashedLine(surface, start, 8, start == 20 ? 20 : 40, 8, 0x0F0F); });
        for (int x = 0; x <= 40; ++x)
            EXPECT_EQ(drawn.count({x, 8}), x >= start && x <= (start == 20 ? 20 : 40) && ((x - std::max(start, 0)) & 4) == 0) << x;
    }
    for (int i = 0; i < 8; ++i) EXPECT_EQ(kMarchingAnts[i], std::rotl(uint16_t{0x0F0F}, i)) << i;
}
