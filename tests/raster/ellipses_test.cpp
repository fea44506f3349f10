#include "raster/ellipses.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>

#include "raster_helpers.h"

namespace {

// Every pixel of a closed one-pixel outline touches at least two others.
bool IsClosedOutline(const PixelSet& pixels) {
    for (const auto& [x, y] : pixels) {
        int neighbours = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if ((dx != 0 || dy != 0) && pixels.count({x + dx, y + dy})) ++neighbours;
        if (neighbours < 2) return false;
    }
    return true;
}

bool MirrorSymmetric(const PixelSet& pixels, int cx, int cy, bool diagonal) {
    for (const auto& [x, y] : pixels) {
        int dx = x - cx, dy = y - cy;
        if (!pixels.count({cx - dx, cy + dy}) || !pixels.count({cx + dx, cy - dy})) return false;
        if (diagonal && !pixels.count({cx + dy, cy + dx})) return false;
    }
    return true;
}

}  // namespace

TEST(Circle, RingIsClosedSymmetricAndPlotsEachPixelOnce) {
    for (int r : {-3, 0, 1})  // small radii plot the centre
        EXPECT_EQ(DrawnPixels([&] { DrawCircle(surface, 30, 40, r); }), (PixelSet{{30, 40}})) << r;
    for (int r : {2, 5, 17, 60}) {
        PixelSet ring = DrawnPixels([&] { DrawCircle(surface, 120, 160, r); });
        EXPECT_TRUE(IsClosedOutline(ring)) << r;
        EXPECT_TRUE(MirrorSymmetric(ring, 120, 160, true)) << r;
        EXPECT_TRUE(ring.count({120, 160 - r}) && ring.count({120 + r, 160})) << r;
        // Under XOR a pixel plotted twice would cancel out.
        EXPECT_EQ(DrawnPixels([&] { UseXorPen(); DrawCircle(surface, 120, 160, r); }), ring) << r;
    }
}

TEST(Circle, ClipsPixelByPixel) {
    PixelSet quarter = DrawnPixels([&] { DrawCircle(surface, 0, 0, 30); });
    PixelSet whole = DrawnPixels([&] { DrawCircle(surface, 100, 100, 30); });
    for (const auto& [x, y] : whole)
        EXPECT_TRUE(x < 100 || y < 100 || quarter.count({x - 100, y - 100}));
    for (const auto& [x, y] : quarter) EXPECT_TRUE(whole.count({x + 100, y + 100}));
}

TEST(Ellipse, OutlinesAreClosedAndMeetTheirFourAxisEnds) {
    // Equal radii draw a circle.
    PixelSet ring = DrawnPixels([] { DrawEllipse(surface, 60, 70, 10, 10); });
    EXPECT_TRUE(IsClosedOutline(ring));
    EXPECT_TRUE(MirrorSymmetric(ring, 60, 70, true));
    for (const auto& [x, y] : ring) {
        int d2 = (x - 60) * (x - 60) + (y - 70) * (y - 70);
        EXPECT_TRUE(d2 >= 9 * 9 && d2 <= 11 * 11) << x << "," << y;
    }

    PixelSet wide = DrawnPixels([&] { DrawEllipse(surface, 100, 100, 20, 5); });
    for (auto p : {std::make_pair(80, 100), {120, 100}, {100, 95}, {100, 105}})
        EXPECT_TRUE(wide.count(p)) << p.first << "," << p.second;
    for (const auto& [x, y] : wide) EXPECT_TRUE(x >= 80 && x <= 120 && y >= 95 && y <= 105);
    EXPECT_TRUE(IsClosedOutline(wide));
    EXPECT_TRUE(MirrorSymmetric(wide, 100, 100, false));

    // The tall one is the same outline turned on its side.
    PixelSet tall = DrawnPixels([&] { DrawEllipse(surface, 100, 100, 5, 20); });
    ASSERT_EQ(tall.size(), wide.size());
    for (const auto& [x, y] : wide) EXPECT_TRUE(tall.count({100 + (y - 100), 100 + (x - 100)}));
}

TEST(Ellipse, RadiiBelowOneCountAsOne) {
    PixelSet zero = DrawnPixels([&] { DrawEllipse(surface, 50, 50, 0, 7); });
    EXPECT_EQ(DrawnPixels([&] { DrawEllipse(surface, 50, 50, 1, 7); }), zero);
    PixelSet tiny = DrawnPixels([&] { DrawEllipse(surface, 50, 50, -5, -5); });
    EXPECT_LE(tiny.size(), 9u);
    EXPECT_FALSE(tiny.empty());
}

