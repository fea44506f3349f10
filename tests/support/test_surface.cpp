#include "support/test_surface.h"

#include "platform/platform.h"
#include "surface/pen.h"

void ResetTestSurface(uint16_t fill) {
    if (surface.pixel_base == nullptr) {
        GXDisplayProperties portrait = kPortraitDisplay;
        InitScreenSurfaceFrom(surface, portrait);
    }
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) surface.pixel_base[i] = fill;
    surface.pen_colour = MakeColour(0, 0, 0, 255);
    surface.pen_alpha = 255;
    SelectPenMode(surface, 0);
}

uint16_t PixelAt(int x, int y) { return surface.pixel_base[x + y * kScreenWidth]; }

int CountPixelsNot(uint16_t word) {
    int n = 0;
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) n += surface.pixel_base[i] != word;
    return n;
}

std::vector<uint16_t> SurfaceSnapshot() {
    return std::vector<uint16_t>(surface.pixel_base,
                                 surface.pixel_base + kScreenWidth * kScreenHeight);
}
