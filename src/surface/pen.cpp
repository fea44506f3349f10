#include "surface/pen.h"

#include <initializer_list>

PlainPlot plain_plot = PlotSet;
CoveragePlot coverage_plot = PlotBlendCoverage;

uint16_t BlendColourWords(const ScreenSurface& s, uint16_t d, uint16_t src, int weight) {
    int32_t w = weight & 255;
    uint32_t out = 0;
    for (int32_t m : {int32_t{s.blue_mask}, int32_t{s.green_mask}, int32_t{s.red_mask}}) {
        int32_t dm = d & m, sm = src & m;
        // dm * (256 - w) + sm * w: never negative, so the shift is exact.
        out |= static_cast<uint32_t>((((sm - dm) * w + dm * 256) >> 8) & m);
    }
    return static_cast<uint16_t>(out);
}

void PlotSet(ScreenSurface& s) { *s.current_pixel = s.pen_colour.word; }

void PlotBlendCoverage(ScreenSurface& s, int coverage) {
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

void SelectPenMode(ScreenSurface& s, int xor_flag) {
    if ((xor_flag & 0xFF) != 0) {
        plain_plot = PlotXor;
        coverage_plot = PlotNothing;
    } else {
        SelectPenForAlpha(s);
    }
}

void SelectPenForAlpha(ScreenSurface& s) {
    if (s.pen_alpha == 255) {
        plain_plot = PlotSet;
        coverage_plot = PlotBlendCoverage;
    } else {
        plain_plot = PlotBlendAlpha;
        coverage_plot = PlotBlendMixed;
    }
}

void SetPenColour(ScreenSurface& s, const ColourRecord& c) {
    s.pen_colour = c;
    s.pen_alpha = c.alpha;
    SelectPenForAlpha(s);
}
