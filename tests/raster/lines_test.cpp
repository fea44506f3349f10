#include "raster/lines.h"

#include "raster/curves.h"
#include "raster_helpers.h"

// (0,0)-(4,1): the accumulator adds 16384 per column and wraps at column 4;
// steep, the same transposed. (Clipping is left to the robustness test.)
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
    for (const auto& [start, end] : {std::pair{10, 40}, {-6, 40}, {20, 20}}) {
        const PixelSet drawn = DrawnPixels([&] { DrawDashedLine(surface, start, 8, end, 8, 0x0F0F); });
        for (int x = 0; x <= 40; ++x) EXPECT_EQ(drawn.count({x, 8}), x >= start && x <= end && ((x - std::max(start, 0)) & 4) == 0) << x;
    }
}

// Twice the signed area of a curve's triangle, exactly.
static __int128 Area(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    return static_cast<__int128>(x1 - x0) * (y2 - y0) - static_cast<__int128>(x2 - x0) * (y1 - y0);
}

// Midpoint subdivision until the area is below 1024; chords in pixels, in order.
static void Subdivide(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t x2, int64_t y2, std::vector<std::array<int32_t, 4>>* out) {
    const __int128 area = Area(x0, y0, x1, y1, x2, y2);
    if (area < 1024 && area > -1024) return out->push_back({int32_t(x0 >> 4), int32_t(y0 >> 4), int32_t(x2 >> 4), int32_t(y2 >> 4)});
    const int64_t lx = (x0 + x1) >> 1, ly = (y0 + y1) >> 1, rx = (x1 + x2) >> 1, ry = (y1 + y2) >> 1;
    Subdivide(x0, y0, lx, ly, (lx + rx) >> 1, (ly + ry) >> 1, out);
    Subdivide((lx + rx) >> 1, (ly + ry) >> 1, rx, ry, x2, y2, out);
}

// A curve is drawn as the reference's chords, also where the area needs over
// 32 bits; the flatness test agrees with the exact area for coordinates near
// +-2^30 and the 32-bit limits (where the test changes its form), small and
// of every size.
TEST(Curves, ChordsFollowTheMidpointSubdivisionByTheExactArea) {
    const int32_t curves[][6] = {
        {0, 0, 800, 0, 800, 800}, {160, 3000, 1900, 100, 3700, 4900}, {3800, 5000, -900, 2000, 3800, 160}, {1607, 803, 3, 4960, 3695, 4809},
        {-480000, 4800, 1920, -3200, 483840, 4800}, {1920 - 262144, 4800, 1920, 4800 - 8192, 1920 + 262144, 4800}};  // area exactly 2^32
    for (const auto& c : curves) {
        std::vector<std::array<int32_t, 4>> chords;
        Subdivide(c[0], c[1], c[2], c[3], c[4], c[5], &chords);
        EXPECT_EQ(DrawnSurface([&] { CurveToLines(surface, c[0], c[1], c[2], c[3], c[4], c[5]); }),
                  DrawnSurface([&] { for (const auto& k : chords) DrawLine(surface, k[0], k[1], k[2], k[3]); })) << c[0] << "," << c[1];
    }
    std::mt19937 rng(3);
    int mismatches = 0;
    for (int i = 0; i < 200000; ++i) {
        int32_t v[6];
        for (int32_t& c : v) {
            const int32_t noise = static_cast<int32_t>(rng() % 65) - 32;
            const int32_t choices[4] = {noise, Add32(static_cast<int32_t>((rng() % 4) << 30), noise),
                                        noise < 0 ? INT32_MIN - noise : INT32_MAX - noise, static_cast<int32_t>(rng()) >> (rng() % 32)};
            c = choices[rng() % 4];
        }
        const __int128 area = Area(v[0], v[1], v[2], v[3], v[4], v[5]);
        mismatches += CurveTooCurved(v[0], v[1], v[2], v[3], v[4], v[5]) != (area >= 1024 || area <= -1024);
    }
    EXPECT_EQ(mismatches, 0);
}
