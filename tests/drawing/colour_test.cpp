#include "drawing/colour.h"

#include <gtest/gtest.h>

#include <array>

// Hue runs 0..239 (240 is 0 again), saturation and lightness 0..240; greys
// report blue's hue. Rows h, s, l, r, g, b and the ways that hold (1: HSL to
// RGB, 2: RGB to HSL, 3: both), since a round trip does not always come back.
TEST(Colour, HslAndRgbConvertIntoEachOther) {
    const int rows[][7] = {
        {0, 240, 120, 255, 0, 0, 3},     {20, 240, 120, 255, 128, 0, 3},   {80, 240, 120, 0, 255, 0, 3},      {120, 240, 120, 0, 255, 255, 3},
        {160, 240, 120, 0, 0, 255, 3},   {200, 240, 120, 255, 0, 255, 3},  {239, 240, 120, 255, 0, 6, 3},     {173, 144, 118, 99, 50, 201, 3},
        {0, 240, 90, 191, 0, 0, 3},      {80, 121, 200, 191, 234, 191, 3}, {160, 0, 120, 127, 127, 127, 3},   {160, 0, 240, 255, 255, 255, 3},
        {240, 200, 100, 194, 18, 18, 1}, {80, 120, 200, 191, 234, 191, 1}, {173, 144, 118, 100, 50, 200, 2}, {160, 0, 120, 128, 128, 128, 2}};
    for (const auto& r : rows) {
        std::array<int32_t, 3> rgb, hsl;
        HslToRgb(r[0], r[1], r[2], &rgb[0], &rgb[1], &rgb[2]);
        RgbToHsl(r[3], r[4], r[5], &hsl[0], &hsl[1], &hsl[2]);
        EXPECT_TRUE(!(r[6] & 1) || rgb == (std::array<int32_t, 3>{r[3], r[4], r[5]})) << "hsl " << r[0] << "," << r[1] << "," << r[2];
        EXPECT_TRUE(!(r[6] & 2) || hsl == (std::array<int32_t, 3>{r[0], r[1], r[2]})) << "rgb " << r[3] << "," << r[4] << "," << r[5];
    }
}
