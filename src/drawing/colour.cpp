#include "drawing/colour.h"

#include "surface/surface.h"

uint16_t hue_ramp[kHueCount];
ColourRecord current_colour = {0, 0, 0, 255, 0};

// h mod 240 folded into 0..239 (the remainder keeps the dividend's sign).
static int32_t WrapHue(int32_t h) {
    int32_t m = h % 240;
    return m < 0 ? m + 240 : m;
}

void RgbToHsl(int32_t r, int32_t g, int32_t b, int32_t* hue, int32_t* saturation,
              int32_t* lightness) {
    int32_t max = r > g ? r : g;
    if (b > max) max = b;
    int32_t min = r < g ? r : g;
    if (b < min) min = b;

    int32_t l = ((max + min) * 240 + 255) / 510;
    *lightness = l;
    if (max == min) {
        *saturation = 0;
        *hue = 160;  // greys report blue's hue
        return;
    }
    if (l <= 120)
        *saturation = ((max - min) * 240 + (max + min) / 2) / (max + min);
    else
        *saturation = ((max - min) * 240 + (510 - max - min) / 2) / (510 - max - min);

    int32_t d = max - min;
    int32_t rd = ((max - r) * 40 + d / 2) / d;
    int32_t gd = ((max - g) * 40 + d / 2) / d;
    int32_t bd = ((max - b) * 40 + d / 2) / d;
    int32_t h;
    if (r == max)
        h = bd - gd;
    else if (g == max)
        h = 80 + rd - bd;
    else
        h = 160 + gd - rd;
    *hue = WrapHue(h);
}

static int32_t HueChannel(int32_t m1, int32_t m2, int32_t h) {
    h = WrapHue(h);
    if (h < 40) return m1 + ((m2 - m1) * h + 20) / 40;
    if (h < 120) return m2;
    if (h < 160) return m1 + ((m2 - m1) * (160 - h) + 20) / 40;
    return m1;
}

void HslToRgb(int32_t h, int32_t s, int32_t l, int32_t* red, int32_t* green, int32_t* blue) {
    if (s == 0) {
        *red = *green = *blue = (l * 255) / 240;
        return;
    }
    int32_t m2 = l <= 120 ? (l * (240 + s) + 120) / 240 : l + s - (l * s + 120) / 240;
    int32_t m1 = 2 * l - m2;
    *red = (HueChannel(m1, m2, h + 80) * 255 + 120) / 240;
    *green = (HueChannel(m1, m2, h) * 255 + 120) / 240;
    *blue = (HueChannel(m1, m2, h - 80) * 255 + 120) / 240;
}

void BuildHueRamp(ScreenSurface& s) {
    for (int h = 0; h < kHueCount; ++h) {
        int32_t r, g, b;
        HslToRgb(h, 240, 120, &r, &g, &b);
        s.pen_colour = MakeColour(r, g, b, 255);
        hue_ramp[h] = s.pen_colour.word;
    }
}
