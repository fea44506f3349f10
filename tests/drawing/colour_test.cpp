#include <gtest/gtest.h>

#include <array>

#include "drawing/colour.h"
#include "support/test_surface.h"

namespace {

using Triple = std::array<int32_t, 3>;

TEST(Colour, PackColourWordDropsLowBits) {
    struct Case {
        int r, g, b;
        uint16_t word;
    } cases[] = {{7, 3, 7, 0x0000},       {8, 4, 8, 0x0821},       {200, 200, 0, 0xCE40},
                 {0, 200, 0, 0x0640},     {0, 0, 200, 0x0019},     {200, 200, 200, 0xCE59},
                 {255, 255, 255, 0xFFFF}};
    for (const Case& c : cases)
        EXPECT_EQ(PackColourWord(c.r, c.g, c.b), c.word) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(MakeColour(8, 4, 8, 7).word, 0x0821);
}

// Hue 240 is hue 0. The last two rows are RgbToHsl's results for
// (100, 50, 200) and (192, 0, 0) below: round trips do not give them back.
TEST(Colour, HslToRgbWorkedValues) {
    struct Case {
        int h, s, l, r, g, b;
        uint16_t word;
    } cases[] = {
        {0, 240, 120, 255, 0, 0, 0xF800},     {20, 240, 120, 255, 128, 0, 0xFC00},
        {40, 240, 120, 255, 255, 0, 0xFFE0},  {80, 240, 120, 0, 255, 0, 0x07E0},
        {120, 240, 120, 0, 255, 255, 0x07FF}, {160, 240, 120, 0, 0, 255, 0x001F},
        {200, 240, 120, 255, 0, 255, 0xF81F}, {239, 240, 120, 255, 0, 6, 0xF800},
        {0, 200, 100, 194, 18, 18, 0xC082},   {240, 200, 100, 194, 18, 18, 0xC082},
        {80, 120, 200, 191, 234, 191, 0xBF57},  // light: channels 3/4 and 11/12 of full
        {160, 0, 120, 127, 127, 127, 0x7BEF}, {173, 144, 118, 99, 50, 201, 0x6199},
        {0, 240, 90, 191, 0, 0, 0xB800},
    };
    for (const Case& c : cases) {
        Triple rgb;
        HslToRgb(c.h, c.s, c.l, &rgb[0], &rgb[1], &rgb[2]);
        EXPECT_EQ(rgb, (Triple{c.r, c.g, c.b})) << "hsl " << c.h << "," << c.s << "," << c.l;
        EXPECT_EQ(PackColourWord(rgb[0], rgb[1], rgb[2]), c.word) << "hsl " << c.h;
    }
}

TEST(Colour, RgbToHslWorkedValues) {
    struct Case {
        int r, g, b, h, s, l;
    } cases[] = {
        {255, 0, 0, 0, 240, 120},    {255, 255, 0, 40, 240, 120}, {0, 128, 128, 120, 240, 60},
        {192, 0, 0, 0, 240, 90},     {100, 50, 200, 173, 144, 118},
        {128, 128, 128, 160, 0, 120}, {0, 0, 0, 160, 0, 0},       {255, 255, 255, 160, 0, 240},
        {191, 234, 191, 80, 121, 200},
    };
    for (const Case& c : cases) {
        Triple hsl;
        RgbToHsl(c.r, c.g, c.b, &hsl[0], &hsl[1], &hsl[2]);
        EXPECT_EQ(hsl, (Triple{c.h, c.s, c.l})) << "rgb " << c.r << "," << c.g << "," << c.b;
    }
}

TEST(Colour, HueRampHoldsEveryHueAndLeavesThePenOnTheLast) {
    ResetTestSurface();
    BuildHueRamp(surface);
    EXPECT_EQ(hue_ramp[0], 0xF800);
    EXPECT_EQ(hue_ramp[40], 0xFFE0);
    EXPECT_EQ(hue_ramp[160], 0x001F);
    EXPECT_EQ(hue_ramp[239], 0xF800);
    EXPECT_EQ(surface.pen_colour.red, 255);
    EXPECT_EQ(surface.pen_colour.blue, 6);
    EXPECT_EQ(surface.pen_colour.alpha, 255);
}

}  // namespace
