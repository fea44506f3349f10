#include "raster/panels.h"

#include <gtest/gtest.h>

#include "raster/lines.h"
#include "raster_helpers.h"

namespace {

// Columns drawn on one row, as (first, last); (-1, -1) for none.
std::pair<int, int> RowExtent(int y) {
    int first = -1, last = -1;
    for (int x = 0; x < kScreenWidth; ++x)
        if (PixelAt(x, y) != 0xFFFF) {
            if (first < 0) first = x;
            last = x;
        }
    return {first, last};
}

}  // namespace

// A frame at least two rows high inverts every pixel once under XOR; one row
// high, the row is drawn twice. Corners may come in either order.
TEST(Rectangles, FramesCoverTheirEdgesOnce) {
    const int16_t frames[][5] = {{10, 10, 20, 10, 11}, {10, 10, 20, 11, 22}, {10, 5, 20, 30, 70}, {20, 30, 10, 5, 70}};
    for (const auto& f : frames) {
        const PixelSet frame = DrawnPixels([&] { FrameRect(surface, f[0], f[1], f[2], f[3]); });
        EXPECT_EQ(frame.size(), size_t(f[4]));
        EXPECT_TRUE(frame.count({f[0], f[1]}) && frame.count({f[2], f[3]}) && frame.count({f[0], f[3]}));
        EXPECT_EQ(DrawnPixels([&] { UseXorPen(); FrameRect(surface, f[0], f[1], f[2], f[3]); }),
                  f[1] == f[3] ? PixelSet{} : frame);
    }
}

TEST(Rectangles, ChamfersCutEachCornerByTheirDepth) {
    constexpr int kNone = 99, kWhole = -1;
    struct Row {
        int16_t x1, y1, x2, y2;
        uint8_t depth;
        std::vector<int> insets;  // of rows 0, 1, ...
    };
    const Row rows[] = {
        {0, 0, 9, 9, 2, {2, 1, 0, 0, 0, 0, 0, 0, 1, 2, kNone}},
        {9, 9, 0, 0, 2, {2, 1, 0, 0, 0, 0, 0, 0, 1, 2, kNone}},
        {0, -1, 9, 9, 2, {1, 0, 0, 0, 0, 0, 0, 0, 1, 2}},  // rows above keep their places
        {0, 0, 9, 2, 2, {2, 1, 1, kNone}},                 // short: the top chamfer, then inset 1
        {0, 0, 9, 0, 2, {2, kNone}},                       // the top does not fit: no bottom
        {0, 0, 9, 5, 0, {0, 0, 0, 0, 0, 0, kNone}},
        {32700, 0, 32767, 10, 200, {kNone}},
        {-32768, 0, -32700, 10, 200, {kNone}},
        {0, -32768, 10, -32700, 255, {kNone}},
        {-32768, -32768, 32767, 32767, 255, {kWhole, kWhole, kWhole}},
    };
    for (const Row& r : rows) {
        ResetTestSurface();
        FillChamferRect(surface, r.x1, r.y1, r.x2, r.y2, r.depth);
        for (size_t y = 0; y < r.insets.size(); ++y) {
            const int i = r.insets[y];
            EXPECT_EQ(RowExtent(static_cast<int>(y)), i == kNone ? std::make_pair(-1, -1)
                                                      : i == kWhole ? std::make_pair(0, 239)
                                                                    : std::make_pair(i, 9 - i))
                << r.x1 << "," << r.y1 << " row " << y;
        }
    }
}

TEST(Panels, BlendColourMovesChannelsTowardsTheTarget) {
    const int rows[][8] = {{100, 0, 200, 255, 128, 177, 127, 227}, {100, 0, 200, 0, 240, 6, 0, 12},
                           {10, 20, 30, 255, 0, 10, 20, 30}, {10, 20, 30, 255, 300, 255, 255, 255}};
    for (const auto& r : rows) {
        ColourRecord c = MakeColour(r[0], r[1], r[2], 77);
        const uint16_t word = BlendColour(&c, r[3] ? kOpaqueWhite : kOpaqueBlack, r[4]);
        EXPECT_EQ((std::array<int, 4>{c.red, c.green, c.blue, c.alpha}), (std::array<int, 4>{r[5], r[6], r[7], 77}));
        EXPECT_EQ(word, PackColourWord(r[5], r[6], r[7]));
        EXPECT_EQ(c.word, word);
    }
}

// Light top and left edges, dark bottom and right (the mixed corners end
// dark), the body in the pen's colour; the pen is left as it was.
TEST(Panels, BevelBoxesShadeTheirEdgesAndKeepThePen) {
    const ColourRecord grey = MakeColour(128, 128, 128, 255);
    ColourRecord light = grey, dark = grey;
    const uint16_t light_word = BlendColour(&light, kOpaqueWhite, 128);
    const uint16_t dark_word = BlendColour(&dark, kOpaqueBlack, 240);
    ResetTestSurface();
    SetPenColour(surface, grey);
    DrawBevelBox(surface, 10, 20, 50, 40);
    const int probes[][3] = {{10, 20, light_word}, {30, 20, light_word}, {10, 30, light_word},
                             {50, 20, dark_word},  {10, 40, dark_word},  {50, 40, dark_word},
                             {30, 30, grey.word}};
    for (const auto& p : probes) EXPECT_EQ(PixelAt(p[0], p[1]), p[2]) << p[0] << "," << p[1];
    EXPECT_EQ(CountPixelsNot(0xFFFF), 41 * 21);
    EXPECT_EQ(DrawnPixels([] {
                  DrawBevelBox(surface, 10, 10, 10, 20);
                  DrawBevelBox(surface, 30, 10, 31, 20);
                  DrawBevelBox(surface, 50, 10, 60, 11);
              }).size(),
              11u + 22u + 22u);  // boxes without interior draw only their edges
    // A translucent pen stays translucent.
    ResetTestSurface();
    SetPenColour(surface, MakeColour(0, 0, 255, 100));
    DrawBevelBox(surface, 0, 0, 20, 20);
    EXPECT_EQ(surface.pen_colour.word, 0x001F);
    for (int x : {100, 130}) {
        PlotPixel(surface, x, 10);
        EXPECT_EQ(PixelAt(x, 10), BlendColourWords(surface, 0xFFFF, 0x001F, 100));
    }
}
