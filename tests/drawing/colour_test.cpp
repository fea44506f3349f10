#include "drawing/colour.h"

#include <gtest/gtest.h>

#include <array>

// Hue runs 0..239 (240 is 0 again), saturation and lightness 0..240; greys
// report blue's hue. Rows h, s, l, r, g, b: most convert both ways, some
// only one way, since a round trip does not always come back.
TEST(Colour, HslAndRgbConvertIntoEachOther) {
    const int both[][6] = {
        {0, 240, 120, 255, 0, 0},     {20, 240, 120, 255, 128, 0},   {40, 240, 120, 255, 255, 0},
        {80, 240, 120, 0, 255, 0},    {120, 240, 120, 0, 255, 255},  {160, 240, 120, 0, 0, 255},
        {200, 240, 120, 255, 0, 255}, {239, 240, 120, 255, 0, 6},    {173, 144, 118, 99, 50, 201},
        {0, 240, 90, 191, 0, 0},      {120, 240, 60, 0, 128, 128},   {80, 121, 200, 191, 234, 191},
        {160, 0, 120, 127, 127, 127}, {160, 0, 0, 0, 0, 0},          {160, 0, 240, 255, 255, 255}};
    const int to_rgb[][6] = {{0, 200, 100, 194, 18, 18}, {240, 200, 100, 194, 18, 18}, {80, 120, 200, 191, 234, 191}};
    const int to_hsl[][6] = {{0, 240, 90, 192, 0, 0}, {173, 144, 118, 100, 50, 200}, {160, 0, 120, 128, 128, 128}};
    auto check = [](const int r[6], bool rgb, bool hsl) {
        std::array<int32_t, 3> out;
        HslToRgb(r[0], r[1], r[2], &out[0], &out[1], &out[2]);
        if (rgb) { EXPECT_EQ(out, (std::array<int32_t, 3>{r[3], r[4], r[5]})) << "hsl " << r[0] << "," << r[1] << "," << r[2]; }
        RgbToHsl(r[3], r[4], r[5], &out[0], &out[1], &out[2]);
        if (hsl) { EXPECT_EQ(out, (std::array<int32_t, 3>{r[0], r[1], r[2]})) << "rgb " << r[3] << "," << r[4] << "," << r[5]; }
    };
    for (const auto& r : both) check(r, true, true);
    for (const auto& r : to_rgb) check(r, true, false);
    for (const auto& r : to_hsl) check(r, false, true);
}
