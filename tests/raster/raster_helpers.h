// Helpers of the raster tests: drawing on a cleared surface, and a pen that
// records what each pixel is handed instead of blending it.
#pragma once
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

// Per pixel, the coverage handed to the pen (256 for plain plots and runs)
// and the number of writes; a coverage of 0 writes nothing.
inline std::vector<int> coverage, hits;
inline int CoverageAt(int x, int y) { return coverage[y * kScreenWidth + x]; }
inline void Record(const uint16_t* p, int c) {
    coverage[p - surface.pixel_base] += c;
    hits[p - surface.pixel_base] += 1;
}

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

inline void UseXorPen() {
    surface.pen_colour = {255, 255, 255, 255, 0xFFFF};
    SelectPenMode(surface, 1);
}

// Draws twice with the pen set from colour on one random background: as the
// primitives choose (pens built in), and with each slot behind a forwarder
// they do not know, so that they plot through the slots. True when alike.
template <typename Draw>
bool SameThroughTheSlots(const ColourRecord& colour, uint32_t seed, Draw draw) {
    static ScreenSurface slots;  // the pen's own slots, called by the forwarders
    std::vector<uint16_t> pictures[2];
    for (int forwarded = 0; forwarded < 2; ++forwarded) {
        ResetTestSurface();
        for (uint32_t k = 0; k < kScreenWidth * kScreenHeight; ++k)
            surface.pixel_base[k] = static_cast<uint16_t>((k + seed) * 2654435761u >> 16);
        SetPenColour(surface, colour);
        SetPenColour(slots, colour);
        if (forwarded) {
            surface.plain_plot = [](ScreenSurface& s) { slots.plain_plot(s); };
            surface.coverage_plot = [](ScreenSurface& s, int c) { slots.coverage_plot(s, c); };
            surface.run_plot = [](ScreenSurface& s, uint16_t* p, int32_t step, int32_t n) { slots.run_plot(s, p, step, n); };
        }
        draw();
        pictures[forwarded] = SurfaceSnapshot();
    }
    return pictures[0] == pictures[1];
}
