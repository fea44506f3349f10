// Helpers shared by the raster tests: expected colours and pixel sets.
#pragma once
#include <cstdint>
#include <set>
#include <utility>

#include "support/test_surface.h"
#include "surface/pen.h"

// The white pixel after a black opaque pen's coverage plot of this weight.
inline uint16_t WhiteAfterCoverage(int coverage) {
    return BlendColourWords(surface, 0xFFFF, 0x0000, coverage);
}

using PixelSet = std::set<std::pair<int, int>>;

// Every pixel that differs from the background word.
inline PixelSet ChangedPixels(uint16_t background = 0xFFFF) {
    PixelSet out;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            if (PixelAt(x, y) != background) out.insert({x, y});
    return out;
}

// Clears the surface to fill, runs draw and returns the pixels it changed.
template <typename Draw>
PixelSet DrawnPixels(Draw draw, uint16_t fill = 0xFFFF) {
    ResetTestSurface(fill);
    draw();
    return ChangedPixels(fill);
}

// The same, returning every word of the surface.
template <typename Draw>
std::vector<uint16_t> DrawnSurface(Draw draw, uint16_t fill = 0xFFFF) {
    ResetTestSurface(fill);
    draw();
    return SurfaceSnapshot();
}

// Puts the pen in XOR mode with an all-ones colour word.
inline void UseXorPen() {
    surface.pen_colour = {255, 255, 255, 255, 0xFFFF};
    surface.pen_alpha = 255;
    SelectPenMode(surface, 1);
}

// Puts each plot slot behind a forwarding function with the same effect:
// the primitives then see slots they do not recognise and plot through
// them, the general path that their built-in pens must match.
inline void ForwardPenSlots() {
    static PlainPlot plain;
    static CoveragePlot coverage;
    static RunPlot run;
    plain = surface.plain_plot;
    coverage = surface.coverage_plot;
    run = surface.run_plot;
    surface.plain_plot = [](ScreenSurface& s) { plain(s); };
    surface.coverage_plot = [](ScreenSurface& s, int c) { coverage(s, c); };
    surface.run_plot = [](ScreenSurface& s, uint16_t* p, int32_t step, int32_t count) { run(s, p, step, count); };
}
