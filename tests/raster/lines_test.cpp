#include "raster/lines.h"

#include "raster_helpers.h"

// (0,0)-(4,1): the accumulator adds 16384 per column and wraps at column 4;
// steep, the same transposed; along an axis or diagonal, full coverage.
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
    for (const auto& l : {std::array{0, 5, 50, 5, 51}, {-10, 10, 10, 10, 11}, {0, 0, 9, 9, 10}, {7, 3, 7, 3, 1}}) {
        UseRecordingPen();
        DrawLine(surface, l[0], l[1], l[2], l[3]);
        EXPECT_EQ(std::count_if(coverage.begin(), coverage.end(), [](int c) { return c >= 255; }), l[4]) << l[0];
        EXPECT_EQ(std::accumulate(hits.begin(), hits.end(), 0), l[4]) << l[0];
    }
}

// Pixel k of a dashed line, counted from its clipped start, is drawn when bit
// k mod 16 of the pattern is set: complementary patterns share the line's
// pixels, ends included.
TEST(Lines, DashPatternBitsSelectPixelsFromTheClippedStart) {
    for (const auto& l : {std::array{5, 5, 60, 23}, {100, 10, 80, 200}, {3, 300, 230, 290}, {7, 7, 40, 40}}) {
        auto dashed = [&](uint16_t pattern) { return DrawnPixels([&] { DrawDashedLine(surface, l[0], l[1], l[2], l[3], pattern); }); };
        PixelSet all = dashed(0xFFFF), some = dashed(0x3A5C), rest = dashed(0xC5A3);
        EXPECT_EQ(all.size(), size_t(std::max(std::abs(l[2] - l[0]), std::abs(l[3] - l[1])) + 1));
        EXPECT_TRUE(all.count({l[0], l[1]}) && all.count({l[2], l[3]}) && dashed(0).empty() && some.size() + rest.size() == all.size());
        some.insert(rest.begin(), rest.end());
        EXPECT_EQ(some, all);
    }
    for (int start : {10, -6, 20}) {
        const int end = start == 20 ? 20 : 40;
        const PixelSet drawn = DrawnPixels([&] { DrawDashedLine(surface, start, 8, end, 8, 0x0F0F); });
        for (int x = 0; x <= 40; ++x) EXPECT_EQ(drawn.count({x, 8}), x >= start && x <= end && ((x - std::max(start, 0)) & 4) == 0) << x;
    }
}
