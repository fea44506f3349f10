#include "surface/pen.h"

// One channel, blended in place (not shifted down): dm * (256 - w) + sm * w
// is never negative, so the shift is exact.
static inline uint32_t BlendChannel(uint32_t d, uint32_t src, int32_t w, int32_t m) {
    int32_t dm = static_cast<int32_t>(d) & m, sm = static_cast<int32_t>(src) & m;
    return static_cast<uint32_t>((((sm - dm) * w + dm * 256) >> 8) & m);
}

static inline uint16_t Blend(uint32_t d, uint32_t src, int32_t w, int32_t red_mask,
                             int32_t green_mask, int32_t blue_mask) {
    return static_cast<uint16_t>(BlendChannel(d, src, w, blue_mask) |
                                 BlendChannel(d, src, w, green_mask) |
                                 BlendChannel(d, src, w, red_mask));
}

uint16_t BlendColourWords(const ScreenSurface& s, uint16_t d, uint16_t src, int weight) {
    return Blend(d, src, weight & 255, s.red_mask, s.green_mask, s.blue_mask);
}

void PlotSet(ScreenSurface& s) { *s.current_pixel = s.pen_colour.word; }

void PlotBlendCoverage(ScreenSurface& s, int coverage) {
    // A weight of 0 leaves the pixel as it is; anti-aliased edges plot many.
    if ((coverage & 255) == 0) return;
    *s.current_pixel = BlendColourWords(s, *s.current_pixel, s.pen_colour.word, coverage);
}

void PlotBlendAlpha(ScreenSurface& s) {
    *s.current_pixel = BlendColourWords(s, *s.current_pixel, s.pen_colour.word, s.pen_alpha);
}

void PlotBlendMixed(ScreenSurface& s, int coverage) {
    int weight = (((coverage & 255) + s.pen_alpha) >> 1) & 255;
    *s.current_pixel = BlendColourWords(s, *s.current_pixel, s.pen_colour.word, weight);
}

void PlotXor(ScreenSurface& s) { *s.current_pixel ^= s.pen_colour.word; }

void PlotNothing(ScreenSurface&, int) {}

void PlotSetRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count) {
    s.current_pixel = SetRun(p, step, count, s.pen_colour.word);
}

// The masks and the weight are read once per run instead of once per pixel.
void PlotBlendAlphaRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count) {
    if (HasRgb565Layout(s)) {
        s.current_pixel = BlendRun(RunBlend(s.pen_colour.word, s.pen_alpha), p, step, count);
        return;
    }
    const uint32_t word = s.pen_colour.word;
    const int32_t w = s.pen_alpha;
    const int32_t r = s.red_mask, g = s.green_mask, b = s.blue_mask;
    for (;; p += step) {
        *p = Blend(*p, word, w, r, g, b);
        if (--count == 0) break;
    }
    s.current_pixel = p;
}

void PlotXorRun(ScreenSurface& s, uint16_t* p, int32_t step, int32_t count) {
    const uint16_t word = s.pen_colour.word;
    for (;; p += step) {
        *p ^= word;
        if (--count == 0) break;
    }
    s.current_pixel = p;
}

void SelectPenMode(ScreenSurface& s, int xor_flag) {
    if ((xor_flag & 0xFF) != 0) {
        s.plain_plot = PlotXor;
        s.coverage_plot = PlotNothing;
        s.run_plot = PlotXorRun;
    } else {
        SelectPenForAlpha(s);
    }
}
