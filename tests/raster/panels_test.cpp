#include "raster/panels.h"

#include <gtest/gtest.h>

#include "raster_helpers.h"

namespace {

// Columns drawn on one row, as (first, last).
std::pair<int, int> RowExtent(int y) {
    int first = -1, last = -1;
    for (int x = 0; x < kScreenWidth; ++x)
        if (PixelAt(x, y) != 0xFFFF) {
            if (first < 0) first = x;
            last = x;
        }
    return {first, last};
}

bool AllChangedInside(int x1, int y1, int x2, int y2) {
    for (const auto& [x, y] : ChangedPixels())
        if (x < x1 || x > x2 || y < y1 || y > y2) return false;
    return true;
}

}  // namespace

TEST(FrameRect, OutlinesWithoutRepeatingCornersUnlessOneRowHigh) {
    EXPECT_EQ(DrawnPixels([] { FrameRect(surface, 10, 10, 20, 10); }).size(), 11u);
    // Under XOR the one row is inverted twice.
    EXPECT_EQ(DrawnPixels([] { UseXorPen(); FrameRect(surface, 10, 10, 20, 10); }).size(), 0u);
    EXPECT_EQ(DrawnPixels([] { FrameRect(surface, 10, 10, 20, 11); }).size(), 22u);

    PixelSet frame = DrawnPixels([] { FrameRect(surface, 10, 5, 20, 30); });
    EXPECT_EQ(frame.size(), 2u * 11 + 2u * 24);
    EXPECT_EQ(DrawnPixels([] { FrameRect(surface, 20, 30, 10, 5); }), frame);
    EXPECT_EQ(DrawnPixels([] { UseXorPen(); FrameRect(surface, 20, 30, 10, 5); }), frame);
}

TEST(FillRect, ClipsToTheSurface) {
    ResetTestSurface();
    FillRect(surface, -5, -5, 5, 5);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 36);
    EXPECT_TRUE(AllChangedInside(0, 0, 5, 5));

    ResetTestSurface();
    FillRect(surface, 250, 0, 300, 10);
    FillRect(surface, 0, 320, 10, 400);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);

    FillRect(surface, 32767, 32767, -32768, -32768);
    EXPECT_EQ(CountPixelsNot(0x0000), 0);
}

TEST(FillChamferRect, CutsEachCornerByItsDepth) {
    struct Row {
        int16_t x1, y1, x2, y2;
        uint8_t depth;
        std::vector<std::pair<int, int>> extents;  // of rows 0, 1, ...
    };
    const std::pair<int, int> full = {0, 9}, cut1 = {1, 8}, cut2 = {2, 7};
    const Row rows[] = {
        {0, 0, 9, 9, 2, {cut2, cut1, full, full, full, full, full, full, cut1, cut2}},
        {9, 9, 0, 0, 2, {cut2, cut1, full, full, full, full, full, full, cut1, cut2}},
        // Rows above the surface keep their insets.
        {0, -1, 9, 9, 2, {cut1, full, full, full, full, full, full, full, cut1, cut2}},
        // A short box: the top chamfer, then inset 1 again.
        {0, 0, 9, 2, 2, {cut2, cut1, cut1}},
        // The top chamfer does not fit: no bottom.
        {0, 0, 9, 0, 2, {cut2}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.x1 << "," << r.y1 << " " << r.x2 << "," << r.y2);
        PixelSet drawn =
            DrawnPixels([&] { FillChamferRect(surface, r.x1, r.y1, r.x2, r.y2, r.depth); });
        size_t pixels = 0;
        for (int y = 0; y < static_cast<int>(r.extents.size()); ++y) {
            EXPECT_EQ(RowExtent(y), r.extents[y]) << y;
            pixels += r.extents[y].second - r.extents[y].first + 1;
        }
        EXPECT_EQ(drawn.size(), pixels);  // solid rows, nothing below
    }

    // Depth 0 is a plain filled rectangle.
    EXPECT_EQ(DrawnSurface([] { FillChamferRect(surface, 3, 4, 12, 9, 0); }),
              DrawnSurface([] { FillRect(surface, 3, 4, 12, 9); }));
}

TEST(FillChamferRect, InsetsNearThe16BitLimitsStayOffTheSurface) {
    ResetTestSurface();
    FillChamferRect(surface, 32700, 0, 32767, 10, 200);
    FillChamferRect(surface, -32768, 0, -32700, 10, 200);
    FillChamferRect(surface, 0, -32768, 10, -32700, 255);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 0);
    FillChamferRect(surface, -32768, -32768, 32767, 32767, 255);
    EXPECT_EQ(CountPixelsNot(0x0000), 0);
}

