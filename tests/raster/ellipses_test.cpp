#include "raster/ellipses.h"

#include "raster_helpers.h"

// Drawn in XOR, an outline is closed (each pixel touches two others),
// symmetric about both axes (a circle also about the diagonal, and round),
// plotted once per pixel, inside its radii and through their four ends.
TEST(Ellipses, OutlinesAreClosedSymmetricAndPlotEachPixelOnce) {
    for (int r : {-3, 0, 1}) EXPECT_EQ(DrawnPixels([&] { DrawCircle(surface, 30, 40, r); }), (PixelSet{{30, 40}}));
    const int figures[][5] = {{0, 120, 160, 2, 2}, {0, 120, 160, 5, 5}, {0, 120, 160, 17, 17}, {0, 120, 160, 60, 60},
                              {1, 60, 70, 10, 10}, {1, 100, 100, 20, 5}, {1, 100, 100, 5, 20}};
    for (const auto& [ellipse, cx, cy, rx, ry] : figures) {
        const PixelSet pixels = DrawnPixels([&] { UseXorPen(), ellipse ? DrawEllipse(surface, cx, cy, rx, ry) : DrawCircle(surface, cx, cy, rx); }, 0x1234);
        for (const auto& [x, y] : pixels) {
            size_t neighbours = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) neighbours += pixels.count({x + dx, y + dy});
            const bool round = rx != ry || (pixels.count({cx + y - cy, cy + x - cx}) && std::abs(std::hypot(x - cx, y - cy) - rx) <= 1.0);
            EXPECT_TRUE(neighbours >= 3 && pixels.count({2 * cx - x, y}) && pixels.count({x, 2 * cy - y}) && round && PixelAt(x, y) == (0x1234 ^ 0xFFFF) &&
                        std::abs(x - cx) <= std::max(rx, 1) && std::abs(y - cy) <= ry) << ellipse << " " << rx << "," << ry << " at " << x << "," << y;
        }
        const int r = std::max(rx, 1);
        EXPECT_TRUE(pixels.count({cx + r, cy}) && pixels.count({cx - r, cy}) && pixels.count({cx, cy + ry}) && pixels.count({cx, cy - ry})) << rx << "," << ry;
    }
    EXPECT_EQ(DrawnPixels([] { DrawEllipse(surface, 50, 50, 0, 7); }), DrawnPixels([] { DrawEllipse(surface, 50, 50, 1, 7); }));  // radii below one count as one
}

// Radius 1 is a plus with arms plotted twice; radius 2 a solid 3 x 3 centre,
// axis ends plotted twice and half coverage beside them: the rim goes through
// the coverage plot only. A huge disc covers all.
TEST(Ellipses, SoftDiscsHaveSolidRowsAndARimOfPartialCoverage) {
    EXPECT_EQ(DrawnPixels([] { FillSoftDisc(surface, 40, 40, 0); }), (PixelSet{{40, 40}}));
    for (int r : {1, 2}) {
        UseRecordingPen();
        FillSoftDisc(surface, 40, 40, r);
        for (int y = 37; y <= 43; ++y)
            for (int x = 37; x <= 43; ++x) {
                const int ax = std::abs(x - 40), ay = std::abs(y - 40), d = ax + ay;
                EXPECT_EQ(CoverageAt(x, y), std::max(ax, ay) < r ? 256 : d == r ? 510 : r == 2 && d == 3 && ax < 3 && ay < 3 ? 127 : 0) << r << " at " << x << "," << y;
            }
    }
    for (int32_t r : {400, 32767, 32768, 1000000, INT32_MAX}) EXPECT_EQ(DrawnPixels([&] { FillSoftDisc(surface, 120, 160, r); }).size(), 76800u) << r;
    EXPECT_TRUE(DrawnPixels([] { DrawCircle(surface, 120, 160, 32767), DrawEllipse(surface, 120, 160, 30000, 32767); }).empty());
}
