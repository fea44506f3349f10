// Helpers shared by the raster tests: expected colours and pixel sets.
#pragma once
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

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