TEST(BlendColour, MovesChannelsTowardsTheTarget) {
    ColourRecord c = MakeColour(100, 0, 200, 77);
    uint16_t word = BlendColour(&c, kOpaqueWhite, 128);
    EXPECT_EQ(c.red, 177);
    EXPECT_EQ(c.green, 127);
    EXPECT_EQ(c.blue, 227);
    EXPECT_EQ(c.alpha, 77);
    EXPECT_EQ(word, PackColourWord(177, 127, 227));
    EXPECT_EQ(c.word, word);

    c = MakeColour(100, 0, 200, 255);
    BlendColour(&c, kOpaqueBlack, 240);
    EXPECT_EQ(c.red, 6);
    EXPECT_EQ(c.green, 0);
    EXPECT_EQ(c.blue, 12);
}

TEST(BevelBox, LightTopLeftDarkBottomRightAndThePenRestored) {
    ResetTestSurface();
    ColourRecord grey = MakeColour(128, 128, 128, 255);
    SetPenColour(surface, grey);
    DrawBevelBox(surface, 10, 20, 50, 40);

    ColourRecord light = grey, dark = grey;
    uint16_t light_word = BlendColour(&light, kOpaqueWhite, 128);
    uint16_t dark_word = BlendColour(&dark, kOpaqueBlack, 240);
    EXPECT_EQ(PixelAt(10, 20), light_word);
    EXPECT_EQ(PixelAt(30, 20), light_word);
    EXPECT_EQ(PixelAt(10, 30), light_word);
    EXPECT_EQ(PixelAt(50, 20), dark_word);  // the two mixed corners end dark
    EXPECT_EQ(PixelAt(10, 40), dark_word);
    EXPECT_EQ(PixelAt(50, 40), dark_word);
    EXPECT_EQ(PixelAt(30, 30), grey.word);
    EXPECT_TRUE(AllChangedInside(10, 20, 50, 40));
    EXPECT_EQ(CountPixelsNot(0xFFFF), 41 * 21);

    EXPECT_EQ(surface.pen_colour.word, grey.word);
    EXPECT_EQ(surface.pen_colour.red, 128);
    EXPECT_EQ(surface.pen_alpha, 255);
    EXPECT_EQ(surface.plain_plot, &PlotSet);

    // A translucent pen stays translucent.
    SetPenColour(surface, MakeColour(0, 0, 255, 100));
    DrawBevelBox(surface, 0, 0, 20, 20);
    EXPECT_EQ(surface.pen_alpha, 100);
    EXPECT_EQ(surface.plain_plot, &PlotBlendAlpha);
    EXPECT_EQ(surface.coverage_plot, &PlotBlendMixed);
}

TEST(BevelBox, BoxesWithoutInteriorDrawOnlyTheirEdges) {
    ResetTestSurface();
    DrawBevelBox(surface, 10, 10, 10, 20);
    DrawBevelBox(surface, 30, 10, 31, 20);
    DrawBevelBox(surface, 50, 10, 60, 11);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 11 + 22 + 22);
}

TEST(LabelBox, BodyBarAndTextWithThePenLeftLightAndBlack) {
    ResetTestSurface();
    ColourRecord blue = MakeColour(0, 0, 200, 255);
    ColourRecord light = blue;
    uint16_t light_word = BlendColour(&light, kOpaqueWhite, 128);

    SetPenColour(surface, blue);
    DrawLabelBoxLeft(surface, 10, 10, 80, 30, "Mm");
    EXPECT_EQ(PixelAt(40, 12), blue.word);     // body
    EXPECT_EQ(PixelAt(13, 20), light_word);    // bar inside the left side
    EXPECT_EQ(PixelAt(11, 11), 0xFFFF);        // cut corner
    EXPECT_EQ(PixelAt(10, 20), 0xFFFF);        // the outermost ring stays free
    EXPECT_TRUE(AllChangedInside(11, 11, 79, 29));
    int black = 0;
    for (int y = 14; y <= 27; ++y)
        for (int x = 25; x <= 65; ++x) black += PixelAt(x, y) == 0x0000;
    EXPECT_GT(black, 5);
    EXPECT_EQ(surface.pen_colour.word, 0);
    EXPECT_EQ(surface.pen_colour.blue, light.blue);
    EXPECT_EQ(surface.pen_colour.red, light.red);

    ResetTestSurface();
    SetPenColour(surface, blue);
    DrawLabelBoxRight(surface, 10, 10, 80, 30, nullptr);
    EXPECT_EQ(PixelAt(76, 20), light_word);  // bar inside the right side
    EXPECT_EQ(PixelAt(13, 20), blue.word);
    EXPECT_EQ(surface.pen_colour.word, 0);
}

TEST(LabelBox, TinyBoxesStayInside) {
    ResetTestSurface();
    SetPenColour(surface, MakeColour(200, 0, 0, 255));
    DrawLabelBoxLeft(surface, 10, 10, 16, 13, "");
    EXPECT_TRUE(AllChangedInside(10, 10, 16, 13));
    ResetTestSurface();
    SetPenColour(surface, MakeColour(200, 0, 0, 255));
    DrawLabelBoxRight(surface, 100, 100, 101, 101, "");
    EXPECT_TRUE(AllChangedInside(100, 100, 101, 101));
}
