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

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// ---------------------------------------------------------------------------
// Circles
// ---------------------------------------------------------------------------

TEST(Circle, SmallRadiiPlotTheCentre) {
    for (int r : {-3, 0, 1}) {
        ResetTestSurface();
        DrawCircle(surface, 30, 40, r);
        EXPECT_EQ(ChangedPixels(), (PixelSet{{30, 40}})) << r;
    }
}

TEST(Circle, RingIsClosedSymmetricAndPlotsEachPixelOnce) {
    for (int r : {2, 5, 17, 60}) {
        ResetTestSurface();
        DrawCircle(surface, 120, 160, r);
        PixelSet ring = ChangedPixels();
        EXPECT_TRUE(IsClosedOutline(ring)) << r;
        EXPECT_TRUE(MirrorSymmetric(ring, 120, 160, true)) << r;
        EXPECT_TRUE(ring.count({120, 160 - r}) && ring.count({120 + r, 160})) << r;
        // Under XOR a pixel plotted twice would cancel out.
        ResetTestSurface();
        UseXorPen();
        DrawCircle(surface, 120, 160, r);
        EXPECT_EQ(ChangedPixels(), ring) << r;
    }
}

TEST(Circle, ClipsPixelByPixel) {
    ResetTestSurface();
    DrawCircle(surface, 0, 0, 30);
    PixelSet quarter = ChangedPixels();
    ResetTestSurface();
    DrawCircle(surface, 100, 100, 30);
    PixelSet whole = ChangedPixels();
    for (const auto& [x, y] : whole) {
        if (x >= 100 && y >= 100) {
            EXPECT_TRUE(quarter.count({x - 100, y - 100}));
        }
    }
    for (const auto& [x, y] : quarter) EXPECT_TRUE(whole.count({x + 100, y + 100}));
}

// ---------------------------------------------------------------------------
// Ellipses
// ---------------------------------------------------------------------------

TEST(Ellipse, EqualRadiiDrawACircle) {
    ResetTestSurface();
    DrawEllipse(surface, 60, 70, 10, 10);
    PixelSet ring = ChangedPixels();
    EXPECT_TRUE(IsClosedOutline(ring));
    EXPECT_TRUE(MirrorSymmetric(ring, 60, 70, true));
    for (const auto& [x, y] : ring) {
        int d2 = (x - 60) * (x - 60) + (y - 70) * (y - 70);
        EXPECT_TRUE(d2 >= 9 * 9 && d2 <= 11 * 11) << x << "," << y;
    }
}

TEST(Ellipse, WideEllipseMeetsItsFourAxisEnds) {
    ResetTestSurface();
    DrawEllipse(surface, 100, 100, 20, 5);
    PixelSet wide = ChangedPixels();
    for (auto p : {std::make_pair(80, 100), {120, 100}, {100, 95}, {100, 105}})
        EXPECT_TRUE(wide.count(p)) << p.first << "," << p.second;
    for (const auto& [x, y] : wide) EXPECT_TRUE(x >= 80 && x <= 120 && y >= 95 && y <= 105);
    EXPECT_TRUE(IsClosedOutline(wide));
    EXPECT_TRUE(MirrorSymmetric(wide, 100, 100, false));

    // The tall one is the same outline turned on its side.
    ResetTestSurface();
    DrawEllipse(surface, 100, 100, 5, 20);
    PixelSet tall = ChangedPixels();
    ASSERT_EQ(tall.size(), wide.size());
    for (const auto& [x, y] : wide) EXPECT_TRUE(tall.count({100 + (y - 100), 100 + (x - 100)}));
}

TEST(Ellipse, RadiiBelowOneCountAsOne) {
    ResetTestSurface();
    DrawEllipse(surface, 50, 50, 0, 7);
    PixelSet zero = ChangedPixels();
    ResetTestSurface();
    DrawEllipse(surface, 50, 50, 1, 7);
    EXPECT_EQ(ChangedPixels(), zero);
    ResetTestSurface();
    DrawEllipse(surface, 50, 50, -5, -5);
    PixelSet tiny = ChangedPixels();
    EXPECT_LE(tiny.size(), 9u);
    EXPECT_FALSE(tiny.empty());
}

