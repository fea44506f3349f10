// Helpers of the raster tests: drawing on a cleared surface, and a pen that
// records what each pixel is handed instead of blending it.
#pragma once
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "support/test_surface.h"
#include "surface/pen.h"

using PixelSet = std::set<std::pair<int, int>>;

// Clears the surface to fill, runs draw and returns the pixels it changed.
template <typename Draw>
PixelSet DrawnPixels(Draw draw, uint16_t fill = 0xFFFF) {
    ResetTestSurface(fill);
    draw();
    PixelSet out;
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i)
        if (surface.pixel_base[i] != fill) out.insert({i % kScreenWidth, i / kScreenWidth});
    return out;
}

template <typename Draw>
std::vector<uint16_t> DrawnSurface(Draw draw, uint16_t fill = 0xFFFF) {
    ResetTestSurface(fill);
    draw();
    return SurfaceSnapshot();
}

// Plain plots and runs count as coverage 256, coverage plots as their weight
// (a weight of 0 writes nothing); hits counts the writes per pixel.
struct Recording {
    std::vector<int> coverage, hits;
    int At(int x, int y) const { return coverage[y * kScreenWidth + x]; }
};
inline Recording recording;

inline void Record(ScreenSurface& s, int coverage) {
    recording.coverage[s.current_pixel - s.pixel_base] += coverage;
    recording.hits[s.current_pixel - s.pixel_base] += 1;
}

inline void UseRecordingPen() {
    ResetTestSurface();
    recording = {std::vector<int>(kScreenWidth * kScreenHeight), std::vector<int>(kScreenWidth * kScreenHeight)};
    surface.plain_plot = [](ScreenSurface& s) { Record(s, 256); };
    surface.coverage_plot = [](ScreenSurface& s, int c) {
        if ((c & 255) != 0) Record(s, c & 255);
    };
    surface.run_plot = [](ScreenSurface& s, uint16_t* p, int32_t step, int32_t n) {
        for (int32_t k = 0; k < n; ++k) {
            s.current_pixel = p + k * step;
            Record(s, 256);
        }
    };
}

inline void UseXorPen() {
    surface.pen_colour = {255, 255, 255, 255, 0xFFFF};
    SelectPenMode(surface, 1);
}
