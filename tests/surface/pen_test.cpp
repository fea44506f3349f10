#include <gtest/gtest.h>

#include "support/test_surface.h"
#include "surface/pen.h"

namespace {

TEST(BlendColourWords, MovesEachChannelInPlace) {
    ResetTestSurface();
    EXPECT_EQ(BlendColourWords(surface, 0x0000, 0xFFFF, 255), 0xF7DE);
    EXPECT_EQ(BlendColourWords(surface, 0xFFFF, 0x0000, 255), 0x0000);
    EXPECT_EQ(BlendColourWords(surface, 0xFFFF, 0x0000, 128), 0x7BEF);
    for (uint16_t d : {0x0000, 0x1234, 0xFFFF}) EXPECT_EQ(BlendColourWords(surface, d, 0xF81F, 0), d);
    // Only the low byte of the weight counts.
    EXPECT_EQ(BlendColourWords(surface, 0xFFFF, 0x0000, 256 + 128), 0x7BEF);
    EXPECT_EQ(BlendColourWords(surface, 0x1234, 0xFFFF, 256), 0x1234);
}

TEST(PenModes, SelectPenModeChoosesTheSlotPairs) {
    ResetTestSurface();
    surface.pen_alpha = 255;
    SelectPenMode(surface, 0);
    EXPECT_EQ(surface.plain_plot, &PlotSet);
    EXPECT_EQ(surface.coverage_plot, &PlotBlendCoverage);
    surface.pen_alpha = 100;
    SelectPenMode(surface, 0);
    EXPECT_EQ(surface.plain_plot, &PlotBlendAlpha);
    EXPECT_EQ(surface.coverage_plot, &PlotBlendMixed);
    SelectPenMode(surface, 1);
    EXPECT_EQ(surface.plain_plot, &PlotXor);
    EXPECT_EQ(surface.coverage_plot, &PlotNothing);
    SelectPenMode(surface, 0x100);  // only the low byte is tested
    EXPECT_EQ(surface.plain_plot, &PlotBlendAlpha);
}

TEST(PenModes, PlotFunctionsWriteTheCurrentPixel) {
    ResetTestSurface(0xFFFF);
    uint16_t* p = surface.pixel_base + 5;
    surface.current_pixel = p;
    surface.pen_colour.word = 0x0000;
    PlotSet(surface);
    EXPECT_EQ(*p, 0x0000);

    *p = 0xFFFF;
    surface.pen_alpha = 128;
    PlotBlendAlpha(surface);
    EXPECT_EQ(*p, 0x7BEF);

    *p = 0xFFFF;
    PlotBlendCoverage(surface, 128);
    EXPECT_EQ(*p, 0x7BEF);

    // Coverage 255 with alpha 1 blends with weight 128.
    *p = 0xFFFF;
    surface.pen_alpha = 1;
    PlotBlendMixed(surface, 255);
    EXPECT_EQ(*p, 0x7BEF);

    *p = 0x1234;
    surface.pen_colour.word = 0xFFFF;
    PlotXor(surface);
    EXPECT_EQ(*p, static_cast<uint16_t>(~0x1234));
    PlotXor(surface);
    EXPECT_EQ(*p, 0x1234);
    PlotNothing(surface, 255);
    EXPECT_EQ(*p, 0x1234);
    EXPECT_EQ(CountPixelsNot(0xFFFF), 1);
}

TEST(PenModes, SetPenColourTakesTheRecordAndItsAlpha) {
    ResetTestSurface();
    SetPenColour(surface, MakeColour(10, 20, 30, 90));
    EXPECT_EQ(surface.pen_alpha, 90);
    EXPECT_EQ(surface.pen_colour.word, PackColourWord(10, 20, 30));
    EXPECT_EQ(surface.plain_plot, &PlotBlendAlpha);
    SetPenColour(surface, MakeColour(10, 20, 30, 255));
    EXPECT_EQ(surface.plain_plot, &PlotSet);
}

}  // namespace
