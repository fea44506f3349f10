// Helpers of the raster tests (which include only this besides the headers
// they test): drawing on a cleared surface, and a pen that records what each
// pixel is handed instead of blending it.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <numeric>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "support/test_surface.h"
#include "surface/pen.h"

using PixelSet = std::set<std::pair<int, int>>;

// Clears the surface to fill, runs draw and returns all pixels, or those it changed.
template <typename Draw>
std::vector<uint16_t> DrawnSurface(Draw draw, uint16_t fill = 0xFFFF) {
    ResetTestSurface(fill);
    draw();
    return SurfaceSnapshot();
}
template <typename Draw>
PixelSet DrawnPixels(Draw draw, uint16_t fill = 0xFFFF) {
    const std::vector<uint16_t> pixels = DrawnSurface(draw, fill);
    PixelSet out;
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i)
        if (pixels[i] != fill) out.insert({i % kScreenWidth, i / kScreenWidth});
    return out;
}

// Per pixel, the coverage handed to the pen (256 for plain plots and runs)
// and the number of writes; a coverage of 0 writes nothing.
inline std::vector<int> coverage, hits;
inline int CoverageAt(int x, int y) { return coverage[y * kScreenWidth + x]; }
inline void Record(const uint16_t* p, int c) { coverage[p - surface.pixel_base] += c, hits[p - surface.pixel_base] += 1; }

inline void UseRecordingPen() {
    ResetTestSurface();
    coverage.assign(kScreenWidth * kScreenHeight, 0);
    hits.assign(kScreenWidth * kScreenHeight, 0);
    surface.plain_plot = [](ScreenSurface& s) { Record(s.current_pixel, 256); };
    surface.coverage_plot = [](ScreenSurface& s, int c) { if (c & 255) Record(s.current_pixel, c & 255); };
    surface.run_plot = [](ScreenSurface& s, uint16_t* p, int32_t step, int32_t n) {
        for (int32_t k = 0; k < n; ++k) Record(s.current_pixel = p + k * step, 256);
    };
}

inline void UseXorPen() { surface.pen_colour = {255, 255, 255, 255, 0xFFFF}, SelectPenMode(surface, 1); }
