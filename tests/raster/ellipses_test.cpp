#include "raster/ellipses.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "raster_helpers.h"

// Every pixel of a closed outline touches at least two others; the outline
// is symmetric about both axes through the centre (and the diagonal when
// asked), and plots each pixel once: under XOR a pixel plotted twice would
// cancel out.
void ExpectClosedSymmetricOutline(const PixelSet& pixels, int cx, int cy, bool diagonal, uint16_t xor_fill) {
    for (const auto& [x, y] : pixels) {
        int neighbours = -1;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) neighbours += static_cast<int>(pixels.count({x + dx, y + dy}));
        EXPECT_GE(neighbours, 2) << x << "," << y;
        EXPECT_TRUE(pixels.count({2 * cx - x, y}) && pixels.count({x, 2 * cy - y})) << x << "," << y;
        EXPECT_TRUE(!diagonal || pixels.count({cx + y - cy, cy + x - cx})) << x << "," << y;
        EXPECT_EQ(PixelAt(x, y), xor_fill ^ 0xFFFF) << x << "," << y;
    }
}

TEST(Outlines, CirclesAndEllipsesAreClosedSymmetricAndMeetTheirAxisEnds) {
    for (int r : {-3, 0, 1}) EXPECT_EQ(DrawnPixels([&] { DrawCircle(surface, 30, 40, r); }), (PixelSet{{30, 40}}));
    for (int r : {2, 5, 17, 60}) {
        const PixelSet ring = DrawnPixels([&] { UseXorPen(); DrawCircle(surface, 120, 160, r); }, 0x1234);
        ExpectClosedSymmetricOutline(ring, 120, 160, true, 0x1234);
        EXPECT_TRUE(ring.count({120, 160 - r}) && ring.count({120 + r, 160})) << r;
    }
    const PixelSet round = DrawnPixels([] { UseXorPen(); DrawEllipse(surface, 60, 70, 10, 10); }, 0);
    ExpectClosedSymmetricOutline(round, 60, 70, true, 0);
    for (const auto& [x, y] : round)
        EXPECT_TRUE(std::abs(std::hypot(x - 60, y - 70) - 10) <= 1) << x << "," << y;
    const PixelSet wide = DrawnPixels([] { UseXorPen(); DrawEllipse(surface, 100, 100, 20, 5); }, 0);
    ExpectClosedSymmetricOutline(wide, 100, 100, false, 0);
    for (auto p : {std::make_pair(80, 100), {120, 100}, {100, 95}, {100, 105}}) EXPECT_TRUE(wide.count(p));
    for (const auto& [x, y] : wide) EXPECT_TRUE(x >= 80 && x <= 120 && y >= 95 && y <= 105) << x << "," << y;
    // The tall one is the same outline turned on its side; radii below one count as one.
    PixelSet turned;
    for (const auto& [x, y] : wide) turned.insert({y, x});
    EXPECT_EQ(DrawnPixels([] { DrawEllipse(surface, 100, 100, 5, 20); }), turned);
    EXPECT_EQ(DrawnPixels([] { DrawEllipse(surface, 50, 50, 0, 7); }), DrawnPixels([] { DrawEllipse(surface, 50, 50, 1, 7); }));
}

// Radius 1 is a plus whose arms are plotted twice at full coverage; radius 2
// a solid 3 x 3 centre, its axis ends plotted twice and the pixels beside
// them at half coverage. The rim goes through the coverage plot only, which
// XOR leaves alone, and a disc larger than the surface covers it.
TEST(SoftDisc, SolidRowsAndARimOfPartialCoverage) {
    EXPECT_EQ(DrawnPixels([] { FillSoftDisc(surface, 40, 40, 0); }), (PixelSet{{40, 40}}));
    for (int r : {1, 2}) {
        UseRecordingPen();
        FillSoftDisc(surface, 40, 40, r);
        for (int y = 37; y <= 43; ++y)
            for (int x = 37; x <= 43; ++x) {
                const int ax = std::abs(x - 40), ay = std::abs(y - 40), d = ax + ay;
                const int expected = std::max(ax, ay) < r ? 256 : d == r ? 510 : r == 2 && d == 3 && ax < 3 && ay < 3 ? 127 : 0;
                EXPECT_EQ(CoverageAt(x, y), expected) << "radius " << r << " at " << x << "," << y;
            }
    }
    UseRecordingPen();
    FillSoftDisc(surface, 100, 100, 12);
    const std::vector<int> opaque = coverage;
    const std::vector<uint16_t> inverted = DrawnSurface([] { UseXorPen(); FillSoftDisc(surface, 100, 100, 12); }, 0x5A5A);
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i)
        ASSERT_EQ(inverted[i], opaque[i] == 256 ? 0x5A5A ^ 0xFFFF : 0x5A5A) << i;
    for (int32_t r : {400, 32767, 32768, 1000000, INT32_MAX})
        EXPECT_EQ(DrawnPixels([&] { FillSoftDisc(surface, 120, 160, r); }).size(), 76800u) << r;
    EXPECT_EQ(DrawnPixels([] {
                  DrawCircle(surface, 120, 160, 32767);
                  DrawEllipse(surface, 120, 160, 30000, 32767);
              }).size(),
              0u);  // outlines larger than the surface pass outside it
}