// ---------------------------------------------------------------------------
// Soft discs
// ---------------------------------------------------------------------------

TEST(SoftDisc, RadiusOneIsAPlus) {
    ResetTestSurface();
    FillSoftDisc(surface, 40, 40, 1);
    EXPECT_EQ(ChangedPixels(), (PixelSet{{40, 40}, {39, 40}, {41, 40}, {40, 39}, {40, 41}}));
    EXPECT_EQ(PixelAt(40, 40), 0x0000);
    // Each arm is plotted twice at full pen alpha.
    uint16_t arm = BlendColourWords(surface, WhiteAfterCoverage(255), 0x0000, 255);
    EXPECT_EQ(PixelAt(39, 40), arm);
    EXPECT_EQ(PixelAt(40, 41), arm);

    ResetTestSurface();
    FillSoftDisc(surface, 40, 40, 0);
    EXPECT_EQ(ChangedPixels(), (PixelSet{{40, 40}}));
}

TEST(SoftDisc, RadiusTwoFadesBesideTheAxisEnds) {
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
    ResetTestSurface(0x0000);
    SetPenColour(surface, {255, 255, 255, 255, 0xFFFF});
    FillSoftDisc(surface, 100, 100, 12);
    std::vector<uint16_t> opaque = Snapshot();

    ResetTestSurface(0x5A5A);
    UseXorPen();
    FillSoftDisc(surface, 100, 100, 12);
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
        uint16_t xored = surface.pixel_base[i];
        if (opaque[i] == 0xFFFF) {
            EXPECT_EQ(xored, 0x5A5A ^ 0xFFFF) << i;
        } else {
            EXPECT_EQ(xored, 0x5A5A) << i;  // rim pixels go through the coverage plot only
        }
    }
    FillSoftDisc(surface, 100, 100, 12);
    EXPECT_EQ(CountPixelsNot(0x5A5A), 0);
}

TEST(SoftDisc, DiscAtTheCornerShowsItsVisibleQuarter) {
    ResetTestSurface();
    FillSoftDisc(surface, 100, 100, 25);
    std::vector<uint16_t> whole = Snapshot();
    ResetTestSurface();
    FillSoftDisc(surface, 0, 0, 25);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) EXPECT_EQ(PixelAt(x, y), whole[(y + 100) * 240 + x + 100]);
    EXPECT_EQ(PixelAt(30, 30), 0xFFFF);
}

// ---------------------------------------------------------------------------
// Extreme input
// ---------------------------------------------------------------------------

TEST(EllipseLimits, HugeRadiiAndFarCentresFinishQuickly) {
    auto start = std::chrono::steady_clock::now();
    ResetTestSurface();
    DrawCircle(surface, 120, 160, INT32_MAX);
    DrawCircle(surface, INT32_MIN, INT32_MAX, INT32_MAX);
    DrawCircle(surface, INT32_MAX, 0, 5);
    DrawEllipse(surface, 120, 160, INT32_MAX, INT32_MAX);
    DrawEllipse(surface, INT32_MIN, 0, INT32_MAX, 3);
    DrawEllipse(surface, 0, INT32_MIN, 5, INT32_MAX);
    FillSoftDisc(surface, INT32_MIN, INT32_MIN, INT32_MAX);
    FillSoftDisc(surface, INT32_MAX, 160, 10);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
    EXPECT_LT(SecondsSince(start), 2.0);
}

TEST(EllipseLimits, ADiscLargerThanTheSurfaceCoversIt) {
    for (int32_t r : {400, 32767, 1000000, INT32_MAX}) {
        ResetTestSurface();
        FillSoftDisc(surface, 120, 160, r);
        EXPECT_EQ(CountPixelsNot(0x0000), 0) << r;
    }
    ResetTestSurface();
    DrawCircle(surface, 120, 160, 32767);
    DrawEllipse(surface, 120, 160, 30000, 32767);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
}
