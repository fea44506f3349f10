#include "raster/panels.h"

#include "raster/lines.h"
#include "raster_helpers.h"

// A frame inverts each pixel once under XOR, a frame one row high twice.
// Corners come in either order; a filled rectangle is clipped.
TEST(Panels, FramesAndFillsCoverTheirPixelsOnce) {
    for (const auto& f : {std::array{10, 10, 20, 10, 11}, {10, 10, 20, 11, 22}, {10, 5, 20, 30, 70}, {20, 30, 10, 5, 70}}) {
        auto frame = [&] { FrameRect(surface, int16_t(f[0]), int16_t(f[1]), int16_t(f[2]), int16_t(f[3])); };
        const PixelSet drawn = DrawnPixels(frame);
        EXPECT_TRUE(drawn.size() == size_t(f[4]) && drawn.count({f[0], f[1]}) && drawn.count({f[2], f[3]}) && drawn.count({f[0], f[3]})) << f[0];
        EXPECT_EQ(DrawnPixels([&] { UseXorPen(), frame(); }), f[1] == f[3] ? PixelSet{} : drawn);
    }
    const PixelSet corner = DrawnPixels([] { FillRect(surface, 250, 330, 230, 310); });
    EXPECT_TRUE(corner.size() == 100 && corner.count({239, 319}) && corner.count({230, 310}));
}

// Each row: box, depth, then the inset of rows 0, 1, ... (-1: no pixels; 99:
// the whole row). Rows above the surface keep their places; a box too short
// for its top chamfer gets no bottom one.
TEST(Panels, ChamfersCutEachCornerByTheirDepth) {
    const std::vector<int> rows[] = {
        {0, 0, 9, 9, 2, 2, 1, 0, 0, 0, 0, 0, 0, 1, 2, -1}, {9, 9, 0, 0, 2, 2, 1, 0, 0, 0, 0, 0, 0, 1, 2, -1},
        {0, -1, 9, 9, 2, 1, 0, 0, 0, 0, 0, 0, 0, 1, 2},     {0, 0, 9, 2, 2, 2, 1, 1, -1},  {0, 0, 9, 0, 2, 2, -1},
        {0, 0, 9, 5, 0, 0, 0, 0, 0, 0, 0, -1},             {32700, 0, 32767, 10, 200, -1}, {-32768, 0, -32700, 10, 200, -1},
        {0, -32768, 10, -32700, 255, -1},                   {-32768, -32768, 32767, 32767, 255, 99, 99}};
    for (const auto& r : rows) {
        PixelSet drawn, expected;
        for (const auto& p : DrawnPixels([&] { FillChamferRect(surface, int16_t(r[0]), int16_t(r[1]), int16_t(r[2]), int16_t(r[3]), uint8_t(r[4])); }))
            if (p.second + 5 < int(r.size())) drawn.insert(p);
        for (int y = 0; y + 5 < int(r.size()); ++y)
            for (int x = 0; x < kScreenWidth; ++x)
                if (r[y + 5] == 99 || (r[y + 5] >= 0 && x >= r[y + 5] && x <= 9 - r[y + 5])) expected.insert({x, y});
        EXPECT_EQ(drawn, expected) << r[0] << "," << r[1];
    }
}

// Blends move each channel toward the target by weight / 256 (held to
// 0..256) and keep the alpha. A bevel box has light top and left edges, dark bottom and right
// ones (corners dark) and the pen's colour inside; the pen is left as it was.
TEST(Panels, BevelBoxesShadeTheirEdgesWithBlendedColours) {
    ColourRecord c = MakeColour(10, 20, 30, 77);
    EXPECT_TRUE(BlendColour(&c, kOpaqueWhite, 300) == 0xFFFF && c.word == 0xFFFF && c.alpha == 77);
    const int grey = PackColourWord(128, 128, 128), light = PackColourWord(191, 191, 191), dark = PackColourWord(8, 8, 8);
    const PixelSet box = DrawnPixels([&] { SetPenColour(surface, MakeColour(128, 128, 128, 255)); DrawBevelBox(surface, 10, 20, 50, 40); });
    for (const auto& p : {std::array{10, 20, light}, {30, 20, light}, {10, 30, light}, {50, 20, dark}, {10, 40, dark}, {50, 40, dark}, {30, 30, grey}})
        EXPECT_EQ(PixelAt(p[0], p[1]), p[2]) << p[0] << "," << p[1];
    EXPECT_EQ(box.size(), 41u * 21u);
    EXPECT_EQ(DrawnPixels([] { DrawBevelBox(surface, 10, 10, 10, 20), DrawBevelBox(surface, 30, 10, 31, 20), DrawBevelBox(surface, 50, 10, 60, 11); }).size(),
              11u + 22u + 22u);  // boxes without an interior draw only their edges
    SetPenColour(surface, MakeColour(0, 0, 255, 100));
    DrawBevelBox(surface, 0, 0, 20, 20);
    PlotPixel(surface, 100, 10);
    EXPECT_EQ(PixelAt(100, 10), BlendColourWords(surface, 0xFFFF, 0x001F, 100));
}
