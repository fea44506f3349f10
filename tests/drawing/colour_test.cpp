#include <gtest/gtest.h>

#include "drawing/colour.h"
#include "support/test_surface.h"

namespace {

struct Rgb {
    int32_t r, g, b;
};
struct Hsl {
    int32_t h, s, l;
};

Rgb ToRgb(int h, int s, int l) {
    Rgb c;
    HslToRgb(h, s, l, &c.r, &c.g, &c.b);
    return c;
}

Hsl ToHsl(int r, int g, int b) {
    Hsl c;
    RgbToHsl(r, g, b, &c.h, &c.s, &c.l);
    return c;
}

TEST(Colour, PackColourWordDropsLowBits) {
    EXPECT_EQ(PackColourWord(7, 3, 7), 0x0000);
    EXPECT_EQ(PackColourWord(8, 4, 8), 0x0821);
    EXPECT_EQ(PackColourWord(200, 200, 0), 0xCE40);
    EXPECT_EQ(PackColourWord(0, 200, 0), 0x0640);
    EXPECT_EQ(PackColourWord(0, 0, 200), 0x0019);
    EXPECT_EQ(PackColourWord(200, 200, 200), 0xCE59);
    EXPECT_EQ(PackColourWord(255, 255, 255), 0xFFFF);
    EXPECT_EQ(MakeColour(8, 4, 8, 7).word, 0x0821);
}

TEST(Colour, HslToRgbWorkedValues) {
    struct Case {
        int h, s, l, r, g, b;
        uint16_t word;
    } cases[] = {
        {0, 240, 120, 255, 0, 0, 0xF800},     {20, 240, 120, 255, 128, 0, 0xFC00},
        {40, 240, 120, 255, 255, 0, 0xFFE0},  {80, 240, 120, 0, 255, 0, 0x07E0},
        {120, 240, 120, 0, 255, 255, 0x07FF}, {160, 240, 120, 0, 0, 255, 0x001F},
        {200, 240, 120, 255, 0, 255, 0xF81F}, {239, 240, 120, 255, 0, 6, 0xF800},
    };
    for (const Case& c : cases) {
        Rgb rgb = ToRgb(c.h, c.s, c.l);
        EXPECT_EQ(rgb.r, c.r) << c.h;
        EXPECT_EQ(rgb.g, c.g) << c.h;
        EXPECT_EQ(rgb.b, c.b) << c.h;
        EXPECT_EQ(PackColourWord(rgb.r, rgb.g, rgb.b), c.word) << c.h;
    }
}

TEST(Colour, RgbToHslWorkedValues) {
    struct Case {
        int r, g, b, h, s, l;
    } cases[] = {
        {255, 0, 0, 0, 240, 120},    {255, 255, 0, 40, 240, 120}, {0, 128, 128, 120, 240, 60},
        {192, 0, 0, 0, 240, 90},     {100, 50, 200, 173, 144, 118},
        {128, 128, 128, 160, 0, 120}, {0, 0, 0, 160, 0, 0},       {255, 255, 255, 160, 0, 240},
    };
    for (const Case& c : cases) {
        Hsl hsl = ToHsl(c.r, c.g, c.b);
        EXPECT_EQ(hsl.h, c.h) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(hsl.s, c.s) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(hsl.l, c.l) << c.r << "," << c.g << "," << c.b;
    }
}

TEST(Colour, RoundTripsAreNotExact) {
    Rgb grey = ToRgb(160, 0, 120);
    EXPECT_EQ(grey.r, 127);
    EXPECT_EQ(grey.b, 127);
    Hsl h = ToHsl(100, 50, 200);
    Rgb back = ToRgb(h.h, h.s, h.l);
    EXPECT_EQ(back.r, 99);
    EXPECT_EQ(back.g, 50);
    EXPECT_EQ(back.b, 201);
    h = ToHsl(192, 0, 0);
    back = ToRgb(h.h, h.s, h.l);
    EXPECT_EQ(back.r, 191);
    EXPECT_EQ(back.g, 0);
}

TEST(Colour, HueWrapsAroundTheCircle) {
    Rgb zero = ToRgb(0, 200, 100), full = ToRgb(240, 200, 100);
    EXPECT_EQ(zero.r, full.r);
    EXPECT_EQ(zero.g, full.g);
    EXPECT_EQ(zero.b, full.b);
    for (int h = 0; h < 240; h += 7) {
        Rgb c = ToRgb(h, 240, 120);
        for (int32_t v : {c.r, c.g, c.b}) {
            EXPECT_GE(v, 0);
            EXPECT_LE(v, 255);
        }
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