TEST(SoftDisc, RadiusOneIsAPlusAndRadiusTwoFadesBesideTheAxisEnds) {
    EXPECT_EQ(DrawnPixels([&] { FillSoftDisc(surface, 40, 40, 0); }), (PixelSet{{40, 40}}));
    EXPECT_EQ(DrawnPixels([&] { FillSoftDisc(surface, 40, 40, 1); }),
              (PixelSet{{40, 40}, {39, 40}, {41, 40}, {40, 39}, {40, 41}}));
    EXPECT_EQ(PixelAt(40, 40), 0x0000);
    // Each arm is plotted twice at full pen alpha.
    uint16_t arm = BlendColourWords(surface, WhiteAfterCoverage(255), 0x0000, 255);
    EXPECT_EQ(PixelAt(39, 40), arm);
    EXPECT_EQ(PixelAt(40, 41), arm);

    ResetTestSurface();
    FillSoftDisc(surface, 40, 40, 2);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) EXPECT_EQ(PixelAt(40 + dx, 40 + dy), 0x0000);
    for (int c : {38, 42}) {
        EXPECT_EQ(PixelAt(c, c), 0xFFFF);  // corners of the 5 x 5 square
        EXPECT_EQ(PixelAt(c, 80 - c), 0xFFFF);
    }
    for (auto p : {std::make_pair(39, 38), {41, 38}, {38, 39}, {42, 41}, {39, 42}})
        EXPECT_EQ(PixelAt(p.first, p.second), WhiteAfterCoverage(127));
    EXPECT_EQ(CountPixelsNot(0xFFFF), 21);
}

TEST(SoftDisc, XorPenDrawsOnlyTheSolidRowsAndUndoesThem) {
    // A white pen on black: solid pixels become 0xFFFF, rim pixels at most 0xF7DE.
    std::vector<uint16_t> opaque = DrawnSurface([] {
        SetPenColour(surface, {255, 255, 255, 255, 0xFFFF});
        FillSoftDisc(surface, 100, 100, 12);
    }, 0x0000);

    ResetTestSurface(0x5A5A);
    UseXorPen();
    FillSoftDisc(surface, 100, 100, 12);
    // Rim pixels go through the coverage plot only, which XOR leaves alone.
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i)
        EXPECT_EQ(surface.pixel_base[i], opaque[i] == 0xFFFF ? 0x5A5A ^ 0xFFFF : 0x5A5A) << i;
    FillSoftDisc(surface, 100, 100, 12);
    EXPECT_EQ(CountPixelsNot(0x5A5A), 0);
}

TEST(SoftDisc, DiscAtTheCornerShowsItsVisibleQuarter) {
    std::vector<uint16_t> whole = DrawnSurface([] { FillSoftDisc(surface, 100, 100, 25); });
    ResetTestSurface();
    FillSoftDisc(surface, 0, 0, 25);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) EXPECT_EQ(PixelAt(x, y), whole[(y + 100) * 240 + x + 100]);
    EXPECT_EQ(PixelAt(30, 30), 0xFFFF);
}

TEST(EllipseLimits, HugeRadiiAndFarCentresFinishQuickly) {
    const auto start = std::chrono::steady_clock::now();
    ResetTestSurface();
    DrawCircle(surface, 120, 160, INT32_MAX);
    DrawCircle(surface, INT32_MIN, INT32_MAX, INT32_MAX);
    DrawCircle(surface, INT32_MAX, 0, 5);
    DrawEllipse(surface, 120, 160, INT32_MAX, INT32_MAX);
    DrawEllipse(surface, INT32_MIN, 0, INT32_MAX, 3);
    DrawEllipse(surface, 0, INT32_MIN, 5, INT32_MAX);
    FillSoftDisc(surface, INT32_MIN, INT32_MIN, INT32_MAX);
    FillSoftDisc(surface, INT32_MAX, 160, 10);
    // Outlines larger than the surface pass outside it.
    DrawCircle(surface, 120, 160, 32767);
    DrawEllipse(surface, 120, 160, 30000, 32767);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(EllipseLimits, ADiscLargerThanTheSurfaceCoversIt) {
    for (int32_t r : {400, 32767, 1000000, INT32_MAX}) {
        ResetTestSurface();
        FillSoftDisc(surface, 120, 160, r);
        EXPECT_EQ(CountPixelsNot(0x0000), 0) << r;
    }
}
